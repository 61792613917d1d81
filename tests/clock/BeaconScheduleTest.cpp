// The schedule of slots and bands, and the local times it is asked about.
#include "clock/BeaconSchedule.h"

#include <gtest/gtest.h>
#include <tuple>

#include "common/LocalTime.h"

namespace harkola {
namespace {

// Slot edges on 14 MHz, where beacon n is in slot n; then beacons on the other bands.
TEST(Schedule, SlotBeaconAndNextOnTheBand) {
  const struct {
    int minute, second, band;
    int slot, secondsIntoSlot, station, next;
  } rows[] = {{0, 0, 0, 1, 0, 1, 2},    {0, 9, 0, 1, 9, 1, 2},     {0, 10, 0, 2, 0, 2, 3},
              {2, 59, 0, 18, 9, 18, 1}, {3, 0, 0, 1, 0, 1, 2},     {48, 30, 0, 4, 0, 4, 5},
              {59, 10, 0, 14, 0, 14, 15},
              // a floating formula gives 7.999 at these seconds
              {0, 28, 0, 3, 8, 3, 4},   {0, 38, 0, 4, 8, 4, 5},    {0, 48, 0, 5, 8, 5, 6},
              {0, 58, 0, 6, 8, 6, 7},
              // 28, 18, 14 and 21 MHz
              {0, 3, 4, 1, 3, 15, 16},  {2, 53, 1, 18, 3, 17, 18}, {2, 53, 0, 18, 3, 18, 1},
              {0, 43, 2, 5, 3, 3, 4}};
  for (const auto& c : rows) {
    const SlotPosition p = slotPosition(c.minute, c.second, c.band);
    EXPECT_EQ(std::tuple(p.slotNumber, p.secondsIntoSlot, p.stationNumber, p.stationIndex, p.nextStation),
              std::tuple(c.slot, c.secondsIntoSlot, c.station, c.station - 1, c.next))
        << c.minute << ":" << c.second << " band " << c.band;
  }
}

// The band table is what the rig is tuned by and what the logs are read by.
TEST(Schedule, BandNumberingFrequenciesAndText) {
  const long hz[] = {14'100'000, 18'110'000, 21'150'000, 24'930'000, 28'200'000};
  for (int b = 0; b < kBandCount; ++b) EXPECT_EQ(beaconFrequencyHz(b), hz[b]) << b;
  EXPECT_EQ(beaconFrequencyHz(5), 0);
  EXPECT_EQ(beaconFrequencyHz(-1), 0);
  EXPECT_EQ(bandText(4), "28");
  EXPECT_EQ(bandFromMHz(24), 3);
  EXPECT_EQ(bandFromMHz(7), -1);
  for (const char* bad : {"", "7", "014", "+14", " 14", "14 ", "14.1"}) EXPECT_EQ(bandFromText(bad), -1) << bad;
  EXPECT_EQ(bandFromText("21"), 2);
}

// Digits only: 2026-01-01 08:00 and the seconds (with their milliseconds) of the
// accepted texts; a refused text leaves the time alone.
TEST(ParseLocalTime, DigitsOnly) {
  const struct {
    const char* text;
    bool accepted;
    int second = 0, millisecond = 0;
  } rows[] = {{"2026-01-01 08:00:07", true, 7, 0},        {"2026-1-1 8:0:7", true, 7, 0},
              {"2026-01-01 08:00:07.25", true, 7, 250},   {"2026-01-01 08:00:07.0996", true, 7, 100},
              {"2026-01-01 08:00:59.9999", true, 59, 999}, {"2026-01-01 08:00:nan", false},
              {"2026-01-01 08:00:inf", false},            {"2026-01-01 08:00:0x1p5", false},
              {"2026-01-01 08:00:5e1", false},            {"2026-01-01 08:00:+5", false},
              {"2026-01-01 08:-1:00", false},             {"2026-01-01 08: 0:00", false},
              {"2026-01-01 08:00:00x", false},            {"2026-01-01 08:00:00.", false},
              {"2026-01-01 08:00:007", false},            {"2026-01-01 08:00:60", false},
              {"2026-02-29 08:00:00", false}};
  for (const auto& r : rows) {
    LocalTime t;
    t.second = -1;
    EXPECT_EQ(parseLocalTime(r.text, t), r.accepted) << r.text;
    if (!r.accepted) {
      EXPECT_EQ(t.second, -1) << r.text;
      continue;
    }
    EXPECT_EQ(std::tie(t.year, t.month, t.day, t.hour, t.minute), std::make_tuple(2026, 1, 1, 8, 0)) << r.text;
    EXPECT_EQ(std::pair(t.second, t.millisecond), std::pair(r.second, r.millisecond)) << r.text;
  }
}

}  // namespace
}  // namespace harkola
