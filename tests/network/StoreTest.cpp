#include <gtest/gtest.h>

#include <sqlite3.h>

#include <fstream>

#include "network/NetworkServers.h"
#include "network/NetworkReport.h"
#include "network/Reports.h"
#include "network/SlotStore.h"

namespace harkola {
namespace {

using test::kBaseUtc;
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

}  // namespace
}  // namespace harkola
