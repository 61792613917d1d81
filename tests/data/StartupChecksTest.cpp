#include "data/StartupChecks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "data/DataFile.h"
#include "data/DefaultData.h"

namespace fs = std::filesystem;

namespace harkola {
namespace {

// A fresh, empty data folder for each test; the log folder inside it does not exist yet.
class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    m_root = fs::temp_directory_path() / ("harkola-data-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(m_root);
    m_log = m_root / "Harkola Log";
    d.DataFolder = m_root.string();
    d.LogFolder = m_log.string();
  }
  void TearDown() override { fs::remove_all(m_root); }

  std::string file(const fs::path& p) const {
    std::string bytes;
    EXPECT_TRUE(readWholeFile(p, bytes)) << p;
    return bytes;
  }
  void put(const char* name, std::string_view bytes) { ASSERT_TRUE(writeWholeFile(m_root / name, bytes)); }
  void firstStart() {
    runStartupChecks(m_root, m_log);
    loadHomeAndBeacons(d);
  }
  static std::vector<std::string> texts(const Notices& n) {
    std::vector<std::string> t;
    for (const auto& x : n) t.push_back(x.text);
    return t;
  }

  fs::path m_root, m_log;
  PublicDecs d;
};

TEST_F(DataFolderTest, FirstStartWritesEveryDefaultWithItsNotice) {
  const fs::path cwd = fs::current_path();
  const Notices n = runStartupChecks(m_root, m_log);
  EXPECT_EQ(fs::current_path(), cwd);

  ASSERT_EQ(n.size(), 5u);
  EXPECT_EQ(texts(n), (std::vector<std::string>{
                          "Default home data written to file",
                          "Default beacon data written to file",
                          "A folder " + m_log.string() +
                              " has been created for your log files.  This version does not "
                              "allow choice of log folder name or log filename.",
                          "Default rig control data written to file",
                          "Chart sample data written to file",
                      }));
  for (std::size_t i : {0u, 1u, 3u, 4u}) {
    EXPECT_EQ(n[i].buttons, NoticeButtons::OkCancel) << i;
    EXPECT_EQ(n[i].title, "Harkola") << i;
  }
  EXPECT_EQ(n[2].buttons, NoticeButtons::Ok);
  EXPECT_EQ(n[2].title, "Harkola");

  EXPECT_EQ(file(m_root / "HomeData.dat"), defaultHomeData());
  EXPECT_EQ(file(m_root / "BeaconData.dat"), defaultBeaconData());
  EXPECT_EQ(file(m_root / "RigData.dat"), defaultRigData(kRigKenwood));
  EXPECT_EQ(file(m_log / "Chart Sample.csv"), defaultChartSample());

  EXPECT_TRUE(loadHomeAndBeacons(d).empty());
  EXPECT_EQ(d.Home.name(), "London");
  EXPECT_EQ(d.Home.unitText(), "m");
  EXPECT_EQ(d.BeaconTable[5][3], "ZL6B");
  EXPECT_EQ(d.BeaconTable[18][15], "Default data - November 2000");
  EXPECT_EQ(d.DistAzTable[1].distance, 3432);
}

TEST_F(DataFolderTest, SecondStartIsSilent) {
  firstStart();
  EXPECT_TRUE(runStartupChecks(m_root, m_log).empty());
  EXPECT_TRUE(loadHomeAndBeacons(d).empty());
}

TEST_F(DataFolderTest, UserDataIsKept) {
  put("HomeData.dat", "\"Leeds\",\"53\",\"48\",\"North\",\"1\",\"33\",\"West\",\"Km\",\"mine\"\r\n");
  firstStart();
  EXPECT_EQ(d.Home.name(), "Leeds");
  EXPECT_EQ(d.Home.unitText(), "Km");
  EXPECT_EQ(file(m_root / "HomeData.dat").substr(0, 8), "\"Leeds\",");
}

class RigPairCount : public DataFolderTest, public ::testing::WithParamInterface<int> {};

TEST_P(RigPairCount, AnythingButTwentyTwoPairsIsReplaced) {
  firstStart();
  const int pairs = GetParam();
  std::string rig;
  for (int i = 0; i < pairs; ++i) rig += formatRecord({"label", std::to_string(i)});
  put("RigData.dat", rig);

  const Notices n = runStartupChecks(m_root, m_log);
  if (pairs == 22) {
    EXPECT_TRUE(n.empty());
    EXPECT_EQ(file(m_root / "RigData.dat"), rig);
  } else {
    EXPECT_EQ(texts(n), std::vector<std::string>{"Default rig control data written to file"});
    EXPECT_EQ(file(m_root / "RigData.dat"), defaultRigData(kRigKenwood));
  }
}

INSTANTIATE_TEST_SUITE_P(Pairs, RigPairCount, ::testing::Values(0, 21, 22, 23),
                         [](const auto& info) { return "Pairs" + std::to_string(info.param); });

TEST_F(DataFolderTest, RigFileWithAHalfPairIsReplaced) {
  firstStart();
  std::string rig(defaultRigData(kRigKenwood));
  rig += "\"orphan\"\r\n";
  put("RigData.dat", rig);
  EXPECT_EQ(runStartupChecks(m_root, m_log).size(), 1u);
}

TEST_F(DataFolderTest, LowerCaseMilesMeansKilometres) {
  put("HomeData.dat", "\"London\",\"52\",\"25\",\"North\",\"0\",\"2\",\"West\",\"miles\",\"x\"\r\n");
  firstStart();
  EXPECT_EQ(d.Home.unitText(), "Km");
  EXPECT_GT(d.DistAzTable[1].distance, 5500);  // 3432 miles shown in km
}

TEST_F(DataFolderTest, OddHemisphereTextIsNotCorrupt) {
  std::string beacons(defaultBeaconData());
  beacons.replace(beacons.find("\"West\""), 6, "\"west\"");  // beacon 1 now counts as east
  put("BeaconData.dat", beacons);
  runStartupChecks(m_root, m_log);
  EXPECT_TRUE(loadHomeAndBeacons(d).empty());
  EXPECT_EQ(d.BeaconTable[1][11], "west");
  EXPECT_NE(d.DistAzTable[1].azimuth, 287);
}

TEST_F(DataFolderTest, RecordLayoutOverLinesDoesNotMatter) {
  // Beacon records rewritten two per line, then one field per line.
  const auto fields = readFields(defaultBeaconData());
  std::string joined, split;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    joined += "\"" + fields[k] + "\"" + ((k + 1) % 30 == 0 ? "\r\n" : ",");
    split += "\"" + fields[k] + "\"\r\n";
  }
  for (const std::string& text : {joined, split}) {
    put("BeaconData.dat", text);
    runStartupChecks(m_root, m_log);
    PublicDecs e;
    e.DataFolder = d.DataFolder;
    EXPECT_TRUE(loadHomeAndBeacons(e).empty());
    EXPECT_EQ(e.BeaconTable[18][3], "YV5B");
    EXPECT_EQ(e.DistAzTable[18].distance, 4665);
  }
}

