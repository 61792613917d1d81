#include "data/SettingsFile.h"

#include <gtest/gtest.h>

#include "receiver/ReceiverSettings.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

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
