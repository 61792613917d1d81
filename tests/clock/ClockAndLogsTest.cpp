// The clock driven tick by tick, the schedule of slots and bands it runs on, and the
// local times it is asked about; the slot log's record text and its reader; where the
// slots' results go, as the main window and the replay command use it; the heard log
// file on a real disk: records whole or not at all, a torn end repaired.
#include "clock/BeaconClock.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <tuple>
#include <vector>

#include "analysis/LogRecords.h"
#include "clock/BeaconSchedule.h"
#include "clock/ClockCheck.h"
#include "clock/HeardLog.h"
#include "clock/SlotLog.h"
#include "clock/SlotResults.h"
#include "clock/TimeSource.h"
#include "common/LocalTime.h"
#include "support/Files.h"
#include "support/ShippedData.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

SlotMeasurement heardOne() {
  // Two dashes, tone 842.4 Hz, keyed 310.6 ms early, score 12.34, S4.
  SlotMeasurement m{{}, "4U1UN", true, 2, {-17.46, -27.04, std::nullopt, std::nullopt}, 842.4, -310.6, 12.34, 4};
  EXPECT_TRUE(parseIsoUtc("2026-12-07T08:00:10Z", m.slot.start));
  m.slot.beacon = 2;
  return m;
}

// The slot log's record and the line the windows show, heard and not.
TEST(SlotLog, RecordTextAndResultLine) {
  SlotMeasurement m = heardOne();
  EXPECT_EQ(slotRecord(m),
            "\"2026-12-07T08:00:10Z\",\"14\",\"2\",\"4U1UN\",\"1\",\"2\",\"-17.5\",\"-27.0\",\"\",\"\",\"842\","
            "\"-311\",\"12.3\",\"4\"\r\n");
  EXPECT_EQ(resultLine(m), "4U1UN  -17.5 dB  2 dashes  +42 Hz  -311 ms");
  m.dashes = 1;
  m.toneHz = 760.0;
  m.offsetMs = 45.0;
  EXPECT_EQ(resultLine(m), "4U1UN  -17.5 dB  1 dash  -40 Hz  +45 ms");
  m.heard = false;
  EXPECT_EQ(resultLine(m), "4U1UN  not heard");
  // Not heard: no dash figures, no tone or offset, S level 0; the score stays.
  const SlotMeasurement n{{m.slot.start, {}, 4, 18}, "CS3B", false, 0, {}, 700.0, 900.0, 3.04, 0};
  EXPECT_EQ(slotRecord(n),
            "\"2026-12-07T08:00:10Z\",\"28\",\"18\",\"CS3B\",\"0\",\"0\",\"\",\"\",\"\",\"\",\"\",\"\",\"3.0\",\"0\"\r\n");
}

