#pragma once

namespace harkola {

// A place on the earth in degrees: north and east positive.
struct GeoPoint {
  double latitude = 0;   // -90..90
  double longitude = 0;
};

}  // namespace harkola
