#include "propagation/SolarPosition.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace harkola {
namespace {

constexpr double kRad = std::numbers::pi / 180.0;

double wrap360(double a) {
  a = std::fmod(a, 360.0);
  return a < 0 ? a + 360.0 : a;
}

}  // namespace

SunPosition sunPositionAt(std::chrono::system_clock::time_point utc) {
  using namespace std::chrono;
  const double unixSeconds = duration<double>(utc.time_since_epoch()).count();
  const double jd = unixSeconds / 86400.0 + 2440587.5;
  const double T = (jd - 2451545.0) / 36525.0;  // Julian centuries since J2000.0

  const double L0 = wrap360(280.46646 + T * (36000.76983 + T * 0.0003032));
  const double M = 357.52911 + T * (35999.05029 - 0.0001537 * T);
  const double e = 0.016708634 - T * (0.000042037 + 0.0000001267 * T);
  const double Mr = M * kRad;
  const double C = std::sin(Mr) * (1.914602 - T * (0.004817 + 0.000014 * T)) +
                   std::sin(2 * Mr) * (0.019993 - 0.000101 * T) + std::sin(3 * Mr) * 0.000289;
  const double omega = (125.04 - 1934.136 * T) * kRad;
  const double lambda = (L0 + C - 0.00569 - 0.00478 * std::sin(omega)) * kRad;
  const double eps0 = 23.0 + (26.0 + (21.448 - T * (46.815 + T * (0.00059 - T * 0.001813))) / 60.0) / 60.0;
  const double eps = (eps0 + 0.00256 * std::cos(omega)) * kRad;

  SunPosition s;
  s.declinationDeg = std::asin(std::sin(eps) * std::sin(lambda)) / kRad;
  const double y = std::tan(eps / 2) * std::tan(eps / 2);
  const double L0r = L0 * kRad;
  const double eot = y * std::sin(2 * L0r) - 2 * e * std::sin(Mr) +
                     4 * e * y * std::sin(Mr) * std::cos(2 * L0r) -
                     0.5 * y * y * std::sin(4 * L0r) - 1.25 * e * e * std::sin(2 * Mr);
  s.equationOfTimeMin = 4.0 * eot / kRad;

  const double dayFraction = unixSeconds / 86400.0 - std::floor(unixSeconds / 86400.0);
  const double utcHours = dayFraction * 24.0;
  s.subsolar.latitude = s.declinationDeg;
  s.subsolar.longitude = normalizeLongitude(-15.0 * (utcHours - 12.0 + s.equationOfTimeMin / 60.0));
  return s;
}

double sunElevationDeg(const GeoPoint& where, const SunPosition& sun) {
  return 90.0 - centralAngleDeg(where, sun.subsolar);
}

Daylight daylightAt(double elevation) {
  if (elevation >= -0.833) return Daylight::Day;
  if (elevation >= -6.0) return Daylight::Civil;
  if (elevation >= -12.0) return Daylight::Nautical;
  if (elevation >= -18.0) return Daylight::Astronomical;
  return Daylight::Night;
}

double boundaryDepressionDeg(Daylight lighter) {
  switch (lighter) {
    case Daylight::Day: return 0.833;
    case Daylight::Civil: return 6.0;
    case Daylight::Nautical: return 12.0;
    case Daylight::Astronomical:
    case Daylight::Night: return 18.0;
  }
  return 18.0;
}

std::vector<GeoPoint> twilightCurve(const SunPosition& sun, double depressionDeg, int count) {
  count = std::max(count, 3);
  std::vector<GeoPoint> out;
  out.reserve(static_cast<std::size_t>(count) + 1);
  for (int i = 0; i < count; ++i) {
    out.push_back(destination(sun.subsolar, 360.0 * i / count, 90.0 + depressionDeg));
  }
  out.push_back(out.front());
  return out;
}

}  // namespace harkola
