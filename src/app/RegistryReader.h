#pragma once
// Read access to a settings registry with keys, named values and typed raw data, the
// way the about box looks for the system-information tool. The raw access sits behind
// RegistryApi so that the formatting of GetKeyValue can be checked with a fake; this
// platform has no registry, so the real implementation (NoRegistry) opens no key.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace harkola {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

// Value types as the registry numbers them; only these two are turned into text.
constexpr std::uint32_t kRegistryString = 1;
constexpr std::uint32_t kRegistryDWord = 4;

// Access mask the key is opened with (read, write and enumerate: all access).
constexpr std::uint32_t kRegistryKeyAllAccess = 0x2003F;
// The value is read into a buffer of this many characters; a longer value cannot be read.
constexpr std::size_t kRegistryBufferSize = 1024;

class RegistryApi {
 public:
  using Key = std::uintptr_t;
  virtual ~RegistryApi() = default;
  // Opens `keyName` below `root`; false when there is no such key or access is refused.
  virtual bool openKey(RegistryRoot root, const std::string& keyName, std::uint32_t access,
                       Key& key) = 0;
  // Reads value `valueName` of an open key: its type and at most `capacity` bytes of its
  // data. False when the value is missing or does not fit.
  virtual bool queryValue(Key key, const std::string& valueName, std::uint32_t& type,
                          std::vector<unsigned char>& data, std::size_t capacity) = 0;
  // Every key that openKey returned is closed exactly once.
  virtual void closeKey(Key key) = 0;
};

// The registry of a system that has none: every key is missing.
class NoRegistry : public RegistryApi {
 public:
  bool openKey(RegistryRoot, const std::string&, std::uint32_t, Key&) override { return false; }
  bool queryValue(Key, const std::string&, std::uint32_t&, std::vector<unsigned char>&,
                  std::size_t) override {
    return false;
  }
  void closeKey(Key) override {}
};

struct KeyValue {
  bool found = false;
  std::string text;  // empty unless found
};

// Reads one value as text. A string value keeps its returned length, less one character
// when the last returned character is a terminating zero. A double-word value becomes
// "&h" followed by its bytes from the last to the first, two hex digits each
// ("&h0000012C" for 300). Other types give an empty text with found = true. The key is
// closed on every path; found = false with an empty text when the key cannot be opened
// or the value cannot be read.
KeyValue GetKeyValue(RegistryApi& registry, RegistryRoot root, const std::string& keyName,
                     const std::string& valueName);

// Where the system-information tool lives: the "PATH" value under
// "SOFTWARE\Microsoft\Shared Tools\MSINFO", else the folder in the "MSINFO" value under
// "SOFTWARE\Microsoft\Shared Tools Location" with "\MSINFO32.EXE" appended when that
// file exists (both in the machine hive). nullopt when neither leads to a tool.
std::optional<std::string> findSystemInfoTool(
    RegistryApi& registry, const std::function<bool(const std::string&)>& fileExists);

}  // namespace harkola