TEST_F(DataFolderTest, ZeroBytePaddingOfOldDefaultsIsIgnored) {
  put("HomeData.dat", std::string(defaultHomeData()) + std::string(2, '\0'));
  put("RigData.dat", std::string(defaultRigData(kRigIcom)) + std::string(3, '\0'));
  EXPECT_EQ(runStartupChecks(m_root, m_log).size(), 3u);  // beacons, log folder, chart
  EXPECT_TRUE(loadHomeAndBeacons(d).empty());
  EXPECT_EQ(d.Home.fields[9], "This is default data");
}

struct CorruptCase {
  const char* name;
  const char* file;  // which file is damaged
  std::string bytes;
};

class CorruptFile : public DataFolderTest, public ::testing::WithParamInterface<CorruptCase> {};

TEST_P(CorruptFile, IsReportedReplacedAndLoadedAsDefault) {
  firstStart();
  const CorruptCase& c = GetParam();
  if (c.bytes == "<missing>")
    fs::remove(m_root / c.file);
  else
    put(c.file, c.bytes);

  PublicDecs e;
  e.DataFolder = d.DataFolder;
  const Notices n = loadHomeAndBeacons(e);
  const bool home = std::string(c.file) == "HomeData.dat";
  ASSERT_EQ(n.size(), 2u);
  EXPECT_EQ(n[0].text, "The data file is corrupt, Harkola will now create a new default file");
  EXPECT_EQ(n[0].buttons, NoticeButtons::Ok);
  EXPECT_EQ(n[0].title, "Harkola");
  EXPECT_EQ(n[1].text, home ? "Default home data written to file" : "Default beacon data written to file");
  EXPECT_EQ(file(m_root / c.file), home ? defaultHomeData() : defaultBeaconData());
  EXPECT_EQ(e.Home.name(), "London");
  EXPECT_EQ(e.BeaconTable[1][3], "4U1UN");
  EXPECT_EQ(e.BeaconTable[18][3], "YV5B");
  EXPECT_EQ(e.DistAzTable[18].distance, 4665);
  EXPECT_EQ(e.DistAzTable[18].azimuth, 257);
}

