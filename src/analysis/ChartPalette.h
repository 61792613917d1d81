#pragma once
// The colours of the chart's series: eighteen colours a reader can tell apart on a white
// background, one per beacon, so a chart of all beacons needs no guessing. None is pale
// enough to vanish against the white (each has a contrast of at least 2.4 : 1 to it).

#include <array>

namespace harkola {

struct ChartColour {
  int red = 0, green = 0, blue = 0;  // 0..255
};

inline constexpr int kChartColourCount = 18;

// The colour of series `series` (1-based); from the nineteenth series on the colours
// repeat.
ChartColour seriesColour(int series);

}  // namespace harkola
