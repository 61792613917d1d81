// The clock-sync text beside the main window's time.
#include <gtest/gtest.h>

#include "clock/ClockSync.h"

namespace harkola {
namespace {

TEST(ClockSyncText, Reads) {
  const struct {
    const char* name;
    ClockSyncState state;
    const char* text;
  } rows[] = {{"Unknown", {false, false, 0}, "sync state unknown"},
              {"Unsynchronised", {true, false, 2000}, "not synchronised"},
              {"TinyErrorNotZero", {true, true, 20}, "synchronised (\u00B10.1 ms)"},
              {"SubMillisecond", {true, true, 440}, "synchronised (\u00B10.4 ms)"},
              {"JustUnderOneMs", {true, true, 960}, "synchronised (\u00B11 ms)"},
              {"RoundsToNearestMs", {true, true, 15500}, "synchronised (\u00B116 ms)"},
              {"LargestInMs", {true, true, 999499}, "synchronised (\u00B1999 ms)"},
              {"OneSecond", {true, true, 999500}, "synchronised (\u00B11.0 s)"}};
  for (const auto& r : rows) EXPECT_EQ(clockSyncText(r.state), r.text) << r.name;
}

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
