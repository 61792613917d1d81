// The data files' field format and the settings files written in it; the files a first
// start writes (as shipped), what the start-up checks make of the files they find, and
// the distances and bearings computed from them; the editors' rules and forms, the
// rewritten files, and the locator.
#include "data/StartupChecks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <set>

#include "clock/BeaconSchedule.h"
#include "data/ArrayCalcsModule.h"
#include "data/Beacons.h"
#include "data/DataEdit.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "data/Maidenhead.h"
#include "data/SettingsFile.h"
#include "receiver/ReceiverSettings.h"
#include "support/Files.h"
#include "support/ShippedData.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace harkola {
namespace {

using namespace std::string_literals;
using Fields = std::vector<std::string>;

// Quoted or not, a quote open to the line end or the file end, records over lines or
// several on one, any line ends, the zero-byte padding older versions left.
TEST(FieldFile, ReadingGivesTheFields) {
  const std::pair<std::string, Fields> rows[] = {
      {"\"a\",\"b c\"\r\n", {"a", "b c"}},
      {"\"\",\"False\"\r\n", {"", "False"}},
      {"73, 58 ,West\r\n", {"73", "58", "West"}},
      {"a,,b\r\n", {"a", "", "b"}},
      {"\"x\",\"Default data - November 2000\r\n\"y\"\r\n", {"x", "Default data - November 2000", "y"}},
      {"\"x\",\"open", {"x", "open"}},
      {"\"a\"junk,\"b\"\r\n", {"a", "b"}},  // text after the closing quote is ignored
      {"\"1\",\"2\"\r\n\"3\"\r\n\"4\"\r\n", {"1", "2", "3", "4"}},
      {"\"1\",\"2\",\"3\",\"4\"\r\n", {"1", "2", "3", "4"}},
      {"\r\n\"a\"\r\n\r\n\"b\"\r\n\r\n", {"a", "b"}},  // blank lines give no field
      {"\"a\",\"b\"\r\"c\"\r", {"a", "b", "c"}},
      {"\"a\",\"b\"\n\"c\"\n", {"a", "b", "c"}},
      {"\"a\",\"b\"", {"a", "b"}},
      {"\"a\",\"b\"\r\n\0\0\0"s, {"a", "b"}},
      {"\"a\",\"note\r\n\0\0"s, {"a", "note"}},
      {"\"a\",\"note\0\0"s, {"a", "note"}},
      {"\r\n\0\0"s, {}}};
  for (const auto& [text, fields] : rows) EXPECT_EQ(readFields(text), fields) << ::testing::PrintToString(text);
}

TEST(FieldFile, WrittenRecordsReadBackAndAMissingFileIsReported) {
  const Fields record{"1", "New York", "", "Callsign to change"};
  EXPECT_EQ(formatRecord(record), "\"1\",\"New York\",\"\",\"Callsign to change\"\r\n");
  test::TempFolder dir;
  ASSERT_TRUE(writeWholeFile(dir / "f.dat", formatRecord(record)));
  std::string bytes = "untouched";
  ASSERT_TRUE(readWholeFile(dir / "f.dat", bytes));
  EXPECT_EQ(readFields(bytes), record);

  bytes = "untouched";
  EXPECT_FALSE(readWholeFile(dir / "none.dat", bytes));
  EXPECT_FALSE(readWholeFile(dir.path, bytes));  // a folder is no file
  // Far larger than any data file: refused before anything is parsed.
  ASSERT_TRUE(writeWholeFile(dir / "big.dat", std::string(kMaxDataFileBytes + 1, ',')));
  EXPECT_FALSE(readWholeFile(dir / "big.dat", bytes));
  EXPECT_EQ(bytes, "untouched");
  ASSERT_TRUE(writeWholeFile(dir / "big.dat", std::string(kMaxDataFileBytes, ',')));
  EXPECT_TRUE(readWholeFile(dir / "big.dat", bytes));
}

// Only decimal numbers, blanks around allowed.
TEST(FieldFile, NumbersAreDecimalOnly) {
  const struct {
    const char* text;
    bool ok;
    double value;
  } rows[] = {{" 58 ", true, 58}, {"-4", true, -4}, {"2.5", true, 2.5}, {"", false, 0},
              {"12x", false, 0},  {".", false, 0},  {"2,5", false, 0}};
  for (const auto& r : rows) {
    double v = -999;
    EXPECT_EQ(parseNumber(r.text, v), r.ok) << r.text;
    if (r.ok) {
      EXPECT_DOUBLE_EQ(v, r.value) << r.text;
    }
  }
}

// What the value checks of every settings file accept: a port 1..65535, keepable text
// of at most 8 bytes. A refused port leaves the setting alone.
TEST(SettingValues, AreTakenOnlyWhenTheyMakeSense) {
  const struct {
    std::string text;
    bool port, plain;
  } rows[] = {{"1", true, true},        {"65535", true, true},   {"0", false, true},     {"65536", false, true},
              {"80.5", false, true},    {"", false, true},       {"nan", false, true},   {"123456789", false, false},
              {"a\"b", false, false},   {"a\nb", false, false}};
  for (const auto& r : rows) {
    int port = -1;
    EXPECT_EQ(portSetting(r.text, port), r.port) << r.text;
    EXPECT_EQ(port != -1, r.port) << r.text;
    EXPECT_EQ(plainSetting(r.text, 8), r.plain) << r.text;
  }
}

// A file of this version read back whole; one from another version (an unknown key, a
// value that makes no sense, a key left without its value) keeps the defaults for those.
TEST(SettingsFile, KeepsWhatItCanAndDefaultsTheRest) {
  test::TempFolder dir;
  ReceiverSettings s;
  s.kind = ReceiverKind::Kiwi;
  s.bands = {1, 3};
  s.kiwiHost = "kiwi.example.org";
  s.kiwiPort = 8074;
  s.gainDb = 30;
  ASSERT_TRUE(kReceiverSettingsFile.save(dir.path, s));
  EXPECT_EQ(kReceiverSettingsFile.load(dir.path), s);
  EXPECT_EQ(kReceiverSettingsFile.load(dir / "missing"), ReceiverSettings{});

  const std::string odd = SettingsWriter()
                              .text("Colour", "red")
                              .text("KiwiPort", "70000")
                              .text("Rate", "1e9")
                              .flag("DirectSampling", true)
                              .result() +
                          "\"KiwiHost\"\r\n";
  ReceiverSettings expected;
  expected.directSampling = true;
  EXPECT_EQ(parseReceiverSettings(odd), expected);
}

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

// The default beacon file one field to a line, with its last `dropped` fields removed, or
// one record repeated.
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
              {"BeaconData.dat", beaconFields(0), callsign18, "YV5B"},
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
    EXPECT_EQ(n[0].text, "The data file is corrupt, Harkola will now create a new default file");
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

// No zero-byte padding; the beacon note is open to the line end, as the old default was.
TEST(DefaultFiles, NoPaddingAndTheBeaconNoteOpenToTheLineEnd) {
  for (std::string_view f : {defaultBeaconData(), defaultHomeData(), defaultRigData(kRigKenwood),
                             defaultRigData(kRigIcom), defaultRigData(kRigYaesu), defaultChartSample()}) {
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f.find('\0'), std::string_view::npos);
  }
  EXPECT_TRUE(defaultRigData(999).empty());  // no such maker
  const auto l = lines(defaultBeaconData());
  ASSERT_EQ(l.size(), 18u);
  for (const auto& line : l) EXPECT_TRUE(line.ends_with(",\"Default data - November 2000")) << line;
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

// The table every user of the default data sees: London (52 25 N, 0 2 W) in miles,
// beacons 1..18 as {distance, azimuth}; then in kilometres, and home on a beacon.
TEST(DistAz, DefaultDataMatchesThePublishedTableInMilesAndKilometres) {
  const std::pair<long, int> table[] = {{3432, 287}, {2617, 343}, {5316, 316},  {7133, 339}, {11597, 16},
                                        {8992, 92},  {5877, 34},  {3182, 52},   {5929, 57},  {5401, 93},
                                        {5660, 154}, {4503, 135}, {2226, 115},  {1065, 48},  {1593, 218},
                                        {6949, 225}, {6328, 252}, {4665, 257}};
  PublicDecs d = test::shippedDecs();
  for (int b = 1; b <= 18; ++b)
    EXPECT_EQ(std::pair(d.DistAzTable[b].distance, d.DistAzTable[b].azimuth), table[b - 1]) << "beacon " << b;

  d.Home.fields[8] = "Km";
  computeDistAzTable(d);
  // New York is 3432 miles: 3432 / 0.62 = 5535.5 up to 3433 / 0.62 = 5537.1 km.
  EXPECT_GE(d.DistAzTable[1].distance, 5535);
  EXPECT_LE(d.DistAzTable[1].distance, 5537);

  // Home placed exactly on beacon 14 (Finland, 60 32 N, 24 6 E).
  d.Home.fields = {"", "Espoo", "60", "32", "North", "24", "6", "East", "Km", ""};
  computeDistAzTable(d);
  EXPECT_EQ(d.DistAzTable[14].distance, 0);
  EXPECT_EQ(d.DistAzTable[14].azimuth, 0);
}

double deg(double d) { return angleFromParts(d, 0, false); }

// One degree of arc is 6367 x (22/7) / 180 = 111.17 km on this model, so 9 degrees
// north is 1000.6 km and shows as 1000 (rounded down, not to the nearest). A bearing of
// a true quarter pi (0.7853982 rad) converts with 22/7 to 44.98 degrees and shows as 44.
TEST(DistAz, DistanceAndAzimuthOfKnownPaths) {
  const struct {
    Position home, beacon;
    long distance;
    int azimuth;
  } rows[] = {{{deg(40), deg(10)}, {deg(50), deg(10)}, 1111, 0}, {{deg(40), deg(10)}, {deg(30), deg(10)}, 1111, 180},
              {{0, 0}, {0, 0}, 0, 0},                         {{0, 0}, {0, deg(-30)}, 3335, 270},
              {{0, 0}, {deg(9), 0}, 1000, 0},                 {{0, 0}, {deg(0.01), deg(0.01)}, 1, 44}};
  for (const auto& r : rows) {
    const DistAz got = distanceAzimuth(r.home, r.beacon, false);
    EXPECT_EQ(std::pair(got.distance, got.azimuth), std::pair(r.distance, r.azimuth)) << r.distance;
  }
}

TEST(DistAz, NoNaNAnywhereOnAGrid) {
  for (int lat1 = -90; lat1 <= 90; lat1 += 15)
    for (int lon2 = -180; lon2 <= 180; lon2 += 15)
      for (int lat2 = -90; lat2 <= 90; lat2 += 15) {
        const DistAz r = distanceAzimuth({deg(lat1), 0}, {deg(lat2), deg(lon2)}, false);
        ASSERT_TRUE(r.distance >= 0 && r.distance <= 20012) << lat1 << " " << lat2 << " " << lon2;
        ASSERT_TRUE(r.azimuth >= 0 && r.azimuth <= 359) << lat1 << " " << lat2 << " " << lon2;
      }
}


TEST(EditRules, AngleBoxesTakeNumbersInRange) {
  const struct {
    AngleField kind;
    const char* text;
    bool accepted;
  } rows[] = {{AngleField::LatitudeDegrees, "0", true},      {AngleField::LatitudeDegrees, "90", true},
              {AngleField::LatitudeDegrees, "90.5", false},  {AngleField::LatitudeDegrees, "95", false},
              {AngleField::LongitudeDegrees, "180", true},   {AngleField::LongitudeDegrees, "181", false},
              {AngleField::LongitudeDegrees, "179.5", true}, {AngleField::LongitudeDegrees, "-", false},
              {AngleField::LatitudeDegrees, "4O", false},    {AngleField::Minutes, "59.1", false}};
  for (const auto& r : rows) EXPECT_EQ(acceptsAngle(r.text, r.kind), r.accepted) << r.text;
}

// Only positions on the globe can be saved.
TEST(EditRules, PositionProblems) {
  const std::pair<PositionEntry, const char*> rows[] = {
      {{"51", "30", "0", "7"}, ""},
      {{"90", "0", "0", "0"}, ""},
      {{"90", "1", "0", "0"}, "At 90 degrees latitude the minutes must be 0"},
      {{"95", "0", "0", "0"}, "Value must be between 0 and 90 degrees"},
      {{"0", "0", "180", "0"}, ""},
      {{"0", "0", "180", "30"}, "At 180 degrees longitude the minutes must be 0"},
      {{"0", "0", "200", "0"}, "Value must be between 0 and 180 degrees"},
      {{"10", "", "0", "0"}, "Value must be between 0 and 59 minutes"}};
  for (const auto& [entry, problem] : rows) EXPECT_EQ(positionProblem(entry).value_or(""), problem) << problem;
}

TEST(EditRules, CountryAndCallsignRules) {
  constexpr const char* kCallChars = "A callsign can hold only letters, digits and \"/\"";
  const struct {
    const char *country, *callsign, *problem;
  } rows[] = {{"Canada", "VE8AT", ""},
              {"Peru", "OA4B/P", ""},
              {"Peru", "oa4b", ""},
              {"", "VE8AT", "The country cannot be empty"},
              {"   ", "VE8AT", "The country cannot be empty"},
              {"Canada", "", "The callsign cannot be empty"},
              {"Canada", "VE8 AT", kCallChars},
              {"Canada", "VE8-AT", kCallChars},
              {"Canada", "VE\xC3\x89", kCallChars}};
  for (const auto& r : rows)
    EXPECT_EQ(beaconNameProblem(r.country, r.callsign).value_or(""), r.problem) << r.country << "/" << r.callsign;
}

TEST(EditRules, DoubleQuotesAndLineBreaksCannotBeStored) {
  bool quote = true;
  EXPECT_EQ(storableText("New York", quote), "New York");
  EXPECT_FALSE(quote);
  EXPECT_EQ(storableText("The \"Big\" Apple", quote), "The Big Apple");
  EXPECT_TRUE(quote);
  EXPECT_EQ(storableText("two\r\nlines", quote), "twolines");
}

TEST(EditFiles, RewrittenFilesReadBackUnchanged) {
  HomeRecord home;
  home.fields = {"", "Ham Shack, Kent", "51", "20", "North", "1", "5", "East", "Km", kCustomisedNote};
  EXPECT_EQ(parseHome(formatHomeFile(home)).value().fields, home.fields);

  auto table = parseBeacons(defaultBeaconData());
  ASSERT_TRUE(table);
  (*table)[5][2] = "Chatham, NZ";
  (*table)[5][3] = "";  // an emptied box still counts as a field
  (*table)[5][4] = " Off air ";
  const std::string text = formatBeaconFile(*table);
  EXPECT_EQ(parseBeacons(text), table);
  // The old default left the closing quote off the last field; a rewrite has it.
  EXPECT_NE(text.find("\"Default data - November 2000\"\r\n"), std::string::npos);
}

TEST(EditFiles, AFailedSaveLeavesTheOldFileWhole) {
  test::TempFolder dir;
  writeDefaultBeaconData(dir.path);
  writeDefaultHomeData(dir.path);
  // A directory where the new file would be written makes the write fail.
  std::filesystem::create_directory(dir / "BeaconData.dat.new");
  std::filesystem::create_directory(dir / "HomeData.dat.new");

  EXPECT_FALSE(saveBeaconFile(dir.path, BeaconGrid{}));
  EXPECT_FALSE(saveHomeFile(dir.path, HomeRecord{}));
  EXPECT_FALSE(saveHomeFile(dir / "missing", HomeRecord{}));
  EXPECT_EQ(test::fileText(dir / kBeaconDataFile), defaultBeaconData());
  EXPECT_EQ(test::fileText(dir / kHomeDataFile), defaultHomeData());
}

// The editors' forms put every box back into its own field, and read the hemisphere
// and unit words as the rest of the program does.
TEST(EditForms, BeaconAndHomeRoundTripAndUnknownWords) {
  BeaconGrid table = parseBeacons(defaultBeaconData()).value();
  BeaconForm f = beaconForm(table, 4);
  EXPECT_EQ(f.callsign, "KH6WO");
  f.status[4] = "Off air";
  f.latDeg = "60";
  f.west = true;
  storeBeaconForm(f, table, 4);
  const BeaconForm back = beaconForm(table, 4);
  EXPECT_EQ(std::tuple(back.status, back.latDeg, back.west, back.south, back.note),
            std::tuple(f.status, "60", true, false, kCustomisedNote));
  EXPECT_EQ(Beacons(table).status(4, 4), "Off air");
  EXPECT_LT(Beacons(table).position(4).longitude, 0);

  table[4][beacon_field::kNorthSouth] = "Nord";  // neither word: north, as positions take it
  EXPECT_FALSE(beaconForm(table, 4).south);
  EXPECT_GT(Beacons(table).position(4).latitude, 0);
  EXPECT_EQ(beaconFormProblem(BeaconForm{}).value_or(""), "The country cannot be empty");

  HomeRecord home;
  home.fields = {"", "Shack", "51", "20", "South", "1", "5", "West", "Miles", "note"};
  const HomeForm h = homeForm(home);
  EXPECT_TRUE(h.south && h.west && h.miles);
  HomeRecord saved = homeRecordOf(h);
  home.fields[9] = kCustomisedNote;
  EXPECT_EQ(saved.fields, home.fields);
  home.fields[8] = "miles";
  EXPECT_FALSE(homeForm(home).miles);
}

TEST(Locator, OfAPositionIsTheSquareThatHoldsIt) {
  const struct {
    double latitude, longitude;
    const char* locator;  // "" for none
  } rows[] = {{-90.0, -180.0, "AA00aa"}, {90.0, 179.999, "RR99xx"},  // the north pole is the top row
              // 52 deg 25 min: exactly on a subsquare edge, which belongs to the square above
              {52.0 + 25.0 / 60.0, -2.0 / 60.0, "IO92xk"},
              {-41.05, 175.6, "RE78tw"},  {10.0, 200.0, "BK00aa"},   // longitude beyond 180 wraps
              {90.5, 0.0, ""},            {-91.0, 0.0, ""},          {NAN, 0.0, ""}};
  for (const auto& r : rows) EXPECT_EQ(locatorFromPosition(r.latitude, r.longitude), r.locator) << r.locator;
}

TEST(Locator, OnlyFourOrSixCharacterLocatorsAreRead) {
  for (const char* good : {"IO91", " io91WM "}) EXPECT_TRUE(locatorCentre(good)) << good;
  for (const char* bad : {"IO91w", "SS00", "IO9A", "IO91wy", "IO91\"m"}) EXPECT_FALSE(locatorCentre(bad)) << bad;
}

TEST(Locator, DegreesAndMinutesRoundToTheNearestMinuteWithCarry) {
  const DegMin carry = toDegMin(-(59.6 / 60.0));
  EXPECT_EQ(carry.degrees, 1);
  EXPECT_EQ(carry.minutes, 0);
  EXPECT_TRUE(carry.negative);
  EXPECT_FALSE(toDegMin(-0.001).negative);  // rounds to 0: no "0 0 South"
  EXPECT_EQ(locatorOfParts("abc", "0", false, "0", "0", false), "");
}

// What the home editor does: locator -> whole degrees and minutes -> locator.
TEST(Locator, RoundTripThroughTheDataFileFields) {
  for (const char* locator : {"IO91wm", "JJ00aa", "AA00aa", "RR99xx", "QF56od"}) {
    const auto p = positionOfLocator(locator);
    ASSERT_TRUE(p) << locator;
    EXPECT_EQ(locatorOfParts(p->latDeg, p->latMin, p->northSouth == "South", p->lonDeg, p->lonMin,
                             p->westEast == "West"),
              locator);
  }
}

}  // namespace
}  // namespace harkola
