#pragma once
// Reports for the tests: a plausible report of `station` for the slot starting at
// `startUtc` on `band`, with the beacon the schedule puts there.
#include <chrono>
#include <tuple>

#include "clock/BeaconSchedule.h"
#include "network/SlotMessage.h"

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

}  // namespace harkola::test
