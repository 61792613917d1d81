#pragma once
// The small settings files kept beside the data files (Network.dat, Receiver.dat,
// RigLink.dat): lines of "key","value" in the data files' format. A file is read key by
// key, so a missing file, a missing key or a value that makes no sense leaves that
// setting at its default and an unknown key is ignored: files written by older or newer
// versions still load.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace harkola {

// The key/value pairs of a file's text, in order; a last key without a value is dropped.
std::vector<std::pair<std::string, std::string>> readSettingPairs(std::string_view text);

// A file's text, built a setting at a time in the order the file keeps them.
class SettingsWriter {
 public:
  SettingsWriter& text(const std::string& key, const std::string& value);
  SettingsWriter& flag(const std::string& key, bool value);  // "True" or "False"
  const std::string& result() const { return m_out; }

 private:
  std::string m_out;
};

// Values as the files hold them. A flag is on only when it reads "True".
inline bool flagSetting(std::string_view value) { return value == "True"; }
// Text a file can keep: at most `most` bytes, no double quote (it would end the field)
// and no control character (a line end would split the record).
bool plainSetting(std::string_view value, std::size_t most);
// A number from `lo` to `hi`, written as the data files write numbers.
bool numberSetting(std::string_view value, double lo, double hi, double& out);
// A TCP port: a whole number from 1 to 65535.
bool portSetting(std::string_view value, int& out);

// Reads and writes a whole settings file of type T in a data folder. `ownerOnly` files
// (one holding a password) are readable by their owner only, from the moment they are
// created.
bool readSettingsText(const std::filesystem::path& path, std::string& text);
bool writeSettingsText(const std::filesystem::path& path, std::string_view text, bool ownerOnly);

template <class T>
struct SettingsFile {
  const char* name;
  T (*parse)(std::string_view text);
  std::string (*format)(const T& settings);
  bool ownerOnly = false;

  std::filesystem::path path(const std::filesystem::path& dataFolder) const { return dataFolder / name; }
  // The defaults when the file is missing or unreadable.
  T load(const std::filesystem::path& dataFolder) const {
    std::string text;
    return readSettingsText(path(dataFolder), text) ? parse(text) : T{};
  }
  bool save(const std::filesystem::path& dataFolder, const T& settings) const {
    return writeSettingsText(path(dataFolder), format(settings), ownerOnly);
  }
};

}  // namespace harkola
