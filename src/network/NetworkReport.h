#pragma once
// The network report: from a store, the share of slots each station heard, per beacon,
// band and hour of the day (UTC), as CSV in the program's file conventions (every
// field in double quotes, CR LF):
//
//   "station","locator","band","beacon","callsign","hour","slots","heard","heard %"
//   "OH2XYZ","KP20","14","2","VE8AT","8","20","13","65.0"
//
// A station that moved is listed once per locator. Reports of stations whose clock was
// off the beacons by more than kClockToleranceMs are left out (their slots may be
// another beacon's), and counted.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "data/Maidenhead.h"
#include "network/SlotStore.h"

namespace harkola {

// Great-circle distance on a sphere of the Earth's mean radius (6371 km).
double greatCircleKm(const GeoPoint& a, const GeoPoint& b);

struct NetworkReportOptions {
  std::int64_t fromUtc = 0;  // slot start >= from
  std::int64_t toUtc = 0;    // slot start < to
  std::optional<GeoPoint> near;  // only stations within `km` of this place
  double km = 0;
};

struct NetworkReportResult {
  bool ok = false;
  std::string error;
  std::uint64_t reports = 0;   // reports counted
  std::uint64_t clockOff = 0;  // left out: the station's clock was off
  std::uint64_t farAway = 0;   // left out: the station is beyond --km
  std::uint64_t rows = 0;
};

NetworkReportResult writeNetworkReport(SlotStore& store, const NetworkReportOptions& options, std::ostream& out);

}  // namespace harkola
