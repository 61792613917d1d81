// The data files' field format, and the settings files written in it.
#include "data/DataFile.h"

#include <gtest/gtest.h>

#include "data/SettingsFile.h"
#include "receiver/ReceiverSettings.h"
#include "support/TempFolder.h"

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

}  // namespace
}  // namespace harkola
