// The clock's seams to the system: setting the clock (the real clock is never set), its
// sync state beside the main window's time, and the 100 ms ticker against the wall clock
// (timings are not asserted tightly: the machine may be busy; what must hold is one tick
// per boundary, after the boundary).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cerrno>
#include <chrono>
#include <vector>

#include "clock/AlignedTicker.h"
#include "clock/ClockSync.h"
#include "clock/SystemTimeSource.h"

namespace harkola {
namespace {

// The system clock now, in nanoseconds since the epoch.
std::int64_t wallNs() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
}

TEST(SystemTimeSource, AsksForTheClockMovedBySecondsKeepingTheFractionOrSaysWhatToDo) {
  for (int seconds : {1, -1}) {
    timespec asked{};
    int calls = 0;
    SystemTimeSource source([&](const timespec& ts) { return asked = ts, ++calls, 0; });
    const std::int64_t before = wallNs();
    std::string error = "stale";
    ASSERT_TRUE(source.adjustSeconds(seconds, error));
    const std::int64_t after = wallNs();
    EXPECT_EQ(std::pair(calls, error), std::pair(1, std::string()));
    const std::int64_t set = std::int64_t(asked.tv_sec) * 1000000000 + asked.tv_nsec;
    const std::int64_t shift = std::int64_t(seconds) * 1000000000;
    EXPECT_TRUE(set >= before + shift && set <= after + shift) << seconds;
  }
  // Refused or failed, the error explains what to do.
  std::string error;
  SystemTimeSource refused([](const timespec&) { return errno = EPERM, -1; });
  EXPECT_FALSE(refused.adjustSeconds(1, error));
  for (const char* part : {"not allowed to change the system time", "sudo setcap cap_sys_time+ep", "NTP"})
    EXPECT_NE(error.find(part), std::string::npos) << error;

  SystemTimeSource failing([](const timespec&) { return errno = EINVAL, -1; });
  EXPECT_FALSE(failing.adjustSeconds(-1, error));
  EXPECT_EQ(error.rfind("The computer clock could not be set: ", 0), 0u) << error;
  EXPECT_EQ(error.find("setcap"), std::string::npos) << error;
}

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

// Whatever state this machine's kernel is in, the reading is one the window can show
// (every state's text is in the table above).
TEST(ClockSync, KernelReadingAlwaysGivesAText) {
  EXPECT_GE(readClockSync().estErrorUs, 0);
}

TEST(TickerDelay, AimsJustPastTheNextUntickedBoundary) {
  const struct {
    const char* name;
    std::int64_t now, last;
    int delay;
  } rows[] = {{"JustTicked", 1000002, 1000000, 100},       {"TickedLate", 1000060, 1000000, 42},
              {"EarlyBeforeOwnBoundary", 1000000, 999900, 2}, {"BoundaryMissedIsDueAtOnce", 1000050, 999900, 1},
              {"ClockSteppedBack", 999000, 1000000, 2},     {"LastMomentOfPeriod", 1000099, 1000000, 3}};
  for (const auto& r : rows) EXPECT_EQ(AlignedTicker::delayUntilNext(r.now, r.last), r.delay) << r.name;
}

// A short live run: one tick per tenth of a second, none after stop(), and a receiver
// may stop it from inside its own tick.
TEST(AlignedTicker, TicksOncePerBoundaryUntilStopped) {
  AlignedTicker ticker;
  std::vector<std::int64_t> at;
  QObject::connect(&ticker, &AlignedTicker::tick, [&] {
    at.push_back(wallNs() / 1000000);
    if (at.size() == 5) ticker.stop();
  });
  ticker.start();
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_EQ(at.size(), 5u) << "no tick after stop()";
  EXPECT_FALSE(ticker.isActive());
  for (std::size_t i = 1; i < at.size(); ++i)
    EXPECT_GT(at[i] / 100, at[i - 1] / 100) << "two ticks in one tenth, tick " << i;
}

}  // namespace
}  // namespace harkola
