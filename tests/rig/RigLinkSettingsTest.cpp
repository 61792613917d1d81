#include "rig/RigLinkSettings.h"

#include <gtest/gtest.h>

#include "data/DataFile.h"
#include "support/TempFolder.h"
#include "support/Tables.h"

namespace harkola {
namespace {

TEST(RigLinkSettings, SavedSettingsComeBackAndAFolderWithoutTheFileGivesDefaults) {
  test::TempFolder dir{"harkola-riglink"};
  EXPECT_EQ(kRigLinkFile.load(dir.path), RigLinkSettings{});
  EXPECT_EQ(RigLinkSettings{}.kind, RigLinkKind::Serial);

  RigLinkSettings s;
  s.devices = {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0", "", "/dev/ttyACM3", ""};
  s.kind = RigLinkKind::Rigctld;
  s.host = "shack-pi.local";
  s.port = 4533;
  s.sLevelFromMeter = true;
  ASSERT_TRUE(kRigLinkFile.save(dir.path, s));
  EXPECT_EQ(kRigLinkFile.load(dir.path), s);
  EXPECT_EQ(s.deviceFor("3") + "|" + s.deviceFor("2") + "|" + s.deviceFor("5"), "/dev/ttyACM3||");
}

// Each bad value falls back to its own default; the good ones beside it stay.
struct BadValue {
  const char* name;
  const char* line;
};
class RigLinkBadValue : public ::testing::TestWithParam<BadValue> {};
TEST_P(RigLinkBadValue, FallsBackForThatSettingOnly) {
  const std::string text = formatRecord({"Device1", "/dev/ttyUSB7"}) + GetParam().line + "\r\n" +
                           formatRecord({"SMeter", "True"});
  const RigLinkSettings s = parseRigLinkSettings(text);
  RigLinkSettings expected;
  expected.devices[0] = "/dev/ttyUSB7";
  expected.sLevelFromMeter = true;
  EXPECT_EQ(s, expected);
}
INSTANTIATE_TEST_SUITE_P(
    File, RigLinkBadValue,
    ::testing::Values(BadValue{"PortTooLarge", "\"Port\",\"99999\""}, BadValue{"PortNotANumber", "\"Port\",\"abc\""},
                      BadValue{"PortFraction", "\"Port\",\"4532.5\""},
                      BadValue{"HostWithCommand", "\"Host\",\"localhost;rm -rf\""},
                      BadValue{"HostEmpty", "\"Host\",\"\""}, BadValue{"RelativeDevice", "\"Device2\",\"ttyUSB0\""},
                      BadValue{"UnknownLink", "\"Link\",\"Bluetooth\""}, BadValue{"UnknownKey", "\"Colour\",\"Red\""},
                      BadValue{"DeviceFive", "\"Device5\",\"/dev/ttyS4\""}),
    test::rowName);

}  // namespace
}  // namespace harkola
