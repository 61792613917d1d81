// The clock's per-slot decision under automatic logging: heard test, S level, one
// record per slot, the listening window and test mode.
#include <gtest/gtest.h>

#include "support/ShippedData.h"
#include "audio/ClassicDetector.h"
#include "clock/BeaconClock.h"
#include "support/Tables.h"

namespace harkola {
namespace {

class HeardDecision : public ::testing::Test {
 protected:
  HeardDecision() : clock(d, &sink, nullptr) {
    d.BeaconTable = test::shippedDecs(false).BeaconTable;
    d.ClockRunning = true;
    clock.setDetector(&detector);
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
  // The classic detector with its counts set by the test in place of analysed blocks.
  struct CountedDetector : ClassicDetector {
    using ClassicDetector::ClassicDetector;
    MorseCount& counts() { return m_count; }
  };
  PublicDecs d;
  CountedDetector detector{d};
  MorseCount& counts = detector.counts();
  test::RecordingSink sink;
  BeaconClock clock;
};

// The count passes into the heard test as the previous tick left the window: with 8
// seconds the first tick of second 8 still listens, the second one no longer does.
struct HitsCase {
  const char* name;
  int tenths;  // tick before which the counts are set
  long hits;
  bool heard;
};

class HitsCases : public HeardDecision, public ::testing::WithParamInterface<HitsCase> {};

TEST_P(HitsCases, HeardOnlyAboveTheThresholdInsideTheWindow) {
  const HitsCase& c = GetParam();
  bool present = false;
  run(0, 10, [&](int t) {
    if (t == c.tenths) counts.MorseHits = c.hits, counts.MorsePeakSum = 250000.0f * c.hits;
    if (t == c.tenths + 1) present = clock.SignalPresent;  // as the tick after the counts left it
  });
  EXPECT_EQ(sink.records.size(), c.heard ? 1u : 0u);
  EXPECT_EQ(present, c.heard);
}

INSTANTIATE_TEST_SUITE_P(HeardDecision, HitsCases,
                         ::testing::Values(HitsCase{"equal_to_threshold", 10, 55, false},
                                           HitsCase{"one_more", 10, 56, true}, HitsCase{"s8_0", 80, 100, true},
                                           HitsCase{"s8_1", 81, 100, false}),
                         test::rowName);

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
  run(0, 10, [&](int t) {
    if (t == 10) counts.MorseHits = 100, counts.MorsePeakSum = static_cast<float>(c.average * 100);
  });
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
    test::rowName);

TEST_F(HeardDecision, DetectionAllThroughTheWindowWritesOneRecordAtTheFirstLevel) {
  run(0, 10, [&](int) {
    counts.MorseHits += 20;
    counts.MorsePeakSum += 20 * 250000.0f;
    // Moving the calibration after the level was taken changes nothing in this slot.
    if (counts.MorseHits > 200) d.SMeterOffset = 3;
  });
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0], "\"06-Dec-26\",\"8\",\"14\",\"4U1UN\",\"5\"\r\n");
  EXPECT_EQ(clock.graph.bars[0], 5);
  EXPECT_EQ(clock.logging.saved, Colour::Red);

  // The next slot starts afresh: counters zero, a new record for beacon 2 with the
  // offset now in force.
  run(10, 11, [&](int) {
    counts.MorseHits += 30;
    counts.MorsePeakSum += 30 * 250000.0f;
  });
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(sink.records[1], "\"06-Dec-26\",\"8\",\"14\",\"VE8AT\",\"8\"\r\n");
}

// A listening window as long as the slot never closes; a short one closes after its
// seconds and says so until the next slot.
class ListenWindow : public HeardDecision, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(ListenWindow, ListensOnlyTheFirstSecondsOfEachSlot) {
  const auto [seconds, listeningTicks] = GetParam();
  d.ListenSeconds = seconds;
  int listening = 0;
  for (int t = 0; t < 300; ++t) {
    counts.MorseHits = 100;  // a strong tone all the time: heard whenever listening
    counts.MorsePeakSum = 100 * 250000.0f;
    tickAt(t);
    listening += clock.Listening;
    ASSERT_EQ(clock.listenText, clock.Listening ? "Listening for seconds:" : "Waiting for new slot") << t;
    // A new slot counts afresh; a closed window shows no count.
    const std::string count = t % 100 == 0 && seconds > 0 ? std::to_string(seconds)
                              : clock.Listening            ? clock.countDownText
                                                           : "";
    ASSERT_EQ(clock.countDownText, count) << t;
  }
  EXPECT_EQ(listening, listeningTicks);
  EXPECT_EQ(sink.records.size(), seconds > 0 ? 3u : 0u) << "one record per slot, none without a window";
}

INSTANTIATE_TEST_SUITE_P(HeardDecision, ListenWindow,
                         ::testing::Values(std::pair{10, 300}, std::pair{1, 30}, std::pair{0, 0}),
                         [](const auto& info) { return "seconds_" + std::to_string(info.param.first); });

TEST_F(HeardDecision, TestModeShowsDetectionsButNeverWrites) {
  clock.setAnalyserLogging(AnalyserLogging::Test);
  run(0, 30, [&](int) { counts.MorseHits += 10; counts.MorsePeakSum += 10 * 90000.0f; });
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(clock.graph.bars[0], 3);
  EXPECT_EQ(clock.graph.bars[2], 3);
  EXPECT_EQ(clock.SLevel, 3);
}

}  // namespace
}  // namespace harkola
