#include "app/RegistryReader.h"

namespace harkola {

namespace {

// Closes the key however GetKeyValue leaves.
class OpenKey {
 public:
  OpenKey(RegistryApi& registry, RegistryApi::Key key) : m_registry(registry), m_key(key) {}
  ~OpenKey() { m_registry.closeKey(m_key); }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;

 private:
  RegistryApi& m_registry;
  RegistryApi::Key m_key;
};

std::string dwordText(const std::vector<unsigned char>& data) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text = "&h";
  for (auto it = data.rbegin(); it != data.rend(); ++it) {
    text += digits[*it >> 4];
    text += digits[*it & 0x0F];
  }
  return text;
}

}  // namespace

KeyValue GetKeyValue(RegistryApi& registry, RegistryRoot root, const std::string& keyName,
                     const std::string& valueName) {
  RegistryApi::Key key = 0;
  if (!registry.openKey(root, keyName, kRegistryKeyAllAccess, key)) return {};
  OpenKey closer(registry, key);

  std::uint32_t type = 0;
  std::vector<unsigned char> data;
  if (!registry.queryValue(key, valueName, type, data, kRegistryBufferSize)) return {};
  if (data.size() > kRegistryBufferSize) data.resize(kRegistryBufferSize);

  KeyValue result;
  result.found = true;
  if (type == kRegistryString) {
    std::size_t length = data.size();
    if (length > 0 && data[length - 1] == 0) --length;
    result.text.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
  } else if (type == kRegistryDWord) {
    result.text = dwordText(data);
  }
  return result;
}

std::optional<std::string> findSystemInfoTool(
    RegistryApi& registry, const std::function<bool(const std::string&)>& fileExists) {
  KeyValue path = GetKeyValue(registry, RegistryRoot::LocalMachine,
                              "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH");
  if (path.found && !path.text.empty()) return path.text;

  KeyValue folder = GetKeyValue(registry, RegistryRoot::LocalMachine,
                                "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO");
  if (folder.found && !folder.text.empty()) {
    std::string candidate = folder.text + "\\MSINFO32.EXE";
    if (fileExists(candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace harkola
