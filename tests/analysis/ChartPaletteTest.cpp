#include "analysis/ChartPalette.h"

#include <gtest/gtest.h>

#include <cmath>

namespace harkola {
namespace {

double linear(int c) {
  const double v = c / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// Relative luminance (sRGB) and the CIELAB coordinates (D65) of a colour.
double luminance(ChartColour c) {
  return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
}

std::array<double, 3> lab(ChartColour c) {
  const double r = linear(c.red), g = linear(c.green), b = linear(c.blue);
  const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
  const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
  auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0; };
  return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

// Eighteen beacons on one chart: every pair of lines told apart, none fading into the
// white background (a light yellow or a grey near white would).
TEST(ChartPalette, EighteenColoursDistinctAndVisibleOnWhite) {
  for (int a = 1; a <= kChartColourCount; ++a) {
    const double contrast = 1.05 / (luminance(seriesColour(a)) + 0.05);
    EXPECT_GE(contrast, 2.4) << "series " << a;
    for (int b = a + 1; b <= kChartColourCount; ++b) {
      const auto p = lab(seriesColour(a)), q = lab(seriesColour(b));
      const double delta = std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
      EXPECT_GE(delta, 20.0) << "series " << a << " and " << b;
    }
  }
  const ChartColour first = seriesColour(1), again = seriesColour(kChartColourCount + 1);
  EXPECT_EQ(std::tuple(first.red, first.green, first.blue), std::tuple(again.red, again.green, again.blue));
}

}  // namespace
}  // namespace harkola
