#include "rig/RigCommands.h"

#include <gtest/gtest.h>

#include "RigTestSupport.h"
#include "rig/SerialDevices.h"

namespace harkola {
namespace {

using test::hexOf;

template <class T>
std::string rowName(const ::testing::TestParamInfo<T>& info) {
  return info.param.name;
}

// The line text of the rig table's rows 1..4 (19200 baud, 5 data bits, 2 stop bits)
// reads back; malformed line texts are refused with a reason.
TEST(LineSettingsText, UsesTheParityLetterAndRefusesMalformedTexts) {
  RigGrid g = test::rigDefaults(kRigKenwood);
  g[kRigRowBaud][1] = "19200";
  g[kRigRowData][1] = "5";
  g[kRigRowStop][1] = "2";
  for (const auto& [parity, text] : std::vector<std::pair<const char*, const char*>>{
           {"None", "19200,N,5,2"}, {"Space", "19200,S,5,2"}, {"Odd", "19200,O,5,2"}, {"Even", "19200,E,5,2"},
           {"Mark", "19200,M,5,2"}}) {
    g[kRigRowParity][1] = parity;
    EXPECT_EQ(lineSettingsText(g), text);
    EXPECT_TRUE(parseLineSettings(text).valid) << text;
  }
  for (const char* bad : {",N,8,1", "fast,N,8,1", "0,N,8,1", "9600,X,8,1", "9600,,8,1", "9600,N,9,1", "9600,N,8,3",
                          "9600,N,8"}) {
    const LineSettings ls = parseLineSettings(bad);
    EXPECT_FALSE(ls.valid) << bad;
    EXPECT_FALSE(ls.problem.empty()) << bad;
  }
}

struct FlowCase {
  const char *name, *row;
  std::optional<FlowControl> flow;
  bool rts;
};
class FlowControlRow : public ::testing::TestWithParam<FlowCase> {};

TEST_P(FlowControlRow, MapsExactlyAndRaisesRtsOnlyForRtsKinds) {
  const auto& c = GetParam();
  EXPECT_EQ(flowControlFor(c.row), c.flow);
  if (c.flow) {
    EXPECT_EQ(assertsRts(*c.flow), c.rts);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, FlowControlRow,
                         ::testing::Values(FlowCase{"None", "None", FlowControl::None, false},
                                           FlowCase{"XonXoff", "Xon/Xoff", FlowControl::XonXoff, false},
                                           FlowCase{"Rts", "RTS", FlowControl::Rts, true},
                                           FlowCase{"RtsXonXoff", "RTSXOnXOff", FlowControl::RtsXonXoff, true},
                                           FlowCase{"LowerCase", "rts", std::nullopt, false},
                                           FlowCase{"Empty", "", std::nullopt, false}),
                         rowName<FlowCase>);

struct HexCase {
  const char *name, *code;
  bool valid;
  const char* fault;
};
class HexCodeCheck : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexCodeCheck, ReportsTheFirstFault) {
  const HexCheck h = checkHexCode(GetParam().code);
  EXPECT_EQ(h.valid, GetParam().valid);
  EXPECT_EQ(h.fault, GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, HexCodeCheck,
    ::testing::Values(HexCase{"OddLength", "ABC", false, "Data entry must be an even number of hex codes"},
                      HexCase{"SecondPairBad", "FE0G", false, "Hex pair 2 is not a valid hex number"},
                      HexCase{"EighthPairBad", "FEFE00E00103FDZZ", false, "Hex pair 8 is not a valid hex number"},
                      HexCase{"KenwoodText", "MD3;", false, "Hex pair 1 is not a valid hex number"},
                      HexCase{"LowerCase", "fe01", true, ""}, HexCase{"Empty", "", false, ""}),
    rowName<HexCase>);

// Kenwood text is one write of exactly its characters; hex pairs are one write per byte
// ; nothing for empty codes or unknown makers.
TEST(EncodeCommand, KenwoodTextWholeHexPairsBytewise) {
  const auto cmd = encodeCommand(kRigKenwood, "MD3;");
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->writes, std::vector<std::string>{"MD3;"});
  for (int maker : {kRigIcom, kRigYaesu}) {
    const auto hex = encodeCommand(maker, "FEFE00E00103FD");
    ASSERT_TRUE(hex);
    EXPECT_EQ(hex->writes.size(), 7u);
    EXPECT_EQ(hexOf(hex->bytes()), "FE FE 00 E0 01 03 FD");
  }
  EXPECT_EQ(hexOf(encodeCommand(kRigIcom, "fe0")->bytes()), "FE");  // trailing digit dropped
  EXPECT_FALSE(encodeCommand(kRigKenwood, ""));
  EXPECT_FALSE(encodeCommand(kRigIcom, ""));
  for (int maker : {0, 120, 124, -121}) EXPECT_FALSE(encodeCommand(maker, "MD3;")) << maker;
}

struct DeviceCase {
  const char *name, *port;
  const char* env;       // value of HARKOLA_COM<port>
  const char* existing;  // the one device that exists
  const char* path;
};
class SerialDeviceRule : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(SerialDeviceRule, PicksTheDevice) {
  const auto& c = GetParam();
  DeviceLookup l;
  l.env = [&](const std::string& n) { return n == std::string("HARKOLA_COM") + c.port ? c.env : ""; };
  l.exists = [&](const std::string& p) { return p == c.existing; };
  EXPECT_EQ(serialDevicePath(c.port, l), c.path);
}

INSTANTIATE_TEST_SUITE_P(Ports, SerialDeviceRule,
                         ::testing::Values(DeviceCase{"Override", "1", "/tmp/ttyA", "/dev/ttyUSB0", "/tmp/ttyA"},
                                           DeviceCase{"UsbFirst", "1", "", "/dev/ttyUSB0", "/dev/ttyUSB0"},
                                           DeviceCase{"AcmNext", "2", "", "/dev/ttyACM1", "/dev/ttyACM1"},
                                           DeviceCase{"BuiltIn", "4", "", "/dev/ttyUSB0", "/dev/ttyS3"},
                                           DeviceCase{"OtherPortsUsbIgnored", "2", "", "/dev/ttyUSB0", "/dev/ttyS1"},
                                           DeviceCase{"OutOfRange", "5", "/tmp/x", "", ""},
                                           DeviceCase{"Empty", "", "", "", ""}),
                         rowName<DeviceCase>);

}  // namespace
}  // namespace harkola
