#pragma once
// Home and the 18 beacons as points on the map, read from the loaded data files in true
// degrees (the distance/azimuth table converts with its own historical pi).

#include <string>
#include <vector>

#include "app/PublicDecs.h"
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
