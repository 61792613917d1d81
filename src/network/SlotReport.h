#pragma once
// One station's result for one slot, as stations share it: what the slot log holds,
// plus who measured it, where (a Maidenhead locator, never the home coordinates) and
// how far the station's clock was off the beacons at the time.
//
// The key of a report is (station, slot start, band): a station analyses each slot of
// a band once, so a second report with the same key is the same report sent again.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "clock/SlotMeasurement.h"

namespace harkola {

struct SlotReport {
  std::int64_t slotStartUtc = 0;  // seconds since 1970-01-01 UTC, a multiple of 10
  int band = 0;                   // 0..4
  int beacon = 0;                 // 1..18, the beacon the schedule puts on the air
  std::string beaconCall;         // its callsign as the station's beacon table has it
  bool heard = false;
  int dashes = 0;                 // dashes heard, 0..4
  std::array<std::optional<double>, 4> dashSnrDb{};  // 100 W, 10 W, 1 W, 0.1 W; dB in 2.5 kHz
  std::optional<double> toneHz;    // known when heard
  std::optional<double> offsetMs;  // first key-down minus slot boundary; known when heard
  std::string detector;            // "sensitive", ...
  std::string station;             // the listening station's callsign, upper case
  std::string locator;             // 4 characters, or 6 when the station chose so
  std::string version;             // the program version that measured it
  // How far the station's PC clock was ahead of the beacons (its own clock check from
  // the beacons it heard), ms; unknown before the station heard any beacon.
  std::optional<double> clockAheadMs;

  bool sameKey(const SlotReport& o) const {
    return station == o.station && slotStartUtc == o.slotStartUtc && band == o.band;
  }
};

// Who a station is, as it tells the network.
struct StationIdentity {
  std::string callsign;
  std::string locator;  // already cut to the precision the station chose
  std::string detector = "sensitive";
  std::string version;
};

// A slot-log measurement as a report of `who`.
SlotReport reportOf(const SlotMeasurement& m, const StationIdentity& who,
                    std::optional<double> clockAheadMs);

// Stations beyond this clock error (either way) are shown apart and not merged: their
// slots may be someone else's.
inline constexpr double kClockToleranceMs = 2000.0;

}  // namespace harkola
