// Where the reports end up and the road to it: the store (SQLite, and a real PostgreSQL
// cluster), then stations publishing through a real Mosquitto to the real collector
// program writing a SQLite store, with the faults a network meets.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <ctime>
#include <fstream>
#include <map>

#include "BeaconAudio.h"
#include "audio/WavFile.h"
#include "clock/SlotLog.h"
#include "network/MqttLink.h"
#include "network/NetworkReport.h"
#include "network/NetworkServers.h"
#include "network/Publisher.h"
#include "network/Reports.h"
#include "network/SlotStore.h"
#include "support/Files.h"

namespace harkola {
namespace {

using namespace std::chrono_literals;
using test::kBaseUtc;
using test::nowUtc;
using test::reportAt;

// One PostgreSQL cluster for the whole test program, made on first use and stopped
// when the program ends; the tests skip, saying why, when it cannot be made.
test::PostgresCluster& cluster() {
  static test::PostgresCluster c;
  [[maybe_unused]] static const bool started = c.start();
  return c;
}

class Store : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    std::string where = (dir / "store.sqlite").string();
    if (std::string(GetParam()) == "PostgreSQL") {
      if (!cluster().why().empty()) GTEST_SKIP() << cluster().why();
      static int n = 0;
      const std::string db = "t" + std::to_string(++n);
      ASSERT_EQ(std::system(("psql -q '" + cluster().url() + "' -c 'CREATE DATABASE " + db + "' >/dev/null").c_str()), 0);
      where = cluster().url(db);
    }
    location = where;
    store = openSlotStore(where, error);
    ASSERT_TRUE(store) << error;
  }
  // The reports of slots in [from, to), in the order the store gives them.
  std::vector<SlotReport> readAll(std::int64_t from, std::int64_t to) {
    std::vector<SlotReport> back;
    EXPECT_TRUE(store->read(from, to, [&](const SlotReport& r) {
      back.push_back(r);
      return true;
    }));
    return back;
  }
  test::TempFolder dir;
  std::string location, error;
  std::unique_ptr<SlotStore> store;
};

TEST_P(Store, KeepsEachReportOnceInTheOrderOfArrival) {
  std::vector<SlotReport> batch;
  for (int i = 0; i < 30; ++i) batch.push_back(reportAt(i % 2 ? "OH2XYZ" : "G4ABC", kBaseUtc + 10 * (29 - i), i % 5, i % 3 == 0));
  batch.push_back(batch[4]);  // the same report twice in one batch
  EXPECT_EQ(store->insert(batch, kBaseUtc + 1000), 30);
  EXPECT_EQ(store->insert({batch[0], batch[7], reportAt("OH2XYZ", kBaseUtc + 9990)}, kBaseUtc + 1001), 1);
  EXPECT_EQ(store->count(), 31);

  const std::vector<SlotReport> back = readAll(kBaseUtc, kBaseUtc + 10000);
  ASSERT_EQ(back.size(), 31u);
  for (std::size_t i = 0; i < 30; ++i) EXPECT_TRUE(test::sameReport(back[i], batch[i])) << i;
  // A range is a range; and reading can stop early.
  int n = 0;
  ASSERT_TRUE(store->read(kBaseUtc + 100, kBaseUtc + 150, [&](const SlotReport& r) {
    EXPECT_GE(r.slotStartUtc, kBaseUtc + 100);
    EXPECT_LT(r.slotStartUtc, kBaseUtc + 150);
    return ++n < 3;
  }));
  EXPECT_EQ(n, 3);
  // Still there when opened again.
  store.reset();
  store = openSlotStore(location, error);
  ASSERT_TRUE(store) << error;
  EXPECT_EQ(store->count(), 31);
}

TEST_P(Store, GivesTheNetworkReport) {
  std::vector<SlotReport> batch;
  // OH2XYZ (KP20) hears beacon 1 on 14 MHz in 3 of 4 cycles of hour 8; G4ABC (IO91, 1800 km
  // away) in 1 of 4; W1AW's clock is 3 s off.
  for (int c = 0; c < 4; ++c) {
    batch.push_back(reportAt("OH2XYZ", kBaseUtc + 180 * c, 0, c != 2));
    SlotReport g = reportAt("G4ABC", kBaseUtc + 180 * c, 0, c == 0);
    g.locator = "IO91";
    batch.push_back(g);
    SlotReport w = reportAt("W1AW", kBaseUtc + 180 * c, 0);
    w.clockAheadMs = -3000;
    batch.push_back(w);
  }
  ASSERT_EQ(store->insert(batch, kBaseUtc), 12);
  std::ostringstream out;
  NetworkReportOptions o;
  o.fromUtc = kBaseUtc;
  o.toUtc = kBaseUtc + 3600;
  NetworkReportResult r = writeNetworkReport(*store, o, out);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(out.str(),
            "\"station\",\"locator\",\"band\",\"beacon\",\"callsign\",\"hour\",\"slots\",\"heard\",\"heard %\"\r\n"
            "\"G4ABC\",\"IO91\",\"14\",\"1\",\"BCN1\",\"8\",\"4\",\"1\",\"25.0\"\r\n"
            "\"OH2XYZ\",\"KP20\",\"14\",\"1\",\"BCN1\",\"8\",\"4\",\"3\",\"75.0\"\r\n");
  EXPECT_EQ(r.clockOff, 4u);
  o.near = locatorCentre("KP20");
  o.km = 500;
  out.str("");
  r = writeNetworkReport(*store, o, out);
  EXPECT_EQ(r.farAway, 4u);
  EXPECT_EQ(r.rows, 1u);
}

