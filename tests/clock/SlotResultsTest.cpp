// Where the slots' results go, as the main window and the replay command use it.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace harkola
