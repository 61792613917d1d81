// The clock driven tick by tick, the schedule of slots and bands it runs on, and the
// local times it is asked about.
#include "clock/BeaconClock.h"

#include <gtest/gtest.h>
#include <tuple>

#include "clock/BeaconSchedule.h"
#include "clock/TimeSource.h"
#include "common/LocalTime.h"
#include "support/ShippedData.h"

namespace harkola {
namespace {

struct RecordingHooks : ClockHooks {
  std::vector<int> clips;
  int bandCommands = 0, writeFailures = 0;
  void playVoiceClip(int n) override { clips.push_back(n); }
  void bandSelected(int) override {}
  void sendBandCommand() override { ++bandCommands; }
  void logWriteFailed(const std::string&) override { ++writeFailures; }
};

class ClockFixture : public ::testing::Test {
 public:
  ClockFixture() : clock(d, &sink, &hooks) {
    d.BeaconTable = test::shippedDecs(false).BeaconTable;
    d.ClockRunning = true;
  }
  // Starts the clock at hh:mm:ss.mmm on 2026-12-06 with 14 MHz selected.
  void startAt(int h, int m, int s, int ms = 2) {
    time.current = LocalTime{2026, 12, 6, h, m, s, ms};
    clock.selectBand(0);
    clock.tick(time.now());
  }
  // Ticks every 100 ms for `ms` milliseconds.
  void run(long ms) {
    for (long t = 0; t < ms; t += 100) time.advanceMs(100), clock.tick(time.now());
  }
  void key(char c) { clock.keyPressed(c, time.now()); }

  PublicDecs d;
  test::RecordingSink sink;
  RecordingHooks hooks;
  ManualTimeSource time;
  BeaconClock clock;
};

TEST_F(ClockFixture, NewSlotSequenceRunsOncePerSlotAndANewCycleClearsTheGraph) {
  startAt(10, 0, 5);
  // The first tick announces the slot in progress, at its true position (not 0).
  EXPECT_EQ(std::pair(clock.newSlotCount, clock.SlotProgress), std::pair(1L, 50));
  clock.graph.setLevel(0, 5);
  run(4900);  // up to 10:00:09.902
  EXPECT_EQ(clock.newSlotCount, 1);
  run(100);  // 10:00:10.002
  EXPECT_EQ(clock.newSlotCount, 2);
  run(169'900);  // 10:02:59.902: the cycle's bars stay
  EXPECT_EQ(clock.graph.bars[0], 5);
  run(100);  // 10:03:00.002: beacon 1 again, a new cycle
  EXPECT_EQ(std::tuple(clock.newSlotCount, clock.graph.bars[0], clock.graph.indicators[1]),
            std::tuple(19L, 0, Indicator::ButtonFace));
  run(9'000);
  time.advanceMs(-1000);  // the user set the clock back a second
  run(3'000);
  EXPECT_LE(clock.SlotProgress, 100);
}

TEST_F(ClockFixture, BandChangeInMidSlotRunsTheSequenceForTheNewBeacon) {
  d.VoiceSelected[17] = true;  // beacon 18
  startAt(10, 0, 4);
  clock.graph.setLevel(0, 4);
  clock.selectBand(1);  // 18 MHz: beacon 18 in slot 1
  EXPECT_EQ(clock.graph.bars[0], 0);  // a band change clears the graph at once
  run(100);
  EXPECT_EQ(std::tuple(clock.newSlotCount, clock.StationNumber, clock.SlotProgress), std::tuple(2L, 18, 40));
  EXPECT_EQ(hooks.clips, std::vector<int>{18});

  clock.selectBand(2);  // rig control off: no command
  EXPECT_EQ(hooks.bandCommands, 0);
  clock.rigControlActive = true;
  clock.selectBand(3);
  EXPECT_EQ(hooks.bandCommands, 1);
  EXPECT_EQ(d.RigBandRow, 18);

  d.VoiceSelected.fill(true);
  d.ClockRunning = false;  // stopped: no new slot sequence, nothing said
  run(20'000);
  EXPECT_EQ(hooks.clips, std::vector<int>{18});
  EXPECT_EQ(clock.newSlotCount, 2);
}

TEST_F(ClockFixture, ManualKeysWriteOneRecordPerSlot) {
  startAt(9, 59, 1);
  key('5');  // logging off, then auto: keys and buttons do nothing (digits, other keys and the
            // hour format are also pinned through the main window)
  clock.setLogMode(LogMode::Auto);
  key('5');
  clock.sButtonClicked(5, time.now());
  clock.setLogMode(LogMode::Manual);
  EXPECT_TRUE(sink.records.empty());
  key('5');
  key('5');
  clock.sButtonClicked(7, time.now());
  // 09:59:01 is slot 13: beacon 13 on 14 MHz; the hour is written without a leading zero
  EXPECT_EQ(sink.records, std::vector<std::string>{"\"06-Dec-26\",\"9\",\"14\",\"4X6TU\",\"5\"\r\n"});
  EXPECT_EQ(clock.logging.saved, Colour::Blue);
  EXPECT_FALSE(clock.logging.sButtons[6].enabled);
  EXPECT_EQ(clock.graph.barTips[12], " S5 ");

  time.current = LocalTime{2026, 12, 6, 10, 0, 0, 2};  // next slot, next hour
  clock.tick(time.now());
  EXPECT_EQ(clock.logging.saved, Colour::Grey);
  EXPECT_TRUE(clock.logging.sButtons[6].enabled);
  clock.selectBand(2);  // 10:00:00 is slot 1: beacon 17 on 21 MHz
  clock.tick(time.now());
  key('3');
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(sink.records[1], "\"06-Dec-26\",\"10\",\"21\",\"OA4B\",\"3\"\r\n");

  startAt(10, 0, 10);  // next slot: a write that fails
  sink.fail = true;
  key('4');
  EXPECT_EQ(hooks.writeFailures, 1);
  EXPECT_NE(clock.logging.saved, Colour::Blue);
}

// The band selected during slots 2..18 and 1 of the next cycle, following `followed`
// from 10:00:00; while following, the beacon on the selected band is the followed one.
std::vector<int> followedBands(ClockFixture& f, int followed) {
  f.startAt(10, 0, 0);
  f.d.FollowMode = true;
  f.d.FollowedBeacon = static_cast<std::int16_t>(followed % kBeaconCount);
  std::vector<int> seen;
  for (int slot = 1; slot <= 18; ++slot) {
    f.run(10'100);  // to the second tick of the next slot, where the labels have caught up
    seen.push_back(f.clock.SelectedBand);
    EXPECT_TRUE(f.clock.SelectedBand == 0 || f.clock.displayedStation == followed) << slot;
  }
  return seen;
}

// Beacon 3 is on 14 MHz in slot 3, so 18 MHz comes with slot 4.
TEST_F(ClockFixture, FollowModeStepsUpTheBands) {
  EXPECT_EQ(followedBands(*this, 3), (std::vector<int>{0, 0, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// Beacon 18 (stored as 0) is on 18 MHz in slot 1 (the step happens at once), 21..28 MHz
// in slots 2..4, and on 14 MHz in slot 18.
TEST_F(ClockFixture, FollowModeStepsAtOnceAndWrapsToTheNextCycle) {
  EXPECT_EQ(followedBands(*this, 18), (std::vector<int>{2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
}

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

// The band table is what the logs are read by (the rig tests tune by its frequencies).
TEST(Schedule, BandNumberingFrequenciesAndText) {
  EXPECT_EQ(std::pair(beaconFrequencyHz(5), beaconFrequencyHz(-1)), std::pair(0L, 0L));
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
