#include "data/StartupChecks.h"

#include <cmath>
#include <optional>
#include <system_error>

#include "data/ArrayCalcsModule.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"

namespace fs = std::filesystem;

namespace harkola {
namespace {

bool canRead(const fs::path& path) {
  std::string bytes;
  return readWholeFile(path, bytes);
}

Notice corruptNotice() {
  return Notice{kCorruptDataMessage, kAppTitle, NoticeIcon::Exclamation, NoticeButtons::Ok};
}

bool isNumber(const std::string& field) {
  double unused = 0;
  return parseNumber(field, unused);
}

}  // namespace

// The home record, or nothing when the text is not exactly one sound record.
std::optional<HomeRecord> parseHome(std::string_view text) {
  const std::vector<std::string> fields = readFields(text);
  if (fields.size() != static_cast<std::size_t>(kHomeFieldCount)) return std::nullopt;
  HomeRecord home;
  for (int i = 1; i <= kHomeFieldCount; ++i) home.fields[i] = fields[i - 1];
  for (int i : {2, 3, 5, 6})
    if (!isNumber(home.fields[i])) return std::nullopt;
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
    for (int col : {9, 10, 12, 13})
      if (!isNumber(grid[row][col])) return std::nullopt;
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

Notices loadHomeAndBeacons(PublicDecs& d) {
  Notices notices;
  const fs::path folder = d.DataFolder;

  std::string text;
  std::optional<HomeRecord> home;
  if (readWholeFile(folder / kHomeDataFile, text)) home = parseHome(text);
  if (!home) {
    notices.push_back(corruptNotice());
    notices.push_back(writeDefaultHomeData(folder));
    // Loaded from the built-in bytes, which are what was just written: the program
    // keeps working even when the folder refused the write.
    home = parseHome(defaultHomeData());
  }

  std::optional<BeaconGrid> beacons;
  if (readWholeFile(folder / kBeaconDataFile, text)) beacons = parseBeacons(text);
  if (!beacons) {
    notices.push_back(corruptNotice());
    notices.push_back(writeDefaultBeaconData(folder));
    beacons = parseBeacons(defaultBeaconData());
  }

  if (home) d.Home = *home;
  if (beacons) d.BeaconTable = *beacons;
  computeDistAzTable(d);
  return notices;
}

}  // namespace harkola