// Bad lines are reported by number (a field out of its range, missing, or no number);
// unquoted fields, a blank for the T and figures without a sign are read as the written
// form; a record reads back with every field as written.
TEST(SlotLog, ReaderRoundTripsReadsOtherProgramsFormsAndReportsBadLines) {
  const std::string heard = slotRecord(heardOne());
  std::string text = heard + "garbage\r\n";
  text += "\"2026-13-07T08:00:10Z\",\"14\",\"2\",\"X\",\"1\",\"0\",\"\",\"\",\"\",\"\",\"\",\"\",\"1.0\",\"1\"\r\n";  // month 13
  text += "\"2026-12-07T08:00:20Z\",\"15\",\"2\",\"X\",\"1\",\"0\",\"\",\"\",\"\",\"\",\"\",\"\",\"1.0\",\"1\"\r\n";  // no band 15
  text += "\r\n";
  for (const char* bad : {R"("2026-12-07T04:30:10Z","14","4","KH6WO","1")",
                          R"("2026-02-30T04:30:10Z","14","4","X","1","3","-3","","","","800","0","9","5")",
                          R"("2026-12-07T04:30:10Z","14","0","X","1","3","-3","","","","800","0","9","5")",
                          R"("2026-12-07T04:30:10Z","14","19","X","1","3","-3","","","","800","0","9","5")",
                          R"("2026-12-07T04:30:10Z","14","4","X","2","3","-3","","","","800","0","9","5")",
                          R"("2026-12-07T04:30:10Z","14","4","X","1","5","-3","","","","800","0","9","5")"})
    text += std::string(bad) + "\r\n";
  text += "2026-12-07 08:00:10,14,2,4U1UN,1,2,-17.5,-27.0,,,842,-311,12.3,4\n"
          "\"2026-12-07T08:00:20Z\",\"18\",\"3\",\"X\",\"0\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"12\"\n"
          "\"2026-12-07T08:00:30Z\",\"14\",\"4\",\"X\",\"1\",\"1\",\"loud\",\"\",\"\",\"\",\"\",\"\",\"1\",\"1\"\n"
          "\"2026-12-07T08:00:40Z\",\"14\",\"5\",\"X\",\"1\",\"3.0\",\"\",\"\",\"\",\"\",\"\",\"\",\"1\",\"1\"\n"
          "\"2026-12-07T08:00:50Z\",\"14\",\"6\",\"X\",\"1\",\"1\",\"+1e1\",\"5.\",\"\",\"\",\"\",\"\",\"1\",\"1\"\n";
  const SlotLogContents c = readSlotLog(text);
  ASSERT_EQ(c.records.size(), 4u);
  EXPECT_EQ(c.badLines, (std::vector<int>{2, 3, 4, 6, 7, 8, 9, 10, 11, 14, 15}));  // dashes are whole
  EXPECT_EQ(slotRecord(c.records[0]) + slotRecord(c.records[1]), heard + heard);
  EXPECT_EQ(std::tuple(c.records[2].dashes, c.records[2].sLevel, c.records[2].score), std::tuple(0, 0, 0.0));
  EXPECT_EQ(std::pair(*c.records[3].dashSnrDb[0], *c.records[3].dashSnrDb[1]), std::pair(10.0, 5.0));
}

// The one reading of a slot start, for the analyser's checks and the propagation view
// alike: what spreadsheets make of the written form is read too.
TEST(SlotLog, IsoTimes) {
  SysTime t;
  EXPECT_TRUE(parseIsoUtc("2024-02-29T23:59:59Z", t));
  EXPECT_EQ(isoUtc(t), "2024-02-29T23:59:59Z");
  EXPECT_EQ(isoUtc(t + std::chrono::milliseconds(999)), "2024-02-29T23:59:59Z");  // whole seconds
  for (const char* same : {"2024-02-29 23:59:59Z", "2024-02-29T23:59:59", "2024-02-29 23:59:59.250",
                           "2024-02-29T23:59:59+00:00", " 2024-02-29T23:59:59Z\r"}) {
    SysTime u;
    EXPECT_TRUE(parseIsoUtc(same, u) && u == t) << same;
  }
  for (const char* bad : {"2023-02-29T00:00:00Z", "2024-02-29T24:00:00Z", "2024-02-29T23:59:59+02:00",
                          "2024-02-29T23:59:59Zx", "2024-02-29_23:59:59Z", "2024-02-29T23:59:59.", ""})
    EXPECT_FALSE(parseIsoUtc(bad, t)) << bad;
  // The system clock ends in 2262; later years are times of the file, not of the clock,
  // and a slot-log line with one is a bad line (no overflow).
  std::int64_t utc = 0;
  EXPECT_TRUE(parseIsoUtc("4052-01-01T00:00:00Z", utc));
  EXPECT_EQ(utc, 65701584000);
  EXPECT_TRUE(parseIsoUtc("2262-04-11T23:47:16Z", t));
  EXPECT_FALSE(parseIsoUtc("2262-04-11T23:47:17Z", t));
  EXPECT_FALSE(parseIsoUtc("4052-01-01T00:00:00Z", t));
  const SlotLogContents c = readSlotLog(
      "\"4052-01-01T00:00:00Z\",\"14\",\"1\",\"4U1UN\",\"0\",\"0\",\"\",\"\",\"\",\"\",\"\",\"\",\"1.0\",\"0\"\r\n");
  EXPECT_TRUE(c.records.empty());
  EXPECT_EQ(c.badLines, std::vector<int>{1});
}

