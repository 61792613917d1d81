#include "ui/WindowPlacement.h"

#include <gtest/gtest.h>
#include "support/Tables.h"

namespace harkola {
namespace {

struct PlacementCase {
  const char* name;
  ScreenRect window, expected;
};

class Placement : public ::testing::TestWithParam<PlacementCase> {};

// A 1600 x 1000 screen to the right of another one (x from 1920).
constexpr ScreenRect kScreen{1920, 0, 1600, 1000};

TEST_P(Placement, WindowEndsUpWhollyOnTheScreen) {
  EXPECT_EQ(keptInside(GetParam().window, kScreen), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Placement,
    ::testing::Values(
        PlacementCase{"AlreadyInside", {2000, 100, 500, 400}, {2000, 100, 500, 400}},
        PlacementCase{"GrownPastTheBottom", {2000, 870, 500, 400}, {2000, 600, 500, 400}},
        PlacementCase{"PastTheRightEdge", {3300, 100, 500, 400}, {3020, 100, 500, 400}},
        PlacementCase{"OnTheOtherScreen", {100, 100, 500, 400}, {1920, 100, 500, 400}},
        PlacementCase{"AboveTheTop", {2000, -30, 500, 400}, {2000, 0, 500, 400}},
        PlacementCase{"TouchingTheEdges", {3020, 600, 500, 400}, {3020, 600, 500, 400}},
        PlacementCase{"TallerThanTheScreenKeepsItsTitleBarVisible", {2000, 300, 500, 1200}, {2000, 0, 500, 1200}}),
    test::rowName);

struct FitCase {
  const char* name;
  ScreenRect window;
  int leastWidth, leastHeight;
  ScreenRect expected;
};

class Fitting : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fitting, WindowShrinksOnlyWhenItCannotFit) {
  const FitCase& c = GetParam();
  EXPECT_EQ(fittedInside(c.window, kScreen, c.leastWidth, c.leastHeight), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Fitting,
    ::testing::Values(FitCase{"FitsAndKeepsItsSize", {2000, 870, 500, 400}, 200, 200, {2000, 600, 500, 400}},
                      FitCase{"TallerThanTheScreenShrinks", {2000, 300, 500, 1200}, 200, 600, {2000, 0, 500, 1000}},
                      FitCase{"WiderThanTheScreenShrinks", {1800, 100, 1700, 400}, 900, 200, {1920, 100, 1600, 400}},
                      FitCase{"ContentsTallerThanTheScreenKeepTheTitleBarOnIt", {2000, 300, 500, 1200}, 200, 1100,
                              {2000, 0, 500, 1100}},
                      FitCase{"SmallerThanItsLeastSizeIsNotGrown", {2000, 100, 100, 100}, 300, 300,
                              {2000, 100, 100, 100}}),
    test::rowName);

}  // namespace
}  // namespace harkola
