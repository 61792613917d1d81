#include "ui/WindowPlacement.h"

#include <gtest/gtest.h>

namespace harkola {
namespace {

// A 1600 x 1000 screen to the right of another one (x from 1920).
constexpr ScreenRect kScreen{1920, 0, 1600, 1000};

TEST(Placement, WindowEndsUpWhollyOnTheScreen) {
  const std::pair<ScreenRect, ScreenRect> rows[] = {
      {{2000, 100, 500, 400}, {2000, 100, 500, 400}},   // already inside
      {{2000, 870, 500, 400}, {2000, 600, 500, 400}},   // grown past the bottom
      {{3300, 100, 500, 400}, {3020, 100, 500, 400}},   // past the right edge
      {{100, 100, 500, 400}, {1920, 100, 500, 400}},    // on the other screen
      {{2000, -30, 500, 400}, {2000, 0, 500, 400}},     // above the top
      {{3020, 600, 500, 400}, {3020, 600, 500, 400}},   // touching the edges
      {{2000, 300, 500, 1200}, {2000, 0, 500, 1200}}};  // taller than the screen: its title bar stays on it
  for (const auto& [window, expected] : rows) EXPECT_EQ(keptInside(window, kScreen), expected) << window.y;
}

// A window shrinks only when it cannot fit, never below its least size, never grown.
TEST(Placement, WindowShrinksOnlyWhenItCannotFit) {
  const struct {
    ScreenRect window;
    int leastWidth, leastHeight;
    ScreenRect expected;
  } rows[] = {{{2000, 870, 500, 400}, 200, 200, {2000, 600, 500, 400}},
              {{2000, 300, 500, 1200}, 200, 600, {2000, 0, 500, 1000}},
              {{1800, 100, 1700, 400}, 900, 200, {1920, 100, 1600, 400}},
              {{2000, 300, 500, 1200}, 200, 1100, {2000, 0, 500, 1100}},  // contents taller than the screen
              {{2000, 100, 100, 100}, 300, 300, {2000, 100, 100, 100}}};
  for (const auto& r : rows)
    EXPECT_EQ(fittedInside(r.window, kScreen, r.leastWidth, r.leastHeight), r.expected) << r.window.height;
}

}  // namespace
}  // namespace harkola
