// The files a first start writes (as shipped) and what the start-up checks make of the
// files they find.
#include "data/StartupChecks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>

#include "clock/BeaconSchedule.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace harkola {
namespace {

// A fresh, empty data folder; the log folder inside it does not exist yet.
struct DataFolder {
  DataFolder() {
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
class DataFolderTest : public ::testing::Test, public DataFolder {};

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

// The default beacon file with a line break after every `perLine` fields.
std::string beaconLines(std::size_t perLine) {
  const auto fields = readFields(defaultBeaconData());
  std::string text;
  for (std::size_t k = 0; k < fields.size(); ++k)
    text += "\"" + fields[k] + "\"" + ((k + 1) % perLine ? "," : "\r\n");
  return text;
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

std::string withWord(const char* word, const char* replacement) {
  std::string text(defaultBeaconData());
  return text.replace(text.find(word), std::strlen(word), replacement);
}

// Files the user wrote or an older version left behind: kept as they are and read.
TEST(TolerableFile, IsKeptAndRead) {
  const auto callsign18 = [](const PublicDecs& d) { return d.BeaconTable[18][3]; };
  const struct {
    const char* file;
    std::string bytes;
    std::function<std::string(const PublicDecs&)> shown;  // what the loaded data makes of it
    std::string expected;
  } rows[] = {{"HomeData.dat", "\"Leeds\",\"53\",\"48\",\"North\",\"1\",\"33\",\"West\",\"miles\",\"x\"\r\n",
               [](const PublicDecs& d) { return d.Home.name() + " " + d.Home.unitText(); }, "Leeds Km"},
              // beacon 1 then counts as east of Greenwich
              {"BeaconData.dat", withWord("\"West\"", "\"west\""),
               [](const PublicDecs& d) {
                 return d.BeaconTable[1][11] + (d.DistAzTable[1].azimuth == 287 ? " W" : " E");
               },
               "west E"},
              {"BeaconData.dat", beaconLines(1), callsign18, "YV5B"},
              {"RigData.dat", std::string(defaultRigData(kRigIcom)) + std::string(3, '\0'), callsign18, "YV5B"}};
  for (const auto& r : rows) {
    DataFolder f;
    f.put(r.file, r.bytes);
    f.checks();
    EXPECT_TRUE(loadHomeAndBeacons(f.d).empty()) << r.expected;
    EXPECT_EQ(test::fileText(f.dir / r.file), r.bytes) << r.expected;
    EXPECT_EQ(r.shown(f.d), r.expected);
  }
}

// One row per kind of damage: reported, replaced and loaded as the default.
TEST(CorruptFile, IsReportedReplacedAndLoadedAsDefault) {
  const std::pair<const char*, std::string> rows[] = {
      {"HomeData.dat", "\"London\",\"52\",\"25\",\"North\",\"0\",\"2\",\"West\",\"Miles\",\"n\",\"x\"\r\n"},
      {"HomeData.dat", "\"London\",\"fifty\",\"25\",\"North\",\"0\",\"2\",\"West\",\"Miles\",\"n\"\r\n"},
      {"HomeData.dat", "<missing>"},  // the file is deleted
      {"BeaconData.dat", beaconFields(0, true)},
      {"BeaconData.dat", beaconFields(2)},
      {"BeaconData.dat", withWord("\"58\"", "\"5B\"")},
      // Numbers beyond any angle: a 309-digit value once gave a distance of -2^63.
      {"HomeData.dat",
       "\"London\",\"" + std::string(309, '9') + "\",\"25\",\"North\",\"0\",\"2\",\"West\",\"Miles\",\"n\"\r\n"},
      {"BeaconData.dat", withWord("\"73\"", "\"361\"")},
      // Far larger than any real data file: refused before it is parsed.
      {"HomeData.dat", std::string(10 << 20, ',')}};
  for (const auto& [file, bytes] : rows) {
    SCOPED_TRACE(bytes.substr(0, 60));
    DataFolder f;
    f.checks();
    bytes == "<missing>" ? void(fs::remove(f.dir / file)) : f.put(file, bytes);
    const Notices n = loadHomeAndBeacons(f.d);
    const bool home = std::string(file) == "HomeData.dat";
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(n[0], (Notice{"The data file is corrupt, Harkola will now create a new default file", "Harkola",
                             n[0].icon, NoticeButtons::Ok}));
    EXPECT_EQ(n[1].text, home ? "Default home data written to file" : "Default beacon data written to file");
    EXPECT_EQ(test::fileText(f.dir / file), home ? defaultHomeData() : defaultBeaconData());
    EXPECT_EQ(std::tuple(f.d.Home.name(), f.d.BeaconTable[18][3], f.d.DistAzTable[18].distance,
                         f.d.DistAzTable[18].azimuth),
              std::tuple("London", "YV5B", 4665L, 257));
  }
}

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

// The lines of a shipped file; every line must end in CR LF.
std::vector<std::string> lines(std::string_view text) {
  std::vector<std::string> out;
  for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
    end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      ADD_FAILURE() << "line without CR LF: " << text.substr(start);
      break;
    }
    out.emplace_back(text.substr(start, end - start));
  }
  return out;
}

TEST(DefaultFiles, NoZeroBytePadding) {
  for (std::string_view f : {defaultBeaconData(), defaultHomeData(), defaultRigData(kRigKenwood),
                             defaultRigData(kRigIcom), defaultRigData(kRigYaesu), defaultChartSample()}) {
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f.find('\0'), std::string_view::npos);
  }
  EXPECT_TRUE(defaultRigData(999).empty());
}

TEST(DefaultFiles, BeaconNoteIsOpenToTheLineEnd) {
  const auto l = lines(defaultBeaconData());
  ASSERT_EQ(l.size(), 18u);
  for (const auto& line : l) EXPECT_TRUE(line.ends_with(",\"Default data - November 2000")) << line;
  EXPECT_EQ(l[3], "\"4\",\"Hawaii\",\"KH6WO\",\"OK\",\"No output\",\"OK\",\"No output\",\"OK\","
                  "\"157\",\"55\",\"West\",\"21\",\"38\",\"North\",\"Default data - November 2000");
}

// The chart sample is a heard log a listener could really have written: every record
// names the beacon that is on that band in some slot of the hour.
TEST(ChartSample, ShapeAndSchedule) {
  ASSERT_EQ(lines(defaultChartSample()).size(), 107u);
  const auto f = readFields(defaultChartSample());
  ASSERT_EQ(f.size(), 107u * 5);
  const BeaconGrid beacons = parseBeacons(defaultBeaconData()).value();

  std::set<std::string> bands;
  for (std::size_t r = 0; r < 107; ++r) {
    const std::string* rec = &f[r * 5];
    bands.insert(rec[2]);
    const int band = bandFromMHz(std::stoi(rec[2]));
    int beacon = 1;
    while (beacon <= 18 && beacons[beacon][3] != rec[3]) ++beacon;
    ASSERT_LE(beacon, 18) << rec[3];
    ASSERT_GE(band, 0) << rec[2];
    EXPECT_EQ(beaconOnBand((beacon + band - 1) % 18 + 1, band), beacon) << r;
  }
  EXPECT_EQ(bands.size(), 5u);  // something to chart on every band
}

}  // namespace
}  // namespace harkola
