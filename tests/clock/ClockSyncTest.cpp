// The clock-sync text beside the main window's time.
#include <gtest/gtest.h>

#include "clock/ClockSync.h"
#include "support/Tables.h"

namespace harkola {
namespace {

struct SyncCase {
  const char* name;
  ClockSyncState state;
  const char* text;
};

class ClockSyncText : public ::testing::TestWithParam<SyncCase> {};

TEST_P(ClockSyncText, Reads) { EXPECT_EQ(clockSyncText(GetParam().state), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    States, ClockSyncText,
    ::testing::Values(
        SyncCase{"Unknown", {false, false, 0}, "sync state unknown"},
        SyncCase{"Unsynchronised", {true, false, 2000}, "not synchronised"},
        SyncCase{"TinyErrorNotZero", {true, true, 20}, "synchronised (\u00B10.1 ms)"},
        SyncCase{"SubMillisecond", {true, true, 440}, "synchronised (\u00B10.4 ms)"},
        SyncCase{"JustUnderOneMs", {true, true, 960}, "synchronised (\u00B11 ms)"},
        SyncCase{"RoundsToNearestMs", {true, true, 15500}, "synchronised (\u00B116 ms)"},
        SyncCase{"LargestInMs", {true, true, 999499}, "synchronised (\u00B1999 ms)"},
        SyncCase{"OneSecond", {true, true, 999500}, "synchronised (\u00B11.0 s)"}),
    test::rowName);

// Whatever state this machine's kernel is in, the reading is one the window can show.
TEST(ClockSync, KernelReadingAlwaysGivesAText) {
  const ClockSyncState s = readClockSync();
  EXPECT_GE(s.estErrorUs, 0);
  const std::string text = clockSyncText(s);
  EXPECT_TRUE(text.rfind("synchronised", 0) == 0 || text == "not synchronised" || text == "sync state unknown")
      << text;
}

}  // namespace
}  // namespace harkola