// The median of the last twenty heard slots, less the audio latency.
TEST(ClockCheck, MedianOfTheLastTwentyHeardSlots) {
  std::vector<double> manyThenRecent(30, -900.0);  // old slots, pushed out
  for (int i = 0; i < 20; ++i) manyThenRecent.push_back(i < 11 ? 350.0 : 5000.0);  // one wild slot cannot move it
  const struct {
    std::vector<double> offsetsMs;
    double latencyMs;
    const char* text;
  } rows[] = {{{}, 0.0, "Beacons: no slot heard yet"},
              {{340.0, 350.0, 9000.0}, 0.0, "Beacons: PC clock 0.35 s fast, 3 slots"},
              {{-200.0, -300.0}, 0.0, "Beacons: PC clock 0.25 s slow, 2 slots"},
              {{120.0}, 118.0, "Beacons: PC clock on time, 1 slot"},
              {manyThenRecent, 0.0, "Beacons: PC clock 0.35 s fast, 20 slots"}};
  for (const auto& r : rows) {
    ClockCheck c;
    for (double o : r.offsetsMs) c.add(o);
    EXPECT_EQ(c.text(r.latencyMs), r.text);
  }
}

SlotMeasurement slot(int beacon, bool heard, double offsetMs) {
  SlotMeasurement m = heardOne();
  m.slot.beacon = beacon;
  m.heard = heard;
  m.offsetMs = offsetMs;
  return m;
}

