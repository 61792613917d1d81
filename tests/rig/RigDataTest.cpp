#include "rig/RigData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "RigTestSupport.h"
#include "data/DataFile.h"
#include "rig/RigLinkSettings.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

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

}  // namespace
}  // namespace harkola
