#include <gtest/gtest.h>

#include "clock/BeaconSchedule.h"

namespace harkola {
namespace {

struct SlotEdge {
  const char* name;
  int minute, second, slot, secondsIntoSlot;
};

class SlotEdges : public ::testing::TestWithParam<SlotEdge> {};

TEST_P(SlotEdges, SlotBeginsOnItsTenSecondBoundary) {
  const auto& e = GetParam();
  const SlotPosition p = slotPosition(e.minute, e.second, 0);
  EXPECT_EQ(p.slotNumber, e.slot);
  EXPECT_EQ(p.stationNumber, e.slot);  // on 14 MHz beacon n is in slot n
  EXPECT_EQ(p.secondsIntoSlot, e.secondsIntoSlot);
}

INSTANTIATE_TEST_SUITE_P(
    Schedule, SlotEdges,
    ::testing::Values(SlotEdge{"m00s00", 0, 0, 1, 0}, SlotEdge{"m00s09", 0, 9, 1, 9},
                      SlotEdge{"m00s10", 0, 10, 2, 0}, SlotEdge{"m02s59", 2, 59, 18, 9},
                      SlotEdge{"m03s00", 3, 0, 1, 0}, SlotEdge{"m48s30", 48, 30, 4, 0},
                      SlotEdge{"m59s10", 59, 10, 14, 0}, SlotEdge{"m59s59", 59, 59, 18, 9},
                      // a floating formula gives 7.999 at these seconds
                      SlotEdge{"m00s28", 0, 28, 3, 8}, SlotEdge{"m00s38", 0, 38, 4, 8},
                      SlotEdge{"m00s48", 0, 48, 5, 8}, SlotEdge{"m00s58", 0, 58, 6, 8}),
    [](const auto& info) { return std::string(info.param.name); });

struct BandCase {
  const char* name;
  int slot, band, station, next;
};

class BandCases : public ::testing::TestWithParam<BandCase> {};

TEST_P(BandCases, BeaconAndNextOnBand) {
  const auto& c = GetParam();
  const SlotPosition p = slotPosition(0, (c.slot - 1) * 10 + 3, c.band);
  EXPECT_EQ(p.slotNumber, c.slot);
  EXPECT_EQ(p.stationNumber, c.station);
  EXPECT_EQ(p.stationIndex, c.station - 1);
  EXPECT_EQ(p.nextStation, c.next);
}

INSTANTIATE_TEST_SUITE_P(
    Schedule, BandCases,
    ::testing::Values(BandCase{"slot1_28MHz", 1, 4, 15, 16}, BandCase{"slot18_18MHz", 18, 1, 17, 18},
                      BandCase{"slot18_14MHz", 18, 0, 18, 1}, BandCase{"slot1_18MHz", 1, 1, 18, 1},
                      BandCase{"slot5_21MHz", 5, 2, 3, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Schedule, BandNumbering) {
  EXPECT_EQ(bandText(0), "14");
  EXPECT_EQ(bandText(4), "28");
  EXPECT_EQ(bandFromMHz(24), 3);
  EXPECT_EQ(bandFromMHz(7), -1);
}

}  // namespace
}  // namespace harkola
