#include "data/StartupChecks.h"

#include <gtest/gtest.h>

#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "support/Files.h"
#include "support/TempFolder.h"
#include "support/Tables.h"

namespace fs = std::filesystem;

namespace harkola {
namespace {

// A fresh, empty data folder for each test; the log folder inside it does not exist yet.
class DataFolderTest : public ::testing::Test {
 protected:
  DataFolderTest() {
    d.DataFolder = dir.path.string();
    d.LogFolder = m_log.string();
  }
  void put(const char* name, std::string_view bytes) { ASSERT_TRUE(writeWholeFile(dir / name, bytes)); }
  Notices checks() { return runStartupChecks(dir.path, m_log); }
  static std::vector<std::string> texts(const Notices& n) {
    std::vector<std::string> t;
    for (const auto& x : n) t.push_back(x.text);
    return t;
  }

  test::TempFolder dir{"harkola-data"};
  fs::path m_log = dir / "Harkola Log";
  PublicDecs d;
};

TEST_F(DataFolderTest, FirstStartWritesEveryDefaultWithItsNoticeAndTheSecondIsSilent) {
  const fs::path cwd = fs::current_path();
  const Notices n = checks();
  EXPECT_EQ(fs::current_path(), cwd);
  EXPECT_EQ(texts(n), (std::vector<std::string>{
                          "Default home data written to file",
                          "Default beacon data written to file",
                          "A folder " + m_log.string() +
                              " has been created for your log files.  This version does not "
                              "allow choice of log folder name or log filename.",
                          "Default rig control data written to file",
                          "Chart sample data written to file",
                      }));
  for (std::size_t i = 0; i < n.size(); ++i) {
    EXPECT_EQ(n[i].buttons, i == 2 ? NoticeButtons::Ok : NoticeButtons::OkCancel) << i;
    EXPECT_EQ(n[i].title, "Harkola") << i;
  }
  EXPECT_EQ(test::fileText(dir / "HomeData.dat") + test::fileText(dir / "BeaconData.dat") +
                test::fileText(dir / "RigData.dat") + test::fileText(m_log / "Chart Sample.csv"),
            std::string(defaultHomeData()) + std::string(defaultBeaconData()) +
                std::string(defaultRigData(kRigKenwood)) + std::string(defaultChartSample()));
  EXPECT_TRUE(checks().empty());
  EXPECT_TRUE(loadHomeAndBeacons(d).empty());
}

// The rig file must hold 22 label/value pairs; anything else is replaced.
TEST_F(DataFolderTest, OnlyARigFileOfTwentyTwoPairsIsKept) {
  checks();
  for (int fields : {42, 44, 45}) {
    std::string rig;
    for (int i = 0; i < fields; ++i) rig += formatRecord({std::to_string(i)});
    put("RigData.dat", rig);
    const bool kept = fields == 44;
    EXPECT_EQ(texts(checks()), kept ? std::vector<std::string>{}
                                    : std::vector<std::string>{"Default rig control data written to file"});
    EXPECT_EQ(test::fileText(dir / "RigData.dat"), kept ? rig : std::string(defaultRigData(kRigKenwood))) << fields;
  }
}

// Files the user wrote or an older version left behind: kept as they are and read.
struct TolerableCase {
  const char *name, *file;
  std::string bytes;
  std::string (*shown)(const PublicDecs&);  // what the loaded data makes of it
  std::string expected;
};

class TolerableFile : public DataFolderTest, public ::testing::WithParamInterface<TolerableCase> {};

TEST_P(TolerableFile, IsKeptAndRead) {
  const TolerableCase& c = GetParam();
  put(c.file, c.bytes);
  checks();
  EXPECT_TRUE(loadHomeAndBeacons(d).empty());
  EXPECT_EQ(test::fileText(dir / c.file), c.bytes);
  EXPECT_EQ(c.shown(d), c.expected);
}

// The default beacon file with a line break after every `perLine` fields.
std::string beaconLines(std::size_t perLine) {
  const auto fields = readFields(defaultBeaconData());
  std::string text;
  for (std::size_t k = 0; k < fields.size(); ++k) text += "\"" + fields[k] + "\"" + ((k + 1) % perLine ? "," : "\r\n");
  return text;
}

std::string lastCallsign(const PublicDecs& d) { return d.BeaconTable[18][3]; }

INSTANTIATE_TEST_SUITE_P(
    Cases, TolerableFile,
    ::testing::Values(
        TolerableCase{"LowerCaseMilesMeansKm", "HomeData.dat",
                      "\"Leeds\",\"53\",\"48\",\"North\",\"1\",\"33\",\"West\",\"miles\",\"mine\"\r\n",
                      [](const PublicDecs& d) { return d.Home.name() + " " + d.Home.unitText(); }, "Leeds Km"},
        // beacon 1 then counts as east of Greenwich
        TolerableCase{"OddHemisphereWord", "BeaconData.dat",
                      std::string(defaultBeaconData()).replace(defaultBeaconData().find("\"West\""), 6, "\"west\""),
                      [](const PublicDecs& d) { return d.BeaconTable[1][11] + (d.DistAzTable[1].azimuth == 287 ? " W" : " E"); },
                      "west E"},
        TolerableCase{"OneFieldPerLine", "BeaconData.dat", beaconLines(1), lastCallsign, "YV5B"},
        TolerableCase{"ZeroPaddedRig", "RigData.dat", std::string(defaultRigData(kRigIcom)) + std::string(3, '\0'),
                      lastCallsign, "YV5B"}),
    test::rowName);

// One row per kind of damage.
struct CorruptCase {
  const char* name;
  const char* file;
  std::string bytes;  // "<missing>": the file is deleted
};

class CorruptFile : public DataFolderTest, public ::testing::WithParamInterface<CorruptCase> {};

TEST_P(CorruptFile, IsReportedReplacedAndLoadedAsDefault) {
  checks();
  const CorruptCase& c = GetParam();
  c.bytes == "<missing>" ? void(fs::remove(dir / c.file)) : put(c.file, c.bytes);
  const Notices n = loadHomeAndBeacons(d);
  const bool home = std::string(c.file) == "HomeData.dat";
  ASSERT_EQ(n.size(), 2u);
  EXPECT_EQ(n[0], (Notice{"The data file is corrupt, Harkola will now create a new default file", "Harkola",
                           n[0].icon, NoticeButtons::Ok}));
  EXPECT_EQ(n[1].text, home ? "Default home data written to file" : "Default beacon data written to file");
  EXPECT_EQ(test::fileText(dir / c.file), home ? defaultHomeData() : defaultBeaconData());
  EXPECT_EQ(std::tuple(d.Home.name(), d.BeaconTable[18][3], d.DistAzTable[18].distance, d.DistAzTable[18].azimuth),
            std::tuple("London", "YV5B", 4665L, 257));
}

// The default beacon file with its last `dropped` fields removed, or one record repeated.
std::string beaconFields(int dropped, bool extraRecord = false) {
  auto fields = readFields(defaultBeaconData());
  if (extraRecord) fields.insert(fields.end(), fields.begin(), fields.begin() + 15);
  fields.resize(fields.size() - dropped);
  std::string text;
  for (const auto& f : fields) text += formatRecord({f});
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CorruptFile,
    ::testing::Values(
        CorruptCase{"HomeTenFields", "HomeData.dat",
                    "\"London\",\"52\",\"25\",\"North\",\"0\",\"2\",\"West\",\"Miles\",\"n\",\"extra\"\r\n"},
        CorruptCase{"HomeLatitudeNotNumber", "HomeData.dat",
                    "\"London\",\"fifty\",\"25\",\"North\",\"0\",\"2\",\"West\",\"Miles\",\"n\"\r\n"},
        CorruptCase{"HomeMissing", "HomeData.dat", "<missing>"},
        CorruptCase{"BeaconsNineteenRecords", "BeaconData.dat", beaconFields(0, true)},
        CorruptCase{"BeaconsShortLastRecord", "BeaconData.dat", beaconFields(2)},
        CorruptCase{"BeaconMinutesNotNumber", "BeaconData.dat",
                    std::string(defaultBeaconData()).replace(defaultBeaconData().find("\"58\""), 4, "\"5B\"")},
        // Numbers beyond any angle: a 309-digit value once gave a distance of -2^63.
        CorruptCase{"HomeDegrees309Digits", "HomeData.dat",
                    "\"London\",\"" + std::string(309, '9') + "\",\"25\",\"North\",\"0\",\"2\",\"West\",\"Miles\",\"n\"\r\n"},
        CorruptCase{"BeaconDegreesBeyondATurn", "BeaconData.dat",
                    std::string(defaultBeaconData()).replace(defaultBeaconData().find("\"73\""), 4, "\"361\"")},
        // Far larger than any real data file: refused before it is parsed.
        CorruptCase{"HomeTenMegabytesOfCommas", "HomeData.dat", std::string(10 << 20, ',')}),
    test::rowName);

TEST_F(DataFolderTest, UnwritableFoldersAreReportedAndTheDefaultsStillLoad) {
  d.DataFolder = (dir / "no/such/folder").string();
  const Notices n = loadHomeAndBeacons(d);
  ASSERT_EQ(n.size(), 4u);
  EXPECT_EQ(n[1].icon, NoticeIcon::Critical);
  EXPECT_EQ(std::tuple(d.Home.name(), d.DistAzTable[1].distance), std::tuple("London", 3432));

  put("blocker", "a file where the log folder should go");
  const Notices s = runStartupChecks(dir.path, dir / "blocker/logs");
  ASSERT_EQ(s.size(), 4u);  // home, beacons, folder failure, rig; no chart sample
  EXPECT_EQ(s[2].icon, NoticeIcon::Critical);
}

}  // namespace
}  // namespace harkola