TEST(SlotResults, EveryMeasuredSlotReachesTheSlotLogTheClockCheckAndTheListeners) {
  test::TempFolder dir{"harkola-results"};
  SlotResults results;
  results.setSlotLogPath(slotLogBeside(dir / "Harkola 5 Heard Log.csv"));
  EXPECT_EQ(results.slotLogPath(), dir / kSlotLogFileName);
  // No slot log appears before a detector measures a slot.
  EXPECT_FALSE(std::filesystem::exists(results.slotLogPath()));
  std::vector<int> seen;
  results.addListener([&](const SlotMeasurement& m) { seen.push_back(m.slot.beacon); });

  EXPECT_TRUE(results.add(slot(2, true, 340)));
  EXPECT_TRUE(results.add(slot(3, false, 9000)));  // not heard: no clock figure
  EXPECT_TRUE(results.add(slot(4, true, 360)));
  EXPECT_EQ(seen, (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(results.clockCheck().text(), "Beacons: PC clock 0.35 s fast, 2 slots");
  EXPECT_EQ(test::fileText(results.slotLogPath()),
            slotRecord(slot(2, true, 340)) + slotRecord(slot(3, false, 9000)) + slotRecord(slot(4, true, 360)));

  // A slot log that cannot be written is said so for every slot; the rest goes on.
  results.setSlotLogPath(dir / "no such folder" / kSlotLogFileName);
  EXPECT_FALSE(results.add(slot(5, true, 350)));
  EXPECT_FALSE(results.add(slot(6, false, 0)));
  EXPECT_EQ(std::tuple(results.slotLogFailures(), seen.size()), std::tuple(2, 5u));
  EXPECT_EQ(slotLogBeside(""), std::filesystem::path());
}

TEST(SlotResults, HeardRecordsArePassedOnAndCounted) {
  SlotResults results;
  EXPECT_FALSE(results.write("r1\r\n"));  // no heard log yet
  test::RecordingSink full;
  full.fail = true;
  results.setHeardLog(&full);
  EXPECT_FALSE(results.write("r2\r\n"));
  test::TempFolder dir{"harkola-results"};
  HeardLogFile log;
  ASSERT_TRUE(log.open(dir / "heard.csv"));
  results.setHeardLog(&log);
  EXPECT_TRUE(results.write("r3\r\n"));
  EXPECT_EQ(results.heardRecords(), 1);
  EXPECT_EQ(results.heardFailures(), 2);
  EXPECT_EQ(test::fileText(dir / "heard.csv"), "r3\r\n");
  // Without a slot log path the measured slots still reach the clock check.
  EXPECT_TRUE(results.add(slot(2, true, 0)));
  EXPECT_EQ(results.clockCheck().count(), 1u);
}

namespace fs = std::filesystem;

const std::string kRecord1 = "\"07-Dec-26\",\"8\",\"14\",\"4U1UN\",\"5\"\r\n";
const std::string kRecord2 = "\"07-Dec-26\",\"8\",\"18\",\"VE8AT\",\"3\"\r\n";

// After a torn record the next start must not append onto it: analysis would then
// refuse the whole log. Each row: the log as an interrupted write left it, what opening
// keeps of it.
TEST(HeardLogOpen, CutsATornEndBackToTheLastCompleteRecord) {
  const struct {
    const char* name;
    std::string before, kept;
  } rows[] = {{"new_log", "", ""},
              {"complete", kRecord1, kRecord1},
              {"torn_in_a_field", kRecord1 + "\"07-Dec-26\",\"8\",\"1", kRecord1},
              {"torn_between_cr_and_lf", kRecord1 + kRecord2.substr(0, kRecord2.size() - 1), kRecord1},
              {"only_a_torn_record", "\"07-Dec", ""}};
  test::TempFolder dir{"harkola-heardlog"};
  for (const auto& c : rows) {
    SCOPED_TRACE(c.name);
    const fs::path path = dir / (std::string(c.name) + ".csv");
    std::ofstream(path, std::ios::binary) << c.before;
    HeardLogFile log;
    ASSERT_TRUE(log.open(path));
    EXPECT_EQ(test::fileText(path), c.kept);
    const std::string cut = std::to_string(c.before.size() - c.kept.size()) + " bytes";
    EXPECT_EQ(log.repairNotice().find(cut) != std::string::npos, c.kept != c.before) << log.repairNotice();
    ASSERT_TRUE(log.write(kRecord2));
    EXPECT_EQ(test::fileText(path), c.kept + kRecord2);
    LogData data;
    EXPECT_TRUE(loadLog(test::fileText(path), data));
  }
}

// A full disk, made real with a file-size limit: the write stops part-way through the
// record, and the file must end with the last complete record again.
TEST(HeardLogWrite, AFailedWriteLeavesNoPartOfTheRecord) {
  test::TempFolder dir{"harkola-heardlog"};
  const fs::path path = dir / "log.csv";
  HeardLogFile log;
  ASSERT_TRUE(log.open(path));
  ASSERT_TRUE(log.write(kRecord1));

  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = kRecord1.size() + 10;  // room for 10 bytes of the next record
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = log.write(kRecord2);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(written);
  EXPECT_EQ(test::fileText(path), kRecord1);
  ASSERT_TRUE(log.write(kRecord2));  // room again: logging goes on
  EXPECT_EQ(test::fileText(path), kRecord1 + kRecord2);
}

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
  f.d.FollowMode = false;
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

// Beacon 3 is on 14 MHz in slot 3, so 18 MHz comes with slot 4. Beacon 18 (stored as 0)
// is on 18 MHz in slot 1 (the step happens at once), 21..28 MHz in slots 2..4, and on
// 14 MHz in slot 18.
TEST_F(ClockFixture, FollowModeStepsUpTheBandsAndWrapsToTheNextCycle) {
  EXPECT_EQ(followedBands(*this, 3), (std::vector<int>{0, 0, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
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
