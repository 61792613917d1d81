#include "data/Beacons.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "data/DataFile.h"

namespace harkola {
namespace {

double numberOrZero(const std::string& text) {
  double v = 0;
  return parseNumber(text, v) ? v : 0.0;
}

double degrees(double whole, double minutes, bool negative) {
  const double a = whole + minutes / 60.0;
  return negative ? -a : a;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

const std::string& Beacons::field(int beacon, int column) const {
  const int row = beacon >= 1 && beacon <= kBeaconCount ? beacon : 0;
  return t_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

const std::string& Beacons::status(int beacon, int band) const {
  return field(beacon, beacon_field::kFirstStatus + std::clamp(band, 0, kBandCount - 1));
}

GeoPoint Beacons::position(int beacon) const {
  using namespace beacon_field;
  return GeoPoint{
      degrees(numberOrZero(field(beacon, kLatitudeDegrees)), numberOrZero(field(beacon, kLatitudeMinutes)),
              field(beacon, kNorthSouth) == "South"),
      degrees(numberOrZero(field(beacon, kLongitudeDegrees)), numberOrZero(field(beacon, kLongitudeMinutes)),
              field(beacon, kEastWest) == "West")};
}

std::vector<std::string> Beacons::callsigns() const {
  std::vector<std::string> calls;
  for (int n = 1; n <= kBeaconCount; ++n) calls.push_back(callsign(n));
  return calls;
}

int Beacons::numberOfCallsign(std::string_view call) const {
  if (call.empty()) return 0;
  for (int b = 1; b <= kBeaconCount; ++b)
    if (sameIgnoringCase(callsign(b), call)) return b;
  return 0;
}

GeoPoint homePosition(const HomeRecord& home) {
  const auto& h = home.fields;
  return GeoPoint{degrees(numberOrZero(h[2]), std::nearbyint(numberOrZero(h[3])), h[4] == "South"),
                  degrees(numberOrZero(h[5]), numberOrZero(h[6]), h[7] == "West")};
}

}  // namespace harkola
