// From the end of a slot's analysis to the result in another station's picture, through
// a real Mosquitto on localhost: one station publishes (spool, link, acknowledgement),
// another takes it in and summarises the picture its map draws. Each polls on its own
// 100 ms tick as the desktop program's clock does, so the figure includes up to a tick
// of waiting on each side.
//   network_latency [REPORTS=60]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

#include "network/MqttLink.h"
#include "network/NetworkServers.h"
#include "network/NetworkStation.h"
#include "network/Publisher.h"
#include "network/Reports.h"

using namespace harkola;
using namespace std::chrono;

int main(int argc, char** argv) {
  const int reports = argc > 1 ? std::atoi(argv[1]) : 60;
  test::Broker broker;
  if (!broker.start()) {
    std::fprintf(stderr, "mosquitto cannot be started here\n");
    return 1;
  }
  test::TempFolder dir{"harkola-latency"};
  auto utcNow = [] { return duration_cast<seconds>(system_clock::now().time_since_epoch()).count(); };

  // The listening station.
  NetworkStation listener;
  std::string error;
  NetworkSettings s;
  s.showNetwork = true;
  s.broker = broker.url();
  if (!listener.start(s, dir / "listener", "5", error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  // The publishing station.
  Spool spool;
  spool.open(dir / "spool");
  MqttLink::Options o;
  parseBrokerUrl(broker.url(), o.broker, error);
  MqttLink link(o);
  link.start(error);
  Publisher pub(spool, link);
  while (pub.state() != LinkState::Connected || listener.state() != LinkState::Connected) {
    pub.poll(utcNow(), milliseconds(10));
    listener.poll(utcNow());
    std::this_thread::sleep_for(milliseconds(10));
  }
  std::this_thread::sleep_for(milliseconds(300));  // the subscription in place

  std::vector<double> ms;
  const std::int64_t base = test::recentBaseUtc() + 86400 - 3600;
  auto tick = [](steady_clock::time_point& next) {
    next += milliseconds(100);
    std::this_thread::sleep_until(next);
  };
  for (int i = 0; i < reports; ++i) {
    // The publisher's tick: a slot decided, handed over, sent at once.
    const auto t0 = steady_clock::now();
    pub.add(test::reportAt("G4ABC", base + 10 * i, i % 5));
    const std::size_t before = listener.picture().size();
    // The listener's tick runs 100 ms apart, at an arbitrary phase to the publisher's.
    auto next = t0 + milliseconds(37 * i % 100);
    std::this_thread::sleep_until(next);
    while (true) {
      pub.poll(utcNow());
      if (listener.poll(utcNow()) && listener.picture().size() > before) {
        NetworkFilter f;
        f.periodSeconds = 24 * 3600;
        const NetworkSummary sum = listener.picture().summarise(f, utcNow());
        if (sum.reports >= before + 1) break;
      }
      tick(next);
      if (steady_clock::now() - t0 > seconds(10)) {
        std::fprintf(stderr, "report %d did not arrive within 10 s\n", i);
        return 1;
      }
    }
    ms.push_back(duration<double, std::milli>(steady_clock::now() - t0).count());
    std::this_thread::sleep_for(milliseconds(50));
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%d reports, publish to the other station's picture on 100 ms ticks: median %.0f ms, 95%% %.0f ms, "
              "max %.0f ms\n",
              reports, ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back());
  link.stop();
  listener.stop();
  return ms.back() < 2000 ? 0 : 1;
}
