// GetKeyValue's text formatting and key handling, the search for the system-information
// tool, and the About box's System Info button, against an in-memory registry.
#include <gtest/gtest.h>

#include <QPushButton>
#include <map>
#include <set>

#include "app/RegistryReader.h"
#include "app/frmAbout.h"
#include "support/ScriptedDialogs.h"

namespace harkola {
namespace {

struct FakeValue {
  std::uint32_t type;
  std::vector<unsigned char> data;
};

class FakeRegistry : public RegistryApi {
 public:
  std::map<std::string, std::map<std::string, FakeValue>> keys;  // "root|key" -> values
  int opens = 0, closes = 0;
  std::uint32_t lastAccess = 0;

  static std::string id(RegistryRoot root, const std::string& key) {
    return std::to_string(static_cast<int>(root)) + "|" + key;
  }
  void set(const std::string& key, const std::string& value, FakeValue v) {
    keys[id(RegistryRoot::LocalMachine, key)][value] = std::move(v);
  }
  bool openKey(RegistryRoot root, const std::string& keyName, std::uint32_t access, Key& key) override {
    lastAccess = access;
    auto it = keys.find(id(root, keyName));
    if (it == keys.end()) return false;
    ++opens;
    key = reinterpret_cast<Key>(&it->second);
    return true;
  }
  bool queryValue(Key key, const std::string& valueName, std::uint32_t& type,
                  std::vector<unsigned char>& data, std::size_t capacity) override {
    auto& values = *reinterpret_cast<std::map<std::string, FakeValue>*>(key);
    auto it = values.find(valueName);
    if (it == values.end() || it->second.data.size() > capacity) return false;
    type = it->second.type;
    data = it->second.data;
    return true;
  }
  void closeKey(Key) override { ++closes; }
};

// A registry string: the text and its terminating zero.
FakeValue str(const std::string& s) {
  std::vector<unsigned char> b(s.begin(), s.end());
  b.push_back(0);
  return {kRegistryString, b};
}

struct FormatCase {
  const char* name;
  FakeValue value;
  std::string expected;
};

class GetKeyValueFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(GetKeyValueFormat, TurnsRawValueIntoText) {
  FakeRegistry reg;
  reg.set("SOFTWARE\\Test", "V", GetParam().value);
  KeyValue kv = GetKeyValue(reg, RegistryRoot::LocalMachine, "SOFTWARE\\Test", "V");
  EXPECT_TRUE(kv.found);
  EXPECT_EQ(kv.text, GetParam().expected);
  EXPECT_EQ(reg.lastAccess, 0x2003Fu);
  EXPECT_EQ(reg.opens, reg.closes);
}

INSTANTIATE_TEST_SUITE_P(
    Values, GetKeyValueFormat,
    ::testing::Values(FormatCase{"StringDropsTerminatingZero", str("C:\\Tools\\msinfo.exe"), "C:\\Tools\\msinfo.exe"},
                      FormatCase{"OnlyOneZeroDropped", {1, {'a', 'b', 0, 0}}, std::string("ab\0", 3)},
                      FormatCase{"LoneZeroIsEmpty", {1, {0}}, ""},
                      FormatCase{"DWordLastByteFirst", {4, {0x2C, 0x01, 0x00, 0x00}}, "&h0000012C"},
                      FormatCase{"DWordAllBitsSet", {4, {0xFF, 0xFF, 0xFF, 0xFF}}, "&hFFFFFFFF"},
                      FormatCase{"OtherTypeEmpty", {3, {1, 2, 3}}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetKeyValue, FailsEmptyWhenKeyOrValueMissingAndClosesWhatItOpened) {
  FakeRegistry reg;
  reg.set("K", "V", str("x"));
  reg.set("K", "Fits", {1, std::vector<unsigned char>(1024, 'a')});
  reg.set("K", "TooLong", {1, std::vector<unsigned char>(1025, 'a')});
  auto get = [&](const char* key, const char* value, RegistryRoot root = RegistryRoot::LocalMachine) {
    return GetKeyValue(reg, root, key, value);
  };
  EXPECT_FALSE(get("Other", "V").found);
  EXPECT_EQ(reg.opens, 0);
  const KeyValue missing = get("K", "W");
  EXPECT_TRUE(!missing.found && missing.text.empty());
  EXPECT_FALSE(get("K", "V", RegistryRoot::CurrentUser).found);
  EXPECT_EQ(get("K", "Fits").text.size(), 1024u);
  EXPECT_FALSE(get("K", "TooLong").found);
  EXPECT_EQ(std::pair(reg.opens, reg.closes), std::pair(3, 3));
}

const char* const kMsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char* const kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

TEST(FindSystemInfoTool, PrefersThePathValueThenAnExistingToolInTheFolder) {
  FakeRegistry reg;
  reg.set(kLocationKey, "MSINFO", str("C:\\B"));
  std::set<std::string> files{"C:\\B\\MSINFO32.EXE"};
  auto exists = [&](const std::string& p) { return files.count(p) > 0; };
  EXPECT_EQ(findSystemInfoTool(reg, exists), "C:\\B\\MSINFO32.EXE");
  files.clear();
  EXPECT_FALSE(findSystemInfoTool(reg, exists));

  reg.set(kMsinfoKey, "PATH", str("C:\\A\\msinfo32.exe"));
  files = {"C:\\A\\msinfo32.exe", "C:\\B\\MSINFO32.EXE"};
  EXPECT_EQ(findSystemInfoTool(reg, exists), "C:\\A\\msinfo32.exe");
  NoRegistry none;
  EXPECT_FALSE(findSystemInfoTool(none, [](const std::string&) { return true; }));
}

// Without a registry, or when the registered tool cannot be started, the user is told;
// otherwise the registered tool is started.
TEST(About, SystemInfoStartsTheRegisteredToolOrSaysItIsUnavailable) {
  test::ScriptedDialogs dialogs;
  frmAbout about("Harkola 5 ");
  QStringList launched;
  bool launchWorks = true;
  about.setLauncher([&](const QString& p) { return launched << p, launchWorks; });
  about.cmdSysInfo->click();
  EXPECT_TRUE(launched.isEmpty());
  const Notice unavailable{"System Information Is Unavailable At This Time", dialogs.messages.at(0).title,
                           dialogs.messages.at(0).icon, NoticeButtons::Ok};
  EXPECT_EQ(dialogs.messages, std::vector<Notice>{unavailable});

  FakeRegistry reg;
  reg.set(kMsinfoKey, "PATH", str("/tool"));
  about.setRegistry(&reg);
  about.cmdSysInfo->click();
  EXPECT_EQ(launched, QStringList{"/tool"});
  launchWorks = false;
  about.cmdSysInfo->click();
  EXPECT_EQ(dialogs.messages, (std::vector<Notice>{unavailable, unavailable}));
}

}  // namespace
}  // namespace harkola