std::string beaconsWith(int extraRecords, int droppedFields) {
  auto fields = readFields(defaultBeaconData());
  for (int r = 0; r < extraRecords; ++r)
    fields.insert(fields.end(), fields.begin(), fields.begin() + 15);
  fields.resize(fields.size() - droppedFields);
  std::string text;
  for (const auto& f : fields) text += formatRecord({f});
  return text;
}

std::string beaconsReplacing(const char* from, const char* to) {
  std::string b(defaultBeaconData());
  b.replace(b.find(from), std::string(from).size(), to);
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CorruptFile,
    ::testing::Values(
        CorruptCase{"HomeTenFields", "HomeData.dat",
                    "\"London\",\"52\",\"25\",\"North\",\"0\",\"2\",\"West\",\"Miles\",\"n\",\"extra\"\r\n"},
        CorruptCase{"HomeEightFields", "HomeData.dat",
                    "\"London\",\"52\",\"25\",\"North\",\"0\",\"2\",\"West\",\"Miles\"\r\n"},
        CorruptCase{"HomeLatitudeNotNumber", "HomeData.dat",
                    "\"London\",\"fifty\",\"25\",\"North\",\"0\",\"2\",\"West\",\"Miles\",\"n\"\r\n"},
        CorruptCase{"HomeMinutesEmpty", "HomeData.dat",
                    "\"London\",\"52\",\"25\",\"North\",\"0\",\"\",\"West\",\"Miles\",\"n\"\r\n"},
        CorruptCase{"HomeEmpty", "HomeData.dat", ""},
        CorruptCase{"HomeMissing", "HomeData.dat", "<missing>"},
        CorruptCase{"BeaconsNineteenRecords", "BeaconData.dat", beaconsWith(1, 0)},
        CorruptCase{"BeaconsSeventeenRecords", "BeaconData.dat", beaconsWith(0, 15)},
        CorruptCase{"BeaconsShortLastRecord", "BeaconData.dat", beaconsWith(0, 2)},
        CorruptCase{"BeaconDegreesNotNumber", "BeaconData.dat", beaconsReplacing("\"157\"", "\"15 7\"")},
        CorruptCase{"BeaconMinutesNotNumber", "BeaconData.dat", beaconsReplacing("\"58\"", "\"5B\"")},
        CorruptCase{"BeaconsEmpty", "BeaconData.dat", ""},
        CorruptCase{"BeaconsMissing", "BeaconData.dat", "<missing>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DataFolderTest, UnwritableFolderStillLoadsTheDefaults) {
  PublicDecs e;
  e.DataFolder = (m_root / "no" / "such" / "folder").string();
  const Notices n = loadHomeAndBeacons(e);
  ASSERT_EQ(n.size(), 4u);
  EXPECT_EQ(n[1].icon, NoticeIcon::Critical);
  EXPECT_EQ(e.Home.name(), "London");
  EXPECT_EQ(e.DistAzTable[1].distance, 3432);
}

TEST_F(DataFolderTest, LogFolderThatCannotBeMadeIsReported) {
  put("blocker", "a file where the log folder should go");
  const Notices n = runStartupChecks(m_root, m_root / "blocker" / "logs");
  ASSERT_EQ(n.size(), 4u);  // home, beacons, folder failure, rig; no chart sample
  EXPECT_EQ(n[2].icon, NoticeIcon::Critical);
}

}  // namespace
}  // namespace harkola
