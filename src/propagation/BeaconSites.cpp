#include "propagation/BeaconSites.h"

#include "data/DataFile.h"

namespace harkola {
namespace {

double number(const std::string& text) {
  double v = 0;
  return parseNumber(text, v) ? v : 0.0;
}

double degrees(const std::string& deg, const std::string& min, bool negative) {
  const double v = number(deg) + number(min) / 60.0;
  return negative ? -v : v;
}

}  // namespace

GeoPoint homePoint(const PublicDecs& d) {
  const auto& h = d.Home.fields;
  return GeoPoint{degrees(h[2], h[3], h[4] == "South"), normalizeLongitude(degrees(h[5], h[6], h[7] == "West"))};
}

std::vector<BeaconSite> beaconSites(const PublicDecs& d) {
  std::vector<BeaconSite> out;
  for (int n = 1; n <= kBeaconCount; ++n) {
    const auto& row = d.BeaconTable[static_cast<std::size_t>(n)];
    BeaconSite s;
    s.number = n;
    s.country = row[2];
    s.callsign = row[3];
    s.where.longitude = normalizeLongitude(degrees(row[9], row[10], row[11] == "West"));
    s.where.latitude = degrees(row[12], row[13], row[14] == "South");
    out.push_back(std::move(s));
  }
  return out;
}

}  // namespace harkola
