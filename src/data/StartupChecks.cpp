#include "data/StartupChecks.h"

#include <cmath>
#include <fstream>
#include <optional>
#include <system_error>

#include "data/ArrayCalcsModule.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"

namespace fs = std::filesystem;

namespace harkola {
namespace {

// A file that is there to be read; whether its content is usable is the loader's
// question (an oversized or damaged file gets the corrupt-file notice there).
bool canRead(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec) && std::ifstream(path, std::ios::binary).good();
}

Notice corruptNotice() {
  return Notice{kCorruptDataMessage, kAppTitle, NoticeIcon::Exclamation, NoticeButtons::Ok};
}

// Positions are stored as degrees and minutes. Values beyond a full turn (or a whole
// degree of minutes) are damage, not places: they would overflow the distance.
enum class Part { Degrees, Minutes };
bool isAnglePart(const std::string& field, Part part) {
  double v = 0;
  if (!parseNumber(field, v)) return false;
  const double limit = part == Part::Degrees ? 360.0 : 60.0;
  return v >= -limit && v <= limit;
}

}  // namespace

// The home record, or nothing when the text is not exactly one sound record.
std::optional<HomeRecord> parseHome(std::string_view text) {
  const std::vector<std::string> fields = readFields(text);
  if (fields.size() != static_cast<std::size_t>(kHomeFieldCount)) return std::nullopt;
  HomeRecord home;
  for (int i = 1; i <= kHomeFieldCount; ++i) home.fields[i] = fields[i - 1];
  for (int i : {2, 5})
    if (!isAnglePart(home.fields[i], Part::Degrees)) return std::nullopt;
  for (int i : {3, 6})
    if (!isAnglePart(home.fields[i], Part::Minutes)) return std::nullopt;
  return home;
}

// Rows 1..18 of the beacon table, or nothing unless the text holds exactly 18 full
// records with numeric position fields.
std::optional<BeaconGrid> parseBeacons(std::string_view text) {
  const std::vector<std::string> fields = readFields(text);
  if (fields.size() != static_cast<std::size_t>(kBeaconCount * kBeaconFieldCount))
    return std::nullopt;
  BeaconGrid grid{};
  std::size_t k = 0;
  for (int row = 1; row <= kBeaconCount; ++row) {
    for (int col = 1; col <= kBeaconFieldCount; ++col) grid[row][col] = fields[k++];
    for (int col : {9, 12})
      if (!isAnglePart(grid[row][col], Part::Degrees)) return std::nullopt;
    for (int col : {10, 13})
      if (!isAnglePart(grid[row][col], Part::Minutes)) return std::nullopt;
  }
  return grid;
}

Notices runStartupChecks(const fs::path& dataFolder, const fs::path& logFolder) {
  Notices notices;
  if (!canRead(dataFolder / kHomeDataFile)) notices.push_back(writeDefaultHomeData(dataFolder));
  if (!canRead(dataFolder / kBeaconDataFile))
    notices.push_back(writeDefaultBeaconData(dataFolder));

  std::error_code ec;
  bool haveLogFolder = fs::is_directory(logFolder, ec);
  if (!haveLogFolder) {
    haveLogFolder = fs::create_directories(logFolder, ec) || fs::is_directory(logFolder, ec);
    if (haveLogFolder) {
      notices.push_back(Notice{"A folder " + logFolder.string() +
                                   " has been created for your log files.  This version does "
                                   "not allow choice of log folder name or log filename.",
                               kAppTitle, NoticeIcon::Information, NoticeButtons::Ok});
    } else {
      notices.push_back(Notice{"The folder " + logFolder.string() +
                                   " for your log files could not be created.",
                               kAppTitle, NoticeIcon::Critical, NoticeButtons::Ok});
    }
  }

  // The rig file is only usable as exactly 22 label/value pairs; anything else is
  // replaced by the Kenwood set without asking.
  std::string rig;
  if (!readWholeFile(dataFolder / kRigDataFile, rig) ||
      readFields(rig).size() != static_cast<std::size_t>(2 * kRigRowCount)) {
    notices.push_back(WriteDefaultRigData(dataFolder, kRigKenwood));
  }

  if (haveLogFolder && !canRead(logFolder / kChartSampleFile))
    notices.push_back(writeChartSample(logFolder));
  return notices;
}

namespace {

// A data file read and parsed, or, when it cannot be, replaced by its built-in default
// (with the corrupt-file notice and the written one) and the default loaded from the
// built-in bytes, which are what was just written: the program keeps working even when
// the folder refused the write.
template <class Record, class Parse>
Record loadOrDefault(const fs::path& file, Parse parse, std::string_view builtIn,
                     Notice (*writeDefault)(const fs::path&), Notices& notices) {
  std::string text;
  std::optional<Record> r;
  if (readWholeFile(file, text)) r = parse(text);
  if (r) return *r;
  notices.push_back(corruptNotice());
  notices.push_back(writeDefault(file.parent_path()));
  return parse(builtIn).value();
}

}  // namespace

Notices loadHomeAndBeacons(PublicDecs& d) {
  Notices notices;
  const fs::path folder = d.DataFolder;
  d.Home = loadOrDefault<HomeRecord>(folder / kHomeDataFile, parseHome, defaultHomeData(), writeDefaultHomeData,
                                     notices);
  d.BeaconTable = loadOrDefault<BeaconGrid>(folder / kBeaconDataFile, parseBeacons, defaultBeaconData(),
                                            writeDefaultBeaconData, notices);
  computeDistAzTable(d);
  return notices;
}

}  // namespace harkola
