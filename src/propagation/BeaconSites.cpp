#include "propagation/BeaconSites.h"

#include "data/Beacons.h"

namespace harkola {

GeoPoint homePoint(const PublicDecs& d) {
  GeoPoint p = homePosition(d.Home);
  p.longitude = normalizeLongitude(p.longitude);
  return p;
}

std::vector<BeaconSite> beaconSites(const PublicDecs& d) {
  const Beacons beacons(d.BeaconTable);
  std::vector<BeaconSite> out;
  for (int n = 1; n <= kBeaconCount; ++n) {
    BeaconSite s;
    s.number = n;
    s.country = beacons.country(n);
    s.callsign = beacons.callsign(n);
    s.where = beacons.position(n);
    s.where.longitude = normalizeLongitude(s.where.longitude);
    out.push_back(std::move(s));
  }
  return out;
}

}  // namespace harkola
