#include "data/SettingsFile.h"

#include <gtest/gtest.h>

#include "receiver/ReceiverSettings.h"
#include "support/Tables.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

// What the value checks of every settings file accept.
struct ValueCase {
  const char* name;
  std::string text;
  bool port;  // a port 1..65535
  bool plain;  // keepable text of at most 8 bytes
};

class SettingValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SettingValues, AreTakenOnlyWhenTheyMakeSense) {
  int port = -1;
  EXPECT_EQ(portSetting(GetParam().text, port), GetParam().port);
  EXPECT_EQ(port != -1, GetParam().port);  // a refused value leaves the setting alone
  EXPECT_EQ(plainSetting(GetParam().text, 8), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingValues,
    ::testing::Values(ValueCase{"LowestPort", "1", true, true}, ValueCase{"HighestPort", "65535", true, true},
                      ValueCase{"PortZero", "0", false, true}, ValueCase{"PortTooLarge", "65536", false, true},
                      ValueCase{"PortFraction", "80.5", false, true}, ValueCase{"Empty", "", false, true},
                      ValueCase{"NotANumber", "nan", false, true}, ValueCase{"TooLong", "123456789", false, false},
                      ValueCase{"Quote", "a\"b", false, false}, ValueCase{"LineEnd", "a\nb", false, false}),
    test::rowName);

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
