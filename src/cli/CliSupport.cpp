#include "cli/CliSupport.h"

#include <charconv>
#include <cstdio>

namespace harkola::cli {

bool ParsedArgs::parse(const Args& args, const std::set<std::string>& withValue,
                       const std::set<std::string>& flags, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 1 && a[0] == '-') {
      if (flags.count(a)) {
        m_flags.insert(a);
      } else if (withValue.count(a)) {
        if (i + 1 >= args.size()) {
          error = "option " + a + " needs a value";
          return false;
        }
        m_values[a] = args[++i];
      } else {
        error = "unknown option " + a;
        return false;
      }
    } else {
      m_positional.push_back(a);
    }
  }
  return true;
}

std::optional<std::string> ParsedArgs::value(const std::string& name) const {
  auto it = m_values.find(name);
  if (it == m_values.end()) return std::nullopt;
  return it->second;
}

bool parseIntOption(const std::string& text, int lo, int hi, int& out) {
  int v = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  auto [p, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || p != last || first == last || v < lo || v > hi) return false;
  out = v;
  return true;
}

}  // namespace harkola::cli

#include <filesystem>

#include "data/ArrayCalcsModule.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"

namespace harkola::cli {

void loadDataReadOnly(const std::string& folder, PublicDecs& d, std::ostream* warn) {
  const std::filesystem::path dir = folder.empty() ? std::filesystem::current_path()
                                                   : std::filesystem::path(folder);
  std::error_code ec;
  const bool folderMissing = !std::filesystem::is_directory(dir, ec);
  if (folder.empty()) warn = nullptr;
  if (warn && folderMissing)
    *warn << "harkola-cli: data folder " << folder
          << " does not exist; using the built-in home and beacon data\n";
  auto defaulted = [&](const char* file) {
    if (warn && !folderMissing)
      *warn << "harkola-cli: " << (dir / file).string()
            << " is missing or unreadable; using the built-in data\n";
  };
  std::string bytes;
  std::optional<HomeRecord> home;
  if (readWholeFile(dir / kHomeDataFile, bytes)) home = parseHome(bytes);
  if (!home) defaulted(kHomeDataFile), home = parseHome(defaultHomeData());
  std::optional<BeaconGrid> beacons;
  if (readWholeFile(dir / kBeaconDataFile, bytes)) beacons = parseBeacons(bytes);
  if (!beacons) defaulted(kBeaconDataFile), beacons = parseBeacons(defaultBeaconData());
  d.DataFolder = dir.string();
  if (home) d.Home = *home;
  if (beacons) d.BeaconTable = *beacons;
  computeDistAzTable(d);
}

}  // namespace harkola::cli
