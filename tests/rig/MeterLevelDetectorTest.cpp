#include "rig/MeterLevelDetector.h"

#include <gtest/gtest.h>

#include <deque>

namespace harkola {
namespace {

using namespace std::chrono_literals;

// Answers what the test sets.
struct ScriptedDetector : SlotDetector {
  SlotDecision next;
  void beginSlot(const SlotRef&) override {}
  void addBlock(const std::int16_t*, std::size_t, SysTime) override {}
  SlotDecision decide(SysTime) override { return next; }
};

class MeterLevel : public ::testing::Test {
 protected:
  void begin(SysTime start) {
    slotStart = start;
    SlotRef s;
    s.start = start;
    meter.beginSlot(s);
  }
  // Clock ticks every 100 ms from `from` to `to` into the slot; the last decision.
  SlotDecision tick(std::chrono::milliseconds from, std::chrono::milliseconds to) {
    SlotDecision d;
    for (auto t = from; t <= to; t += 100ms) {
      now = slotStart + t;
      d = meter.decide(now);
    }
    return d;
  }

  SysTime slotStart = SysTime{} + 1000s, now{};
  std::deque<std::optional<int>> readings;
  std::vector<SysTime::duration> readAt;
  ScriptedDetector detector;
  MeterLevelDetector meter{detector, [this]() -> std::optional<int> {
                             readAt.push_back(now - slotStart);
                             if (readings.empty()) return std::nullopt;
                             const auto v = readings.front();
                             readings.pop_front();
                             return v;
                           }};
};

TEST_F(MeterLevel, ReadsOnlyDuringTheHundredWattPartAndKeepsTheHighest) {
  begin(slotStart);
  readings = {4, 7, std::nullopt, 12, 6, 5};  // 12 is no S level: ignored
  detector.next.heard = true;
  detector.next.sLevel = 3;
  detector.next.slot.start = slotStart;
  const SlotDecision d = tick(0ms, 9900ms);
  EXPECT_EQ(d.sLevel, 7);
  ASSERT_FALSE(readAt.empty());
  EXPECT_GE(readAt.front(), 500ms);
  EXPECT_LE(readAt.back(), 5500ms);
  for (std::size_t i = 1; i < readAt.size(); ++i) EXPECT_GE(readAt[i] - readAt[i - 1], 300ms);
  EXPECT_EQ(readAt.size(), 17u);  // 0.5 s .. 5.3 s every 300 ms
}

TEST_F(MeterLevel, NotHeardOrNoReadingKeepsTheDetectorsAnswer) {
  begin(slotStart);
  detector.next.heard = false;
  readings = {8};
  EXPECT_EQ(tick(0ms, 1000ms).sLevel, 0);
  begin(slotStart + 10s);
  detector.next.heard = true;
  detector.next.sLevel = 5;
  EXPECT_EQ(tick(0ms, 9900ms).sLevel, 5);  // the meter never answered
}

// A detector that decides after the slot: the answer about the previous slot gets
// that slot's reading, not the new slot's.
TEST_F(MeterLevel, LateDecisionUsesThePreviousSlotsReading) {
  const SysTime first = slotStart;
  begin(first);
  readings = {9};
  tick(0ms, 9900ms);
  begin(first + 10s);
  readings = {2, 2, 2, 2};
  tick(0ms, 1500ms);
  detector.next = SlotDecision{};
  detector.next.heard = true;
  detector.next.sLevel = 4;
  detector.next.late = true;
  detector.next.slot.start = first;
  EXPECT_EQ(meter.decide(now).sLevel, 9);
  detector.next.slot.start = first - 10s;  // older than we keep
  EXPECT_EQ(meter.decide(now).sLevel, 4);
}

}  // namespace
}  // namespace harkola