// A store made before its key ran by slot start (key led by the station, a separate time
// index) opens, takes new reports once each and gives them back.
TEST_P(Store, WorksWithAStoreOfTheEarlierLayout) {
  const bool pg = std::string(GetParam()) == "PostgreSQL";
  // The columns as both stores made them; SQLite gives these types the same storage.
  const std::string old =
      std::string("DROP TABLE slot_reports; CREATE TABLE slot_reports (id ") + (pg ? "BIGSERIAL" : "INTEGER") +
      " PRIMARY KEY, station TEXT NOT NULL, slot_start BIGINT NOT NULL, band SMALLINT NOT NULL,"
      " beacon SMALLINT NOT NULL, beacon_call TEXT NOT NULL, heard BOOLEAN NOT NULL, dashes SMALLINT NOT NULL,"
      " snr_100w DOUBLE PRECISION, snr_10w DOUBLE PRECISION, snr_1w DOUBLE PRECISION,"
      " snr_100mw DOUBLE PRECISION, tone_hz DOUBLE PRECISION, offset_ms DOUBLE PRECISION,"
      " detector TEXT NOT NULL, locator TEXT NOT NULL, version TEXT NOT NULL, clock_ms DOUBLE PRECISION,"
      " received BIGINT NOT NULL, UNIQUE (station, slot_start, band));"
      " CREATE INDEX slot_reports_start ON slot_reports (slot_start);";
  store.reset();
  if (pg) {
    ASSERT_EQ(std::system(("psql -q '" + location + "' -c '" + old + "' >/dev/null").c_str()), 0);
  } else {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(location.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, old.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
  store = openSlotStore(location, error);
  ASSERT_TRUE(store) << error;
  std::vector<SlotReport> batch;
  for (int i = 0; i < 6; ++i) batch.push_back(reportAt(i % 2 ? "OH2XYZ" : "G4ABC", kBaseUtc + 10 * i, i % 5));
  batch.push_back(batch[2]);
  EXPECT_EQ(store->insert(batch, kBaseUtc + 100), 6);
  EXPECT_EQ(store->insert({batch[0]}, kBaseUtc + 101), 0);
  const std::vector<SlotReport> back = readAll(kBaseUtc, kBaseUtc + 100);
  ASSERT_EQ(back.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) EXPECT_TRUE(test::sameReport(back[i], batch[i])) << i;
}

INSTANTIATE_TEST_SUITE_P(Kinds, Store, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& info) { return std::string(info.param); });

TEST(StoreOpening, SaysWhatIsWrong) {
  test::TempFolder dir;
  std::ofstream(dir / "notes.sqlite") << "these are my notes, not a database\n";
  std::string error;
  EXPECT_FALSE(openSlotStore((dir / "notes.sqlite").string(), error));
  EXPECT_NE(error.find("not a store"), std::string::npos) << error;
  EXPECT_FALSE(openSlotStore("postgresql://nobody@127.0.0.1:1/none?connect_timeout=2", error));
  EXPECT_NE(error.find("Cannot connect"), std::string::npos) << error;
}

// A station: its spool, its link, its publisher.
struct Station {
  Station(const std::filesystem::path& spoolPath, const std::string& url) : link(test::startedLink(url)) {
    EXPECT_TRUE(spool.open(spoolPath)) << spool.error();
    pub = std::make_unique<Publisher>(spool, *link);
  }
  Spool spool;
  std::unique_ptr<MqttLink> link;
  std::unique_ptr<Publisher> pub;
};

class NetworkFault : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!broker.start()) GTEST_SKIP() << "mosquitto cannot be started here";
    startCollector();
  }
  void startCollector() {
    ASSERT_TRUE(collector.start({HARKOLA_CLI, "collect", "--broker", broker.url(), "--store", storePath(), "--every", "1"},
                                (dir / "collector.log").string()));
    // Subscribed once it says it is connected.
    ASSERT_TRUE(test::waitUntil([&] { return logText().rfind("connected to") != std::string::npos &&
                                             logText().rfind("connected to") > logText().rfind("collecting"); },
                                5000));
  }
  std::string storePath() const { return (dir / "store.sqlite").string(); }
  std::string logText() const { return test::fileText(dir / "collector.log"); }
  long long storedCount() {
    std::string error;
    auto s = openSlotStore(storePath(), error);
    return s ? s->count() : -1;
  }
  // The store's reports of each station, in the order they arrived.
  std::map<std::string, std::vector<std::int64_t>> stored() {
    std::string error;
    auto s = openSlotStore(storePath(), error);
    std::map<std::string, std::vector<std::int64_t>> out;
    s->read(0, INT64_MAX, [&](const SlotReport& r) {
      out[r.station].push_back(r.slotStartUtc);
      return true;
    });
    return out;
  }

  test::TempFolder dir;
  test::Broker broker;
  test::Child collector;
};

