#pragma once
// The beacon table read by meaning. BeaconTable keeps the records of BeaconData.dat as
// text, field by field; everything outside the data-file code reads it through this
// view, so field numbers live in one place.

#include <string>
#include <string_view>
#include <vector>

#include "common/PublicDecs.h"
#include "data/GeoPoint.h"

namespace harkola {

// Field numbers of a beacon record (BeaconTable columns).
namespace beacon_field {
inline constexpr int kNumber = 1;
inline constexpr int kCountry = 2;
inline constexpr int kCallsign = 3;
inline constexpr int kFirstStatus = 4;  // 4..8: status on bands 0..4
inline constexpr int kLongitudeDegrees = 9;
inline constexpr int kLongitudeMinutes = 10;
inline constexpr int kEastWest = 11;  // "West" or anything else for east
inline constexpr int kLatitudeDegrees = 12;
inline constexpr int kLatitudeMinutes = 13;
inline constexpr int kNorthSouth = 14;  // "South" or anything else for north
inline constexpr int kNote = 15;
}  // namespace beacon_field

class Beacons {
 public:
  explicit Beacons(const BeaconGrid& table) : t_(table) {}

  // Beacon numbers outside 1..18 give the empty row 0; bands are clamped to 0..4.
  const std::string& country(int beacon) const { return field(beacon, beacon_field::kCountry); }
  const std::string& callsign(int beacon) const { return field(beacon, beacon_field::kCallsign); }
  const std::string& status(int beacon, int band) const;
  // The stored degrees and minutes as a position; fields that are not numbers count as 0.
  GeoPoint position(int beacon) const;
  // The 18 callsigns in beacon order (index = number - 1).
  std::vector<std::string> callsigns() const;
  // The beacon number 1..18 whose callsign equals `call` (ignoring case), 0 when none.
  int numberOfCallsign(std::string_view call) const;

 private:
  const std::string& field(int beacon, int column) const;
  const BeaconGrid& t_;
};

// The home record's position in degrees (latitude minutes kept whole, rounded half to
// even, as the distance table has always used them).
GeoPoint homePosition(const HomeRecord& home);

}  // namespace harkola
