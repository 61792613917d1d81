#pragma once
// The map's coastline file (resources/map/coastlines.bin, made by
// tools/make_coastlines.py): "HKCL", uint32 version 1, uint32 line count, then per line
// uint32 point count and (int16 longitude, int16 latitude) pairs in hundredths of a
// degree, all little-endian.

#include <string_view>
#include <vector>

#include "propagation/GreatCircle.h"

namespace harkola {

using Polyline = std::vector<GeoPoint>;

// The lines of a coastline file; empty for bytes that are not one (wrong tag or
// version, a count that runs past the end, a coordinate off the globe).
std::vector<Polyline> decodeCoastlines(std::string_view bytes);

}  // namespace harkola
