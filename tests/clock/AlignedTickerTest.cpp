// The 100 ms ticker against the wall clock. Timings are not asserted tightly: the
// machine may be busy; what must hold is one tick per boundary, after the boundary.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <vector>

#include "clock/AlignedTicker.h"
#include "support/Tables.h"

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
                      DelayCase{"LastMomentOfPeriod", 1000099, 1000000, 3}),
    test::rowName);

// A short live run: one tick per tenth of a second, none after stop(), and a receiver
// may stop it from inside its own tick.
TEST(AlignedTicker, TicksOncePerBoundaryUntilStopped) {
  AlignedTicker ticker;
  std::vector<std::int64_t> at;
  QObject::connect(&ticker, &AlignedTicker::tick, [&] {
    at.push_back(wallMs());
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
