#include "rig/RigLinkSettings.h"

#include <gtest/gtest.h>

#include "data/DataFile.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

TEST(RigLinkSettings, SavedSettingsComeBackAndAFolderWithoutTheFileGivesDefaults) {
  test::TempFolder dir{"harkola-riglink"};
  EXPECT_EQ(kRigLinkFile.load(dir.path), RigLinkSettings{});

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
TEST(RigLinkSettings, ABadValueFallsBackForThatSettingOnly) {
  RigLinkSettings expected;
  expected.devices[0] = "/dev/ttyUSB7";
  expected.sLevelFromMeter = true;
  const std::vector<std::vector<std::string>> bad = {
      {"Port", "99999"}, {"Port", "abc"}, {"Port", "4532.5"}, {"Host", "localhost;rm -rf"}, {"Host", ""},
      {"Device2", "ttyUSB0"}, {"Link", "Bluetooth"}, {"Colour", "Red"}, {"Device5", "/dev/ttyS4"}};
  for (const auto& record : bad) {
    const std::string text =
        formatRecord({"Device1", "/dev/ttyUSB7"}) + formatRecord(record) + formatRecord({"SMeter", "True"});
    EXPECT_EQ(parseRigLinkSettings(text), expected) << record[0] << " " << record[1];
  }
}

}  // namespace
}  // namespace harkola
