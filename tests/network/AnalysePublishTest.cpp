// harkola-cli analyse --publish: a recording replayed as a headless station, through a
// real Mosquitto. The command ends only when the broker has every record, or says how
// many wait in the spool; the next run sends those first.
#include <gtest/gtest.h>

#include <ctime>

#include "BeaconAudio.h"
#include "audio/WavFile.h"
#include "clock/SlotLog.h"
#include "network/MqttLink.h"
#include "network/NetworkServers.h"
#include "network/Reports.h"
#include "support/Files.h"

namespace harkola {
namespace {

using namespace std::chrono_literals;

std::string localText(std::int64_t utc) {
  const std::time_t t = static_cast<std::time_t>(utc);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

class AnalysePublish : public ::testing::Test {
 protected:
  void SetUp() override {
    // Five slots on 14 MHz from a cycle start: beacons 1..3 keyed, then empty slots.
    const std::vector<std::string> calls = testaudio::shippedCallsigns();
    WavAudio wav;
    for (int slot = 0; slot < 5; ++slot) {
      testaudio::Scene s;
      s.seed = 50 + slot;
      if (slot < 3) s.beacon = testaudio::Beacon{calls[slot], -6.0, 800.0, 0.1};
      const auto part = testaudio::render(s, 0.0, 10.0);
      wav.samples.insert(wav.samples.end(), part.begin(), part.end());
    }
    std::string error;
    ASSERT_TRUE(writeWav(dir / "rec.wav", wav, error)) << error;
  }

  // Runs the command on the recording as if it began at `startUtc`; its exit status.
  int analyse(std::int64_t startUtc, const std::string& slotLog, const std::string& wait) {
    test::Child cli;
    EXPECT_TRUE(cli.start({HARKOLA_CLI, "analyse", (dir / "rec.wav").string(), "--start", localText(startUtc),
                           "--band", "14", "--detector", "sensitive", "--slot-log", (dir / slotLog).string(),
                           "--publish", broker.url(), "--station", "oh2xyz", "--locator", "KP20lb",
                           "--spool", (dir / "spool").string(), "--publish-wait", wait},
                          (dir / "cli.log").string()));
    return cli.wait();
  }

  // A subscriber on the station's topics: what arrived, in order.
  void listen() {
    subscriber = test::startedLink(broker.url());
    subscriber->subscribe("harkola/v1/slot/#");
    ASSERT_TRUE(test::waitUntil([&] { take(); return subscriber->state() == LinkState::Connected; }, 5000));
  }
  void take() {
    for (auto& e : subscriber->poll(5ms))
      if (e.kind == LinkEvent::Kind::Message) {
        const DecodeResult d = decodeSlotMessage(e.topic, e.payload, test::recentBaseUtc() + 86400);
        EXPECT_TRUE(d.ok()) << d.detail;
        received.push_back(d.report);
      }
  }
  std::string cliLog() const { return test::fileText(dir / "cli.log"); }
  std::vector<SlotMeasurement> slotLog(const std::string& name) {
    return readSlotLog(test::fileText(dir / name)).records;
  }

  test::TempFolder dir;
  test::Broker broker;
  std::unique_ptr<MqttLink> subscriber;
  std::vector<SlotReport> received;
};

// Without a broker the records wait in the spool and the command says how many; with one,
// the next run sends those first, in order, then its own, each as the slot log has it.
TEST_F(AnalysePublish, EveryRecordReachesTheBrokerThoseThatWaitedFirst) {
  const std::int64_t base = test::recentBaseUtc();
  ASSERT_EQ(analyse(base, "first.csv", "1"), 1);  // the broker's port answers nothing yet
  std::vector<SlotMeasurement> records = slotLog("first.csv");
  const std::size_t first = records.size();
  ASSERT_GE(first, 3u);
  EXPECT_NE(cliLog().find(std::to_string(first) + " report(s) wait in the spool"), std::string::npos) << cliLog();

  if (!broker.start()) GTEST_SKIP() << "mosquitto cannot be started here";
  listen();
  ASSERT_EQ(analyse(base + 180, "second.csv", "30"), 0) << cliLog();
  const auto second = slotLog("second.csv");
  records.insert(records.end(), second.begin(), second.end());
  EXPECT_NE(cliLog().find("Published " + std::to_string(second.size()) + " report(s); the broker acknowledged " +
                          std::to_string(records.size()) + "."),
            std::string::npos) << cliLog();
  ASSERT_TRUE(test::waitUntil([&] { take(); return received.size() >= records.size(); }, 5000));
  ASSERT_EQ(received.size(), records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const SlotReport& r = received[i];
    const auto start = std::chrono::duration_cast<std::chrono::seconds>(records[i].slot.start.time_since_epoch());
    // The locator has four characters unless chosen otherwise.
    EXPECT_EQ(std::tuple(r.slotStartUtc, r.beacon, r.heard, r.station, r.locator),
              std::tuple(start.count(), records[i].slot.beacon, records[i].heard, "OH2XYZ", "KP20")) << i;
  }
  EXPECT_TRUE(received[0].heard);
  EXPECT_FALSE(received.back().heard);  // the empty slot is news too
}

}  // namespace
}  // namespace harkola
