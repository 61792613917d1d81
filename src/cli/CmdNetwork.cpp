// collect, network-report: the network's collector and its report from the command line.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>

#include "cli/CliSupport.h"
#include "common/LocalTime.h"
#include "common/UtcTime.h"
#include "network/Collector.h"
#include "network/MqttLink.h"
#include "network/NetworkReport.h"
#include "network/SlotStore.h"

namespace harkola::cli {

namespace {

std::atomic<bool> g_stop{false};
extern "C" void onStopSignal(int) { g_stop = true; }

std::int64_t nowUtc() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string utcStampNow() {
  return isoText(utcTimeAt(std::chrono::system_clock::now())) + " UTC";
}

// "YYYY-MM-DD HH:MM:SS" or "YYYY-MM-DD" as UTC; false when it is neither.
bool parseUtc(std::string text, std::int64_t& out) {
  if (text.size() == 10) text += " 00:00:00";
  LocalTime t;
  if (!parseLocalTime(text, t)) return false;
  using namespace std::chrono;
  const sys_days day = year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)}, std::chrono::day{static_cast<unsigned>(t.day)}};
  out = duration_cast<seconds>(day.time_since_epoch()).count() + t.hour * 3600 + t.minute * 60 + t.second;
  return true;
}

// A fixed client id per store, so the broker keeps the collector's session (and the
// reports that arrive while it is away) from one run to the next.
std::string collectorClientId(const std::string& store) {
  return "harkola-collector-" + std::to_string(std::hash<std::string>{}(store) % 1000000007u);
}

// The options of `command`, which takes no file names; false once the user has been told
// what is wrong (and shown the usage).
bool parseOptions(const Args& args, const char* command, const std::set<std::string>& withValue, const char* usage,
                  ParsedArgs& p, std::ostream& err) {
  std::string error;
  if (p.parse(args, withValue, {}, error) && p.positional().empty()) return true;
  err << (error.empty() ? std::string(command) + " takes no file names." : error) << '\n' << usage;
  return false;
}

}  // namespace

int runCollect(const Args& args, std::ostream& out, std::ostream& err) {
  const char* usage =
      "usage: harkola-cli collect --broker mqtt[s]://[USER[:PASSWORD]@]HOST[:PORT] --store FILE.sqlite|postgresql://... "
      "[--client-id ID] [--every SECONDS]\n";
  ParsedArgs p;
  if (!parseOptions(args, "collect", {"--broker", "--store", "--client-id", "--every"}, usage, p, err)) return 2;
  std::string error;
  MqttLink::Options o;
  if (!p.value("--broker") || !parseBrokerUrl(*p.value("--broker"), o.broker, error)) {
    err << (p.value("--broker") ? error : "collect needs --broker.") << '\n' << usage;
    return 2;
  }
  const auto where = p.value("--store");
  if (!where) {
    err << "collect needs --store (a SQLite file or a postgresql:// address).\n" << usage;
    return 2;
  }
  int every = 10;
  if (const auto e = p.value("--every"); e && !parseIntOption(*e, 1, 3600, every)) {
    err << "--every must be a whole number of seconds from 1 to 3600.\n";
    return 2;
  }
  auto store = openSlotStore(*where, error);
  if (!store) {
    err << error << '\n';
    return 1;
  }
  o.clientId = p.value("--client-id").value_or(collectorClientId(*where));
  o.persistentSession = true;
  MqttLink link(o);
  link.subscribe(std::string(kSlotTopicFilter));
  if (!link.start(error)) {
    err << error << '\n';
    return 1;
  }
  Collector collector(*store);
  g_stop = false;
  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
  out << utcStampNow() << "  collecting " << kSlotTopicFilter << " from " << o.broker.text() << " into "
      << store->description() << std::endl;

  auto lastFlush = std::chrono::steady_clock::now();
  auto lastLine = lastFlush;
  auto lastRetry = lastFlush - std::chrono::seconds(10);
  std::uint64_t linesRefused = 0;
  bool storeDown = false;
  for (;;) {
    for (const LinkEvent& e : link.poll(std::chrono::milliseconds(100))) {
      if (e.kind == LinkEvent::Kind::State) {
        out << utcStampNow() << "  " << e.text << std::endl;
      } else if (e.kind == LinkEvent::Kind::Message) {
        collector.take(e.topic, e.payload, nowUtc());
      }
      if (collector.batchFull() && !storeDown) {
        storeDown = !collector.flush(nowUtc());
        lastFlush = std::chrono::steady_clock::now();
      }
    }
    const auto now = std::chrono::steady_clock::now();
    const bool stopping = g_stop;
    // Write at least five times a second, and at once on the way out; after a store
    // failure try again every five seconds (the batch waits in memory meanwhile).
    if ((now - lastFlush >= std::chrono::milliseconds(200) && (!storeDown || now - lastRetry >= std::chrono::seconds(5))) ||
        stopping) {
      const bool was = storeDown;
      storeDown = !collector.flush(nowUtc());
      lastFlush = now;
      if (storeDown) {
        lastRetry = now;
        if (!was) out << utcStampNow() << "  " << collector.error() << "; " << collector.queued()
                      << " reports wait in memory, trying again every 5 s" << std::endl;
      } else if (was) {
        out << utcStampNow() << "  the store is back" << std::endl;
      }
    }
    if (now - lastLine >= std::chrono::seconds(every) || stopping) {
      lastLine = now;
      out << utcStampNow() << "  " << countsText(collector.counts());
      if (collector.counts().refusedTotal() > linesRefused) out << "; last refused: " << collector.lastRefusal();
      linesRefused = collector.counts().refusedTotal();
      out << std::endl;
    }
    if (stopping) break;
  }
  // The library acknowledges a report to the broker as it arrives: what arrived before
  // the link stopped is ours to store, so it is taken and written before the end.
  link.stop();
  for (const LinkEvent& e : link.poll(std::chrono::milliseconds(0)))
    if (e.kind == LinkEvent::Kind::Message) collector.take(e.topic, e.payload, nowUtc());
  if (!collector.flush(nowUtc())) {
    // One more try after a pause: a database restarting may be back.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    collector.flush(nowUtc());
  }
  out << utcStampNow() << "  " << countsText(collector.counts()) << std::endl;
  if (collector.queued() > 0) {
    err << collector.queued() << " accepted reports could not be stored: " << collector.error() << '\n';
    return 1;
  }
  return 0;
}

