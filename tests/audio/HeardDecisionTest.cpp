// The clock's per-slot decision under automatic logging: heard test, S level, one
// record per slot, the listening window and test mode.
#include <gtest/gtest.h>

#include "BeaconTableFixture.h"
#include "clock/BeaconClock.h"

namespace harkola {
namespace {

class HeardDecision : public ::testing::Test {
 protected:
  HeardDecision() : clock(d, &sink, nullptr) {
    testing_support::fillCallsigns(d);
    d.ClockRunning = true;
    clock.setLogMode(LogMode::Auto);
  }
  // Ticks every 100 ms over [fromSec, toSec) of minute 0 of 08:00 on 6 Dec 2026,
  // calling `between(tenthsSinceHour)` before each tick (where blocks would be analysed).
  template <class F>
  void run(int fromSec, int toSec, F between) {
    for (int t = fromSec * 10; t < toSec * 10; ++t) {
      between(t);
      tickAt(t);
    }
  }
  void tickAt(int t) { clock.tick(LocalTime{2026, 12, 6, 8, t / 600, (t / 10) % 60, (t % 10) * 100}); }
  void run(int fromSec, int toSec) {
    run(fromSec, toSec, [](int) {});
  }
  // Opens the first slot's window, sets the counts, then lets the heard test run.
  void slotWith(long hits, float peakSum) {
    run(0, 1);
    d.MorseHits = hits;
    d.MorsePeakSum = peakSum;
    run(1, 2);
  }
  PublicDecs d;
  testing_support::RecorderSink sink;
  BeaconClock clock;
};

struct HitsCase {
  const char* name;
  long hits;
  bool heard;
};

class HitsCases : public HeardDecision, public ::testing::WithParamInterface<HitsCase> {};

TEST_P(HitsCases, HeardOnlyAboveTheThreshold) {
  slotWith(GetParam().hits, 250000.0f * GetParam().hits);
  EXPECT_EQ(sink.records.size(), GetParam().heard ? 1u : 0u);
  EXPECT_EQ(clock.SignalPresent, GetParam().heard);
}

INSTANTIATE_TEST_SUITE_P(HeardDecision, HitsCases,
                         ::testing::Values(HitsCase{"equal_to_threshold", 55, false},
                                           HitsCase{"one_more", 56, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct LevelCase {
  const char* name;
  double average;  // MorsePeakSum / MorseHits
  int offset;
  int level;
};

class LevelCases : public HeardDecision, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LevelCases, SLevelFromAveragePeakAndOffset) {
  const LevelCase& c = GetParam();
  d.SMeterOffset = c.offset;
  slotWith(100, static_cast<float>(c.average * 100));
  EXPECT_EQ(clock.SLevel, c.level);
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0], "\"06-Dec-26\",\"8\",\"14\",\"4U1UN\",\"" + std::to_string(c.level) + "\"\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    HeardDecision, LevelCases,
    ::testing::Values(LevelCase{"s5", 250000, 0, 5}, LevelCase{"s2_exact_root", 40000, 0, 2},
                      LevelCase{"just_below_s2", 39999, 0, 1}, LevelCase{"s10_clamped_to_9", 1000000, 0, 9},
                      LevelCase{"zero_raised_to_1", 9999, 0, 1},
                      LevelCase{"negative_offset_raised_to_1", 250000, -10, 1},
                      LevelCase{"offset_up_clamped_to_9", 250000, 10, 9},
                      LevelCase{"offset_minus_two", 360000, -2, 4},
                      LevelCase{"negative_average_uses_magnitude", -250000, 0, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HeardDecision, DetectionAllThroughTheWindowWritesOneRecordAtTheFirstLevel) {
  run(0, 10, [&](int) {
    d.MorseHits += 20;
    d.MorsePeakSum += 20 * 250000.0f;
    // Moving the calibration after the level was taken changes nothing in this slot.
    if (d.MorseHits > 200) d.SMeterOffset = 3;
  });
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0], "\"06-Dec-26\",\"8\",\"14\",\"4U1UN\",\"5\"\r\n");
  EXPECT_EQ(clock.graph.bars[0], 5);
  EXPECT_EQ(clock.logging.saved, Colour::Red);

  // The next slot starts afresh: counters zero, a new record for beacon 2 with the
  // offset now in force.
  run(10, 11, [&](int) {
    d.MorseHits += 30;
    d.MorsePeakSum += 30 * 250000.0f;
  });
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(sink.records[1], "\"06-Dec-26\",\"8\",\"14\",\"VE8AT\",\"8\"\r\n");
}

// The heard test sees the window as the previous tick left it: with 8 seconds the
// first tick of second 8 still listens, the second one no longer does.
struct EdgeCase {
  const char* name;
  int tenths;  // tick at which the count first passes the threshold
  bool heard;
};

class WindowEdges : public HeardDecision, public ::testing::WithParamInterface<EdgeCase> {};

TEST_P(WindowEdges, ListeningEightSeconds) {
  run(0, 10, [&](int t) {
    if (t == GetParam().tenths) d.MorseHits = 100;
  });
  EXPECT_EQ(sink.records.size(), GetParam().heard ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(HeardDecision, WindowEdges,
                         ::testing::Values(EdgeCase{"s8_0", 80, true}, EdgeCase{"s8_1", 81, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HeardDecision, ListenTenSecondsNeverClosesTheWindow) {
  d.ListenSeconds = 10;
  for (int t = 0; t < 300; ++t) {
    tickAt(t);
    ASSERT_TRUE(clock.Listening) << t;
    ASSERT_EQ(clock.listenText, "Listening for seconds:") << t;
    if (t % 100 == 0) {
      ASSERT_EQ(clock.countDownText, "10") << t;  // a new slot starts the full count
    }
  }
}

TEST_F(HeardDecision, ListenOneSecondOnlyInTheFirstSecond) {
  d.ListenSeconds = 1;
  int listeningTicks = 0;
  for (int t = 0; t < 200; ++t) {
    tickAt(t);
    listeningTicks += clock.Listening;
    if (!clock.Listening) {
      ASSERT_EQ(clock.listenText, "Waiting for new slot");
      ASSERT_EQ(clock.countDownText, "");
    }
  }
  EXPECT_EQ(listeningTicks, 20);
}

TEST_F(HeardDecision, TestModeShowsDetectionsButNeverWrites) {
  d.AnalyserTestMode = true;
  d.SlotLogged = true;  // as the analyser's Test button leaves it
  run(0, 30, [&](int) { d.MorseHits += 10; d.MorsePeakSum += 10 * 90000.0f; });
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(clock.graph.bars[0], 3);
  EXPECT_EQ(clock.graph.bars[2], 3);
  EXPECT_EQ(clock.SLevel, 3);
}

}  // namespace
}  // namespace harkola
