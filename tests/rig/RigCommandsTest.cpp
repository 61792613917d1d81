#include "rig/RigCommands.h"

#include <gtest/gtest.h>

#include "RigTestSupport.h"
#include "rig/RigctldProtocol.h"
#include "rig/SerialDevices.h"

namespace harkola {
namespace {

using test::hexOf;

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

// Flow control by the exact row text; RTS is raised only for the RTS kinds.
TEST(FlowControlRow, MapsExactlyAndRaisesRtsOnlyForRtsKinds) {
  const struct {
    const char* row;
    std::optional<FlowControl> flow;
    bool rts;
  } rows[] = {{"None", FlowControl::None, false},     {"Xon/Xoff", FlowControl::XonXoff, false},
              {"RTS", FlowControl::Rts, true},        {"RTSXOnXOff", FlowControl::RtsXonXoff, true},
              {"rts", std::nullopt, false},           {"", std::nullopt, false}};
  for (const auto& r : rows) {
    EXPECT_EQ(flowControlFor(r.row), r.flow) << r.row;
    if (r.flow) {
      EXPECT_EQ(assertsRts(*r.flow), r.rts) << r.row;
    }
  }
}

TEST(HexCodeCheck, ReportsTheFirstFault) {
  const struct {
    const char *code, *fault;
    bool valid;
  } rows[] = {{"ABC", "Data entry must be an even number of hex codes", false},
              {"FE0G", "Hex pair 2 is not a valid hex number", false},
              {"FEFE00E00103FDZZ", "Hex pair 8 is not a valid hex number", false},
              {"MD3;", "Hex pair 1 is not a valid hex number", false},
              {"fe01", "", true},
              {"", "", false}};
  for (const auto& r : rows) {
    const HexCheck h = checkHexCode(r.code);
    EXPECT_EQ(h.valid, r.valid) << r.code;
    EXPECT_EQ(h.fault, r.fault) << r.code;
  }
}

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

// Port n: HARKOLA_COM<n> when set, else /dev/ttyUSB<n-1> or /dev/ttyACM<n-1> when it
// exists, else /dev/ttyS<n-1>; ports outside 1..4 have no device.
TEST(SerialDeviceRule, PicksTheDevice) {
  const struct {
    const char *name, *port, *env, *existing, *path;
  } rows[] = {{"Override", "1", "/tmp/ttyA", "/dev/ttyUSB0", "/tmp/ttyA"},
              {"UsbFirst", "1", "", "/dev/ttyUSB0", "/dev/ttyUSB0"},
              {"AcmNext", "2", "", "/dev/ttyACM1", "/dev/ttyACM1"},
              {"BuiltIn", "4", "", "/dev/ttyUSB0", "/dev/ttyS3"},
              {"OtherPortsUsbIgnored", "2", "", "/dev/ttyUSB0", "/dev/ttyS1"},
              {"OutOfRange", "5", "/tmp/x", "", ""},
              {"Empty", "", "", "", ""}};
  for (const auto& c : rows) {
    DeviceLookup l;
    l.env = [&](const std::string& n) { return n == std::string("HARKOLA_COM") + c.port ? c.env : ""; };
    l.exists = [&](const std::string& p) { return p == c.existing; };
    EXPECT_EQ(serialDevicePath(c.port, l), c.path) << c.name;
  }
}

// --- commands: only well-formed frequency and mode values go out ---------------------

TEST(RigctldCommand, BuildsOneWordModesAndFrequenciesInRangeAndRefusesAnythingElse) {
  const struct {
    const char* mode;
    std::int64_t passband;
    const char* line;  // nullptr: refused
  } rows[] = {{"CW", 0, "+M CW 0\n"}, {"USB", -1, "+M USB -1\n"}, {"PKTUSB", 3000, "+M PKTUSB 3000\n"},
              {"", 0, nullptr},      {"cw", 0, nullptr},           {"CW\n+T 1", 0, nullptr},
              {"CW 1", 0, nullptr},  {"\\send_morse", 0, nullptr}, {"CW", -2, nullptr}};
  for (const auto& r : rows) {
    const auto cmd = RigctldCommand::setMode(r.mode, r.passband);
    EXPECT_EQ(cmd ? cmd->line() : "refused", r.line ? r.line : "refused") << r.mode << " " << r.passband;
  }
  EXPECT_EQ(RigctldCommand::setFrequency(14'100'000)->line(), "+F 14100000\n");
  EXPECT_FALSE(RigctldCommand::setFrequency(0));
  EXPECT_FALSE(RigctldCommand::setFrequency(-14'100'000));
  // A refusal says which command and why.
  EXPECT_EQ(rprtMessage(*RigctldCommand::setFrequency(14'100'000), -1),
            "rigctld could not do set_freq 14100000: Invalid parameter (RPRT -1)");
  EXPECT_EQ(rprtMeaning(-77), "error 77");  // a code of a later rigctld
}

// --- replies ----------------------------------------------------------------------------

TEST(RigctldReplyReader, CutsFramedRepliesWhateverTheReadBoundaries) {
  const std::string stream =
      "get_freq:\nFrequency: 14100000\nRPRT 0\n"
      "get_mode:\r\nMode: CW\r\nPassband: 500\r\nRPRT 0\r\n"
      "set_freq: abc\nRPRT -1\n"
      "get_level: STRENGTH\n-4\nRPRT 0\n";
  // Whole, and one byte at a time: the same four replies.
  for (std::size_t step : {stream.size(), std::size_t{1}, std::size_t{7}}) {
    RigctldReplyReader reader;
    for (std::size_t i = 0; i < stream.size(); i += step) reader.feed(std::string_view(stream).substr(i, step));
    const auto f = reader.take(), m = reader.take(), bad = reader.take(), s = reader.take();
    ASSERT_TRUE(f && m && bad && s) << "step " << step;
    EXPECT_FALSE(reader.take());
    ASSERT_TRUE(modeOf(*m));
    EXPECT_EQ(std::tuple(frequencyOf(*f).value_or(0), modeOf(*m)->name, modeOf(*m)->passbandHz,
                         strengthOf(*s).value_or(0)),
              std::tuple(14'100'000, "CW", 500, -4));
    EXPECT_TRUE(bad->code == -1 && bad->lines.empty());
  }
}

TEST(RigctldReplyReader, ReplyWithoutEndIsAFaultNotAGrowingBuffer) {
  RigctldReplyReader reader(64);
  for (int i = 0; i < 10; ++i) reader.feed("Frequency: 14100000\n");
  EXPECT_TRUE(reader.overflowed());
  EXPECT_FALSE(reader.take());
  reader.clear();
  reader.feed("get_freq:\nFrequency: 7000000\nRPRT 0\n");
  EXPECT_FALSE(reader.overflowed());
  EXPECT_EQ(frequencyOf(*reader.take()), 7'000'000);
}

TEST(RigctldReply, ValuesThatAreMissingOrMalformedGiveNothing) {
  auto reply = [](std::string text) {
    RigctldReplyReader r;
    r.feed(text + "RPRT 0\n");
    return *r.take();
  };
  EXPECT_EQ(frequencyOf(reply("get_freq:\nFrequency: 14074000.000000\n")), 14'074'000);
  EXPECT_EQ(strengthOf(reply("get_level: STRENGTH\nSTRENGTH: 12\n")), 12);
  for (const char* bad : {"get_freq:\n", "get_freq:\nFrequency: 14.1 MHz\n", "get_freq:\nFrequency: -5\n"})
    EXPECT_FALSE(frequencyOf(reply(bad))) << bad;
  EXPECT_FALSE(modeOf(reply("get_mode:\nMode: CW\nPassband: wide\n")));
  // No value, and an echo that is not to be mistaken for one.
  for (const char* bad : {"get_level: STRENGTH\n", "get_level: 5\n"}) EXPECT_FALSE(strengthOf(reply(bad))) << bad;
}

// --- S levels --------------------------------------------------------------------------

TEST(RigctldSLevel, SixDecibelsPerUnitFromS9Clamped) {
  const std::pair<int, int> table[] = {{40, 9}, {0, 9}, {-3, 9}, {-4, 8}, {-6, 8}, {-9, 8},
                                       {-10, 7}, {-48, 1}, {-54, 1}, {-120, 1}};
  for (const auto& [db, s] : table) EXPECT_EQ(sLevelFromStrength(db), s) << db << " dB";
}

}  // namespace
}  // namespace harkola
