#include "data/SettingsFile.h"

#include <sys/stat.h>

#include <cmath>

#include "data/DataFile.h"

namespace harkola {

std::vector<std::pair<std::string, std::string>> readSettingPairs(std::string_view text) {
  std::vector<std::string> f = readFields(text);
  std::vector<std::pair<std::string, std::string>> pairs;
  pairs.reserve(f.size() / 2);
  for (std::size_t i = 0; i + 1 < f.size(); i += 2) pairs.emplace_back(std::move(f[i]), std::move(f[i + 1]));
  return pairs;
}

SettingsWriter& SettingsWriter::text(const std::string& key, const std::string& value) {
  m_out += formatRecord({key, value});
  return *this;
}

SettingsWriter& SettingsWriter::flag(const std::string& key, bool value) { return text(key, value ? "True" : "False"); }

bool plainSetting(std::string_view value, std::size_t most) {
  if (value.size() > most) return false;
  for (const char c : value)
    if (c == '"' || static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

bool numberSetting(std::string_view value, double lo, double hi, double& out) {
  double x = 0;
  if (!parseNumber(value, x) || !std::isfinite(x) || x < lo || x > hi) return false;
  out = x;
  return true;
}

bool portSetting(std::string_view value, int& out) {
  double x = 0;
  if (!numberSetting(value, 1, 65535, x) || x != std::floor(x)) return false;
  out = static_cast<int>(x);
  return true;
}

bool readSettingsText(const std::filesystem::path& path, std::string& text) { return readWholeFile(path, text); }

bool writeSettingsText(const std::filesystem::path& path, std::string_view text, bool ownerOnly) {
  if (!ownerOnly) return writeWholeFile(path, text);
  // Never readable by others, not even for a moment: the mask holds while the file is
  // created, the mode mends a file that existed before.
  const mode_t old = ::umask(077);
  const bool ok = writeWholeFile(path, text);
  ::umask(old);
  return ok && ::chmod(path.c_str(), 0600) == 0;
}

}  // namespace harkola