TEST_F(NetworkFault, BrokerAndCollectorRestartsLoseAndDuplicateNothing) {
  const std::int64_t base = test::recentBaseUtc();
  Station a(dir / "a.spool", broker.url()), b(dir / "b.spool", broker.url());
  constexpr int kReports = 300;
  auto pollBoth = [&](std::chrono::milliseconds wait) {
    a.pub->poll(nowUtc(), wait);
    b.pub->poll(nowUtc(), 0ms);
  };
  for (int i = 0; i < kReports; ++i) {
    ASSERT_TRUE(a.pub->add(reportAt("OH2XYZ", base + 10 * i, 0, i % 3 != 0)));
    ASSERT_TRUE(b.pub->add(reportAt("G4ABC/P", base + 10 * i, 2, i % 4 == 0)));
    pollBoth(5ms);
    if (i > 80 && i < 120) std::this_thread::sleep_for(50ms);  // two seconds without a broker
    if (i == 80) broker.stop();
    if (i == 120) {
      EXPECT_GT(a.pub->waiting(), 30u);  // waiting in the spool meanwhile
      EXPECT_NE(a.pub->state(), LinkState::Connected);
      ASSERT_TRUE(broker.start());
    }
    if (i == 200) {
      EXPECT_EQ(collector.stop(SIGTERM), 0);
    }
    if (i == 230) startCollector();
  }
  ASSERT_TRUE(test::waitUntil([&] {
    pollBoth(20ms);
    return a.pub->waiting() == 0 && b.pub->waiting() == 0;
  }, 40000)) << a.pub->statusLine() << " / " << b.pub->statusLine();
  // When a report is missing or stored twice, the check below names the first.
  EXPECT_TRUE(test::waitUntil([&] { return storedCount() == 2 * kReports; }, 10000)) << logText();
  EXPECT_EQ(collector.stop(SIGTERM), 0);

  const auto byStation = stored();
  for (const char* station : {"OH2XYZ", "G4ABC/P"}) {
    const auto& slots = byStation.at(station);
    for (int i = 0; i < kReports; ++i) ASSERT_EQ(slots.at(i), base + 10 * i) << station << " #" << i;
    EXPECT_EQ(slots.size(), static_cast<std::size_t>(kReports)) << station;
  }
  EXPECT_NE(logText().find("refused 0"), std::string::npos);
}

TEST_F(NetworkFault, BadInputFromAnotherClientIsRefusedCountedAndNotStored) {
  const std::int64_t base = test::recentBaseUtc();
  const auto rogue = test::startedLink(broker.url());
  ASSERT_TRUE(test::waitUntil([&] { rogue->poll(10ms); return rogue->state() == LinkState::Connected; }, 5000));

  const SlotReport good = reportAt("OH2XYZ", base, 0), future = reportAt("OH2XYZ", base + 2 * 86400, 0);
  const std::string topic = slotTopic(good), payload = encodeSlotReport(good);
  // Malformed, from the future, topic disagreeing: three kinds, counted apart (which message
  // is refused for what is the message checks' table).
  const std::vector<std::pair<std::string, std::string>> bad = {
      {topic, "{\"schema\":1,\"slot_start\":"},
      {slotTopic(future), encodeSlotReport(future)},
      {topic + "X", payload},
  };
  std::uint64_t tag = 0;
  for (const auto& [t, p] : bad) ASSERT_TRUE(rogue->publish(t, p, ++tag));
  ASSERT_TRUE(rogue->publish(topic, payload, ++tag));
  std::size_t acked = 0;
  ASSERT_TRUE(test::waitUntil([&] {
    for (const auto& e : rogue->poll(10ms)) acked += e.kind == LinkEvent::Kind::Acknowledged;
    return acked == tag;
  }, 5000));
  ASSERT_TRUE(test::waitUntil([&] { return storedCount() == 1; }, 5000));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(collector.stop(SIGTERM), 0);
  EXPECT_EQ(storedCount(), 1);
  EXPECT_NE(logText().find("received 4, stored 1, already stored 0, refused 3 (malformed JSON 1, "
                           "slot in the future 1, topic disagrees 1)"),
            std::string::npos)
      << logText();
}

// harkola-cli analyse --publish: a recording replayed as a headless station, through a
// real Mosquitto. The command ends only when the broker has every record, or says how
// many wait in the spool; the next run sends those first.

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

  // What the subscriber on the station's topics got, in order.
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
  subscriber = test::startedLink(broker.url());
  subscriber->subscribe("harkola/v1/slot/#");
  ASSERT_TRUE(test::waitUntil([&] { take(); return subscriber->state() == LinkState::Connected; }, 5000));
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
