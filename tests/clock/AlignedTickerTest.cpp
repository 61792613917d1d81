// The 100 ms ticker against the wall clock. Timings are not asserted tightly: the
// machine may be busy; what must hold is one tick per boundary, after the boundary.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <vector>

#include "clock/AlignedTicker.h"
#include "support/WaitFor.h"

namespace harkola {
namespace {

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
    at.push_back(test::wallNs() / 1000000);
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
