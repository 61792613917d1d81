#pragma once
// Reports for the tests: a plausible report of `station` for the slot starting at
// `startUtc` on `band`, with the beacon the schedule puts there; and a station link in
// memory, whose broker is there and acknowledges when the test says so.
#include <chrono>
#include <deque>
#include <memory>
#include <tuple>

#include "clock/BeaconSchedule.h"
#include "network/SlotMessage.h"
#include "network/StationLink.h"

namespace harkola::test {

// 2026-12-07 08:00:00 UTC: a cycle start.
inline constexpr std::int64_t kBaseUtc = 1796630400;

inline std::int64_t nowUtc() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// A cycle start a day before now: reports of it are neither too old nor in the future.
inline std::int64_t recentBaseUtc() {
  const std::int64_t now = nowUtc();
  return now - 86400 - now % 180;
}

inline SlotReport reportAt(const std::string& station, std::int64_t startUtc, int band = 0, bool heard = true) {
  SlotReport r;
  r.slotStartUtc = startUtc;
  r.band = band;
  const int secs = static_cast<int>(startUtc % 3600);
  r.beacon = slotPosition(secs / 60, secs % 60, band).stationNumber;
  r.beaconCall = "BCN" + std::to_string(r.beacon);
  r.heard = heard;
  if (heard) {
    r.dashes = 2;
    r.dashSnrDb = {-17.5, -27.1, std::nullopt, std::nullopt};
    r.toneHz = 842.3;
    r.offsetMs = -311;
  }
  r.detector = "sensitive";
  r.station = station;
  r.locator = "KP20";
  r.version = "5.0.0";
  r.clockAheadMs = 12;
  return r;
}

// Every field alike: what a round trip through the wire or a store must keep.
inline bool sameReport(const SlotReport& a, const SlotReport& b) {
  const auto fields = [](const SlotReport& r) {
    return std::tie(r.slotStartUtc, r.band, r.beacon, r.beaconCall, r.heard, r.dashes, r.dashSnrDb, r.toneHz,
                    r.offsetMs, r.detector, r.station, r.locator, r.version, r.clockAheadMs);
  };
  return fields(a) == fields(b);
}

class FakeLink : public StationLink {
 public:
  struct Sent {
    std::string topic, payload;
    std::uint64_t tag;
  };
  bool start(std::string&) override { return true; }
  void stop() override { setState(LinkState::Stopped); }
  bool publish(const std::string& topic, const std::string& payload, std::uint64_t tag) override {
    if (m_state != LinkState::Connected) return false;
    sent.push_back({topic, payload, tag});
    return true;
  }
  void subscribe(const std::string& filter) override { filters.push_back(filter); }
  std::vector<LinkEvent> poll(std::chrono::milliseconds) override {
    std::vector<LinkEvent> out(events.begin(), events.end());
    events.clear();
    return out;
  }
  LinkState state() const override { return m_state; }

  void setState(LinkState s) {
    m_state = s;
    events.push_back({LinkEvent::Kind::State, s, linkStateText(s), 0, {}, {}});
  }
  void acknowledge(std::uint64_t tag) { events.push_back({LinkEvent::Kind::Acknowledged, m_state, {}, tag, {}, {}}); }
  void arrive(std::string topic, std::string payload) {
    events.push_back({LinkEvent::Kind::Message, m_state, {}, 0, std::move(topic), std::move(payload)});
  }

  std::vector<Sent> sent;
  std::vector<std::string> filters;
  std::deque<LinkEvent> events;

 private:
  LinkState m_state = LinkState::Stopped;
};

// A station's link factory handing out fake links, the latest kept in `link`.
inline auto fakeLinks(FakeLink*& link) {
  return [&link](const BrokerAddress&) -> std::unique_ptr<StationLink> {
    auto l = std::make_unique<FakeLink>();
    link = l.get();
    return l;
  };
}

}  // namespace harkola::test
