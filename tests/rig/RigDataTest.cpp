// The rig table: the makers' shipped tables and their file, the link settings beside
// it, and what the rows become on the way to a rig: line settings, flow control, text
// and hex commands, the serial device, and the rigctld protocol's commands and replies.
#include "rig/RigData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "RigTestSupport.h"
#include "data/DataFile.h"
#include "rig/RigCommands.h"
#include "rig/RigLinkSettings.h"
#include "rig/RigctldProtocol.h"
#include "rig/SerialDevices.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

using test::hexOf;
using test::rigDefaults;

// The frequency, in Hz, a default band command tunes: Kenwood "FA" + 11 digits in Hz;
// Icom CI-V five BCD bytes after the command byte, least significant first, in Hz;
// Yaesu four BCD bytes, least significant first, in units of 10 Hz.
long long tunedHz(int maker, const std::string& code) {
  auto bcd = [&](std::size_t from, int count) {
    long long v = 0;
    for (int k = count - 1; k >= 0; --k) v = v * 100 + std::stoi(code.substr(from + 2 * k, 2));
    return v;
  };
  if (maker == kRigKenwood) return std::stoll(code.substr(2, 11));
  if (maker == kRigIcom) return bcd(10, 5);
  return bcd(0, 4) * 10;
}

// Every maker's band rows tune exactly the frequency their label shows, and the label is
// the beacon frequency of the band (a rig 10 kHz off hears nothing of the beacons).
TEST(RigDefaults, EveryBandCommandTunesTheBeaconFrequency) {
  const char* beaconMHz[] = {"14.100", "18.110", "21.150", "24.930", "28.200"};
  for (int maker : {kRigKenwood, kRigIcom, kRigYaesu}) {
    const RigGrid g = rigDefaults(maker);
    for (int band = 0; band < 5; ++band) {
      const auto& row = g[15 + band];
      EXPECT_EQ(row[0], beaconMHz[band]) << maker;
      EXPECT_EQ(tunedHz(maker, row[1]), std::llround(std::stod(row[0]) * 1e6)) << maker << " " << row[1];
    }
  }
}

class RigDataFile : public ::testing::Test {
 protected:
  RigDataFile() { d.DataFolder = dir_.path.string(); }
  void writeFile(const RigGrid& g) { std::ofstream(dir_ / "RigData.dat", std::ios::binary) << formatRigData(g); }
  std::string readFile() { return test::fileText(dir_ / "RigData.dat"); }
  test::TempFolder dir_{"harkola-rigdata"};
  PublicDecs d;
};

// The shipped files are "label","value" CR LF lines: saving a loaded table gives them back
// byte for byte, and loading sets the maker code and leaves the settings untested.
TEST_F(RigDataFile, SavesAndLoadsTheShippedFilesByteForByte) {
  for (int maker : {kRigKenwood, kRigIcom, kRigYaesu}) {
    d.RigTable = rigDefaults(maker);
    ASSERT_TRUE(SaveRigData(d));
    EXPECT_EQ(readFile(), defaultRigData(maker)) << maker;
    PublicDecs loaded;
    loaded.DataFolder = d.DataFolder;
    loaded.RigTested = true;
    ASSERT_TRUE(LoadRigData(loaded));
    EXPECT_EQ(loaded.RigTable, rigDefaults(maker)) << maker;
    EXPECT_TRUE(loaded.RigMakerCode == maker && !loaded.RigTested) << maker;
  }
}

// The tested flag is read as a truth word; an unknown maker leaves the maker code alone.
TEST_F(RigDataFile, TestedFlagAndMakerAreReadFromTheirRows) {
  RigGrid g = rigDefaults(kRigKenwood);
  const std::pair<const char*, bool> words[] = {{"True", true}, {"true", true}, {"", false}, {"Yes", false}};
  for (const auto& [word, tested] : words) {
    g[kRigRowTested][1] = word;
    g[kRigRowMaker][1] = "icom";
    writeFile(g);
    d.RigTested = !tested;
    d.RigMakerCode = kRigYaesu;
    ASSERT_TRUE(LoadRigData(d));
    EXPECT_TRUE(d.RigTested == tested && d.RigMakerCode == kRigYaesu) << word;
  }
}

TEST_F(RigDataFile, FailuresChangeNothing) {
  d.RigTable = rigDefaults(kRigIcom);
  EXPECT_FALSE(LoadRigData(d));  // no file yet
  EXPECT_EQ(d.RigTable, rigDefaults(kRigIcom));
  ASSERT_TRUE(SaveRigData(d));
  PublicDecs elsewhere = d;
  elsewhere.RigTable = rigDefaults(kRigKenwood);
  elsewhere.DataFolder = (dir_ / "missing" / "folder").string();
  EXPECT_FALSE(SaveRigData(elsewhere));
  EXPECT_EQ(readFile(), defaultRigData(kRigIcom));
}

TEST(RigDataParse, ReadsFieldByFieldWhateverTheLineEnds) {
  RigGrid g;
  // LF only, a field without its closing quote, an unquoted field, a blank line.
  EXPECT_EQ(parseRigData("\"Com\",\"2\n\n\"Baud\",  4800 \r\n\"Parity\",\"Odd\"", g), 6u);
  EXPECT_EQ(std::tuple(g[0][1], g[1][1], g[2][0], g[2][1], g[21][1]), std::tuple("2", "4800", "Parity", "Odd", ""));
}

TEST(RigDataCheck, FindsTheFirstUnlistedValue) {
  EXPECT_EQ(firstUnlistedRigRow(rigDefaults(kRigYaesu)), std::nullopt);
  for (const auto& [row, value] : std::vector<std::pair<int, const char*>>{
           {0, "5"}, {0, ""}, {1, "9601"}, {2, "none"}, {3, "9"}, {4, "1.5"}, {5, "CTS"}, {6, "Elecraft"}}) {
    RigGrid g = rigDefaults(kRigYaesu);
    g[row][1] = value;
    EXPECT_EQ(firstUnlistedRigRow(g), row) << value;
  }
}

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

// The line text of the rig table's rows 1..4 (19200 baud, 5 data bits, 2 stop bits)
// reads back; malformed line texts are refused with a reason.
TEST(LineSettingsText, UsesTheParityLetterAndRefusesMalformedTexts) {
  RigGrid g = rigDefaults(kRigKenwood);
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