int runNetworkReport(const Args& args, std::ostream& out, std::ostream& err) {
  const char* usage =
      "usage: harkola-cli network-report --store FILE.sqlite|postgresql://... --from \"YYYY-MM-DD[ HH:MM:SS]\" "
      "--to \"YYYY-MM-DD[ HH:MM:SS]\" [--near LOCATOR --km N] [-o OUT.csv]   (times in UTC)\n";
  ParsedArgs p;
  if (!parseOptions(args, "network-report", {"--store", "--from", "--to", "--near", "--km", "-o"}, usage, p, err))
    return 2;
  NetworkReportOptions o;
  const auto where = p.value("--store");
  if (!where) {
    err << "network-report needs --store.\n" << usage;
    return 2;
  }
  if (!p.value("--from") || !parseUtc(*p.value("--from"), o.fromUtc) || !p.value("--to") ||
      !parseUtc(*p.value("--to"), o.toUtc)) {
    err << "--from and --to need UTC times as \"YYYY-MM-DD HH:MM:SS\" or \"YYYY-MM-DD\".\n" << usage;
    return 2;
  }
  if (o.toUtc <= o.fromUtc) {
    err << "--to must be later than --from.\n";
    return 2;
  }
  if (p.has("--near") != p.has("--km")) {
    err << "--near and --km go together.\n" << usage;
    return 2;
  }
  if (const auto near = p.value("--near")) {
    o.near = locatorCentre(*near);
    int km = 0;
    if (!o.near) {
      err << "--near needs a 4- or 6-character locator, not \"" << *near << "\".\n";
      return 2;
    }
    if (!parseIntOption(*p.value("--km"), 1, 20037, km)) {
      err << "--km must be a whole number of kilometres from 1 to 20037.\n";
      return 2;
    }
    o.km = km;
  }
  std::string error;
  auto store = openSlotStore(*where, error);
  if (!store) {
    err << error << '\n';
    return 1;
  }
  std::ofstream file;
  std::ostream* dest = &out;
  if (const auto path = p.value("-o")) {
    file.open(*path, std::ios::binary | std::ios::trunc);
    if (!file) {
      err << "Cannot write " << *path << ".\n";
      return 1;
    }
    dest = &file;
  }
  const NetworkReportResult r = writeNetworkReport(*store, o, *dest);
  if (dest == &file) file.close();
  if (!r.ok || (dest == &file && !file)) {
    err << (r.error.empty() ? "The report could not be written." : r.error) << '\n';
    return 1;
  }
  err << r.reports << " reports in " << r.rows << " rows";
  if (r.clockOff) err << "; " << r.clockOff << " reports of stations whose clock was more than 2 s off were left out";
  if (r.farAway) err << "; " << r.farAway << " reports of stations beyond " << o.km << " km were left out";
  err << ".\n";
  return 0;
}

}  // namespace harkola::cli
