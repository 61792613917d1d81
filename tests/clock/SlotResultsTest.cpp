// Where the slots' results go, as the main window and the replay command use it, and the
// heard log file on a real disk: records whole or not at all, a torn end repaired.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "analysis/LogRecords.h"
#include "clock/HeardLog.h"

#include "clock/SlotLog.h"
#include "clock/SlotResults.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

SlotMeasurement slot(int beacon, bool heard, double offsetMs) {
  SlotMeasurement m;
  EXPECT_TRUE(parseIsoUtc("2026-12-07T08:00:10Z", m.slot.start));
  m.slot.beacon = beacon;
  m.callsign = "CALL" + std::to_string(beacon);
  m.heard = heard;
  m.offsetMs = offsetMs;
  m.sLevel = heard ? 5 : 0;
  return m;
}

struct Refusing : HeardLogSink {
  bool write(const std::string&) override { return false; }
};

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
  Refusing full;
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

}  // namespace
}  // namespace harkola
