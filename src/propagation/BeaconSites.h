#pragma once
// Home and the 18 beacons as points on the map, from the loaded data files.

#include <string>
#include <vector>

#include "common/PublicDecs.h"
#include "propagation/GreatCircle.h"

namespace harkola {

struct BeaconSite {
  int number = 0;  // 1..18
  std::string callsign;
  std::string country;
  GeoPoint where;
};

GeoPoint homePoint(const PublicDecs& d);
std::vector<BeaconSite> beaconSites(const PublicDecs& d);

}  // namespace harkola
