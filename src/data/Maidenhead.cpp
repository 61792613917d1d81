#include "data/Maidenhead.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "common/TextFields.h"

namespace harkola {
namespace {

// Added before each floor so that a position exactly on a square's edge, computed
// from whole minutes (25/60 * 24 = 10), is not pushed into the square below by
// rounding. Far smaller than the 0.5-minute resolution of the data files.
constexpr double kEdgeNudge = 1e-9;

int cell(double& rest, double size) {
  const int n = static_cast<int>(std::floor(rest / size + kEdgeNudge));
  rest -= n * size;
  if (rest < 0) rest = 0;
  return n;
}

// Index of a letter 'A'.. in either case, or -1 when it is no letter below `count`.
int letterIndex(char c, int count) {
  const int up = std::toupper(static_cast<unsigned char>(c));
  if (up < 'A' || up >= 'A' + count) return -1;
  return up - 'A';
}

int digitIndex(char c) { return (c >= '0' && c <= '9') ? c - '0' : -1; }

}  // namespace

std::string locatorFromPosition(double latitude, double longitude) {
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return {};
  if (latitude < -90.0 || latitude > 90.0) return {};
  double lon = std::fmod(longitude + 180.0, 360.0);
  if (lon < 0) lon += 360.0;
  // The north pole belongs to the top row of squares, not to a 19th field.
  double lat = std::min(latitude + 90.0, 180.0 - 1e-7);

  const int lonField = std::min(cell(lon, 20.0), 17);
  const int latField = std::min(cell(lat, 10.0), 17);
  const int lonSquare = std::min(cell(lon, 2.0), 9);
  const int latSquare = std::min(cell(lat, 1.0), 9);
  const int lonSub = std::min(cell(lon, 5.0 / 60.0), 23);
  const int latSub = std::min(cell(lat, 2.5 / 60.0), 23);

  std::string s(6, ' ');
  s[0] = static_cast<char>('A' + lonField);
  s[1] = static_cast<char>('A' + latField);
  s[2] = static_cast<char>('0' + lonSquare);
  s[3] = static_cast<char>('0' + latSquare);
  s[4] = static_cast<char>('a' + lonSub);
  s[5] = static_cast<char>('a' + latSub);
  return s;
}

std::optional<GeoPoint> locatorCentre(std::string_view locator) {
  const std::string_view s = trimField(locator);
  if (s.size() != 4 && s.size() != 6) return std::nullopt;
  const int lonField = letterIndex(s[0], 18), latField = letterIndex(s[1], 18);
  const int lonSquare = digitIndex(s[2]), latSquare = digitIndex(s[3]);
  if (lonField < 0 || latField < 0 || lonSquare < 0 || latSquare < 0) return std::nullopt;

  GeoPoint p;
  p.longitude = -180.0 + lonField * 20.0 + lonSquare * 2.0;
  p.latitude = -90.0 + latField * 10.0 + latSquare * 1.0;
  if (s.size() == 4) {
    p.longitude += 1.0;
    p.latitude += 0.5;
    return p;
  }
  const int lonSub = letterIndex(s[4], 24), latSub = letterIndex(s[5], 24);
  if (lonSub < 0 || latSub < 0) return std::nullopt;
  p.longitude += (lonSub + 0.5) * 5.0 / 60.0;
  p.latitude += (latSub + 0.5) * 2.5 / 60.0;
  return p;
}

DegMin toDegMin(double degrees) {
  DegMin r;
  r.negative = degrees < 0;
  const long totalMinutes = std::lround(std::fabs(degrees) * 60.0);
  r.degrees = static_cast<int>(totalMinutes / 60);
  r.minutes = static_cast<int>(totalMinutes % 60);
  if (r.degrees == 0 && r.minutes == 0) r.negative = false;
  return r;
}

}  // namespace harkola
