// The time of live samples: a sample clock that runs fast or slow and blocks that
// arrive late by a scattered delay still land on the system clock's grid.
#include <gtest/gtest.h>

#include <random>

#include "receiver/BlockClock.h"

namespace harkola {
namespace {

using Seconds = std::chrono::duration<double>;

// A source delivering 1/20 s blocks at 2.4 MS/s whose clock is `ppm` off; arrivals are
// late by 30 ms plus the scatter. After the first minute the stamped time of every
// block stays within 20 ms of its true time plus the 30 ms floor, all day.
TEST(BlockClock, StaysOnTheGrid) {
  const struct {
    const char* name;
    double ppm;          // the device's sample clock error
    double jitterMeanS;  // mean of the exponential extra delay of each block
    double stallShare;   // share of blocks held back 0.3 s more (a busy machine)
    double hours;
  } rows[] = {{"exact_usb", 0, 0.002, 0, 24},
              {"fast_100ppm_usb", 100, 0.002, 0, 24},
              {"slow_100ppm_network", -100, 0.020, 0.001, 24},
              {"fast_400ppm_busy", 400, 0.010, 0.01, 6}};
  for (const auto& c : rows) {
    SCOPED_TRACE(c.name);
    const double rate = 2.4e6, trueRate = rate * (1 + c.ppm * 1e-6);
    const std::size_t count = 120000;
    BlockClock clock(rate);
    std::mt19937 rng(7);
    std::exponential_distribution<double> late(1.0 / c.jitterMeanS);
    std::uniform_real_distribution<double> u(0, 1);
    const SysTime t0 = std::chrono::system_clock::from_time_t(1700000000);
    double worst = 0, lastArrival = 0;
    long long index = 0;
    const long blocks = static_cast<long>(c.hours * 3600 * 20);
    for (long k = 0; k < blocks; ++k, index += static_cast<long long>(count)) {
      const double start = index / trueRate, end = (index + static_cast<double>(count)) / trueRate;
      double arrival = end + 0.030 + late(rng) + (u(rng) < c.stallShare ? 0.3 : 0.0);
      arrival = std::max(arrival, lastArrival);  // blocks come in order
      lastArrival = arrival;
      const SysTime stamped =
          clock.place(index, count, t0 + std::chrono::duration_cast<SysTime::duration>(Seconds(arrival)));
      if (start > 60) worst = std::max(worst, std::abs(Seconds(stamped - t0).count() - (start + 0.030)));
    }
    EXPECT_LT(worst, 0.020) << "worst error " << worst * 1000 << " ms";
    EXPECT_NEAR((clock.rateRatio() - 1) * 1e6, c.ppm, 10.0);
  }
}

TEST(BlockClock, KnownGapKeepsTimeAndUnknownLossStartsAfresh) {
  const double rate = 48000;
  BlockClock clock(rate);
  const SysTime t0 = std::chrono::system_clock::from_time_t(1700000000);
  auto at = [&](double s) { return t0 + std::chrono::duration_cast<SysTime::duration>(Seconds(s)); };
  for (int k = 0; k < 200; ++k) clock.place(k * 4800LL, 4800, at((k + 1) * 0.1));
  // Hardware time says 1 s of samples were dropped: the positions after it keep their
  // place on the clock.
  const SysTime afterGap = clock.place(200 * 4800LL + 48000, 4800, at(21.1));
  EXPECT_NEAR(Seconds(afterGap - t0).count(), 21.0, 0.002);
  // Samples lost uncounted: the next block is placed by its arrival alone.
  clock.restart();
  const SysTime fresh = clock.place(0, 4800, at(100.1));
  EXPECT_NEAR(Seconds(fresh - t0).count(), 100.0, 0.002);
}

}  // namespace
}  // namespace harkola
