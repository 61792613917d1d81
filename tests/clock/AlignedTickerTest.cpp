// The 100 ms ticker against the wall clock. Timings are not asserted tightly: the
// machine may be busy; what must hold is one tick per boundary, after the boundary.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <vector>

#include "clock/AlignedTicker.h"

namespace harkola {
namespace {

std::int64_t wallMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

struct DelayCase {
  const char* name;
  std::int64_t now;
  std::int64_t last;
  int delay;
};

class TickerDelay : public ::testing::TestWithParam<DelayCase> {};

TEST_P(TickerDelay, AimsJustPastTheNextUntickedBoundary) {
  EXPECT_EQ(AlignedTicker::delayUntilNext(GetParam().now, GetParam().last), GetParam().delay);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TickerDelay,
    ::testing::Values(DelayCase{"JustTicked", 1000002, 1000000, 100},
                      DelayCase{"TickedLate", 1000060, 1000000, 42},
                      DelayCase{"EarlyBeforeOwnBoundary", 1000000, 999900, 2},
                      DelayCase{"BoundaryMissedIsDueAtOnce", 1000050, 999900, 1},
                      DelayCase{"ClockSteppedBack", 999000, 1000000, 2},
                      DelayCase{"ClockSteppedForward", 1005070, 1000000, 1},
                      DelayCase{"LastMomentOfPeriod", 1000099, 1000000, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AlignedTicker, TicksTenTimesASecondEachJustAfterItsBoundary) {
  AlignedTicker ticker;
  std::vector<std::int64_t> at;
  QObject::connect(&ticker, &AlignedTicker::tick, [&] { at.push_back(wallMs()); });
  ticker.start();
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  ticker.stop();

  EXPECT_GE(at.size(), 9u);
  EXPECT_LE(at.size(), 11u);
  for (std::size_t i = 1; i < at.size(); ++i) {
    EXPECT_GT(at[i] / 100, at[i - 1] / 100) << "two ticks in one tenth, tick " << i;
  }
  // Most ticks land early in their tenth of a second (not asserted for every one).
  std::size_t early = 0;
  for (auto ms : at) early += (ms % 100) < 50;
  EXPECT_GE(early * 2, at.size());

  const std::size_t count = at.size();
  QElapsedTimer idle;
  idle.start();
  while (idle.elapsed() < 250) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(at.size(), count) << "no tick after stop()";
}

TEST(AlignedTicker, AReceiverMayStopIt) {
  AlignedTicker ticker;
  int ticks = 0;
  QObject::connect(&ticker, &AlignedTicker::tick, [&] {
    ++ticks;
    ticker.stop();
  });
  ticker.start();
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 400) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(ticker.isActive());
}

}  // namespace
}  // namespace harkola
