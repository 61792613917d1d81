// GetKeyValue's text formatting and key handling, and the search for the
// system-information tool, against an in-memory registry.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/RegistryReader.h"

namespace harkola {
namespace {

struct FakeValue {
  std::uint32_t type;
  std::vector<unsigned char> data;
};

class FakeRegistry : public RegistryApi {
 public:
  std::map<std::string, std::map<std::string, FakeValue>> keys;  // "root|key" -> values
  int opens = 0;
  int closes = 0;
  std::uint32_t lastAccess = 0;

  static std::string id(RegistryRoot root, const std::string& key) {
    return std::to_string(static_cast<int>(root)) + "|" + key;
  }
  void set(const std::string& key, const std::string& value, FakeValue v) {
    keys[id(RegistryRoot::LocalMachine, key)][value] = std::move(v);
  }

  bool openKey(RegistryRoot root, const std::string& keyName, std::uint32_t access,
               Key& key) override {
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

std::vector<unsigned char> bytes(const std::string& s, bool zero) {
  std::vector<unsigned char> b(s.begin(), s.end());
  if (zero) b.push_back(0);
  return b;
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
    ::testing::Values(
        FormatCase{"StringDropsTerminatingZero", {1, bytes("C:\\Tools\\msinfo.exe", true)},
                   "C:\\Tools\\msinfo.exe"},
        FormatCase{"OnlyOneZeroDropped", {1, {'a', 'b', 0, 0}}, std::string("ab\0", 3)},
        FormatCase{"LoneZeroIsEmpty", {1, {0}}, ""},
        FormatCase{"DWordLastByteFirst", {4, {0x2C, 0x01, 0x00, 0x00}}, "&h0000012C"},
        FormatCase{"DWordAllBitsSet", {4, {0xFF, 0xFF, 0xFF, 0xFF}}, "&hFFFFFFFF"},
        FormatCase{"OtherTypeEmpty", {3, {1, 2, 3}}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetKeyValue, FailsEmptyWhenKeyOrValueMissingAndClosesWhatItOpened) {
  FakeRegistry reg;
  reg.set("K", "V", {1, bytes("x", true)});
  reg.set("K", "Fits", {1, std::vector<unsigned char>(1024, 'a')});
  reg.set("K", "TooLong", {1, std::vector<unsigned char>(1025, 'a')});
  auto none = [&](const char* key, const char* value) {
    const KeyValue kv = GetKeyValue(reg, RegistryRoot::LocalMachine, key, value);
    return !kv.found && kv.text.empty();
  };
  EXPECT_TRUE(none("Other", "V"));
  EXPECT_EQ(reg.opens, 0);
  EXPECT_TRUE(none("K", "W"));
  EXPECT_FALSE(GetKeyValue(reg, RegistryRoot::CurrentUser, "K", "V").found);
  EXPECT_EQ(GetKeyValue(reg, RegistryRoot::LocalMachine, "K", "Fits").text.size(), 1024u);
  EXPECT_FALSE(GetKeyValue(reg, RegistryRoot::LocalMachine, "K", "TooLong").found);
  EXPECT_EQ(reg.opens, 3);
  EXPECT_EQ(reg.closes, 3);
}

const char* const kMsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char* const kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

TEST(FindSystemInfoTool, PrefersThePathValueThenAnExistingToolInTheFolder) {
  FakeRegistry reg;
  reg.set(kLocationKey, "MSINFO", {1, bytes("C:\\B", true)});
  std::set<std::string> files{"C:\\B\\MSINFO32.EXE"};
  auto exists = [&](const std::string& p) { return files.count(p) > 0; };
  EXPECT_EQ(findSystemInfoTool(reg, exists), "C:\\B\\MSINFO32.EXE");
  files.clear();
  EXPECT_FALSE(findSystemInfoTool(reg, exists));

  reg.set(kMsinfoKey, "PATH", {1, bytes("C:\\A\\msinfo32.exe", true)});
  files = {"C:\\A\\msinfo32.exe", "C:\\B\\MSINFO32.EXE"};
  EXPECT_EQ(findSystemInfoTool(reg, exists), "C:\\A\\msinfo32.exe");
  NoRegistry none;
  EXPECT_FALSE(findSystemInfoTool(none, [](const std::string&) { return true; }));
}

}  // namespace
}  // namespace harkola
