// harkola-cli run as a user would: a fresh process, in an empty folder. Then analyse
// --detector sensitive in-process: a recording of three slots replayed through the
// sensitive detector writes the heard records late but for their own slots, the slot
// log, the trace, and the clock check. What the commands print as JSON: numbers as
// printf wrote them before, read back so that whole numbers stay whole; text from the
// single-byte data files as UTF-8.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "BeaconAudio.h"
#include "audio/WavFile.h"
#include "cli/CliJson.h"
#include "cli/Commands.h"
#include "clock/SlotLog.h"
#include "common/Utf8Text.h"
#include "data/DefaultData.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

struct Result {
  int status;
  std::string out;
};

// `redirect`: where stdout and stderr go (stderr joins stdout unless told). `env`:
// "NAME=value " prefixes.
Result run(const std::string& args, const std::filesystem::path& cwd, const std::string& redirect = " 2>&1",
           const std::string& env = "") {
  const std::string cmd = "cd '" + cwd.string() + "' && " + env + "'" HARKOLA_CLI "' " + args + redirect;
  Result r{-1, {}};
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

class Cli : public ::testing::Test {
 protected:
  test::TempFolder tmp{"harkola-cli"};
  const std::filesystem::path& dir = tmp.path;
};

// With no data files in the current folder the built-in data is used quietly and nothing
// is written; a mistyped folder must not pass silently for the user's own data.
TEST_F(Cli, DistazUsesTheBuiltInDataQuietlyAndSaysWhenANamedFolderIsMissing) {
  const Result r = run("distaz --json", dir);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("{\"beacon\":1,\"callsign\":\"4U1UN\",\"country\":\"New York\",\"distance\":3432,"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("harkola-cli:"), std::string::npos);
  const Result missing = run("distaz --data-folder /does/not/exist", dir);
  EXPECT_EQ(missing.status, 0);
  EXPECT_NE(missing.out.find("harkola-cli: data folder /does/not/exist does not exist; using the built-in "
                             "home and beacon data"),
            std::string::npos)
      << missing.out;
  const Result partial = run("now --data-folder '" + dir.string() + "'", dir);
  EXPECT_NE(partial.out.find("BeaconData.dat is missing or unreadable"), std::string::npos) << partial.out;
  EXPECT_TRUE(std::filesystem::is_empty(dir));  // nothing was created
}

// The data folder's home and beacon files are used; their single-byte text is UTF-8 in JSON.
TEST_F(Cli, UsesTheDataFolderFilesAndWritesTheirTextAsUtf8) {
  std::string beacons(defaultBeaconData());
  beacons.replace(beacons.find("New York"), 8, "Nueva Y\xF6rk");
  std::ofstream(dir / "BeaconData.dat", std::ios::binary) << beacons;
  std::ofstream(dir / "HomeData.dat") << "\"Helsinki\",\"60\",\"10\",\"North\",\"24\",\"56\",\"East\",\"Km\",\"m\"\r\n";
  const Result r = run("distaz --data-folder . --json", dir, " 2>/dev/null");
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\"country\":\"Nueva Y\xC3\xB6rk\",\"distance\":6608,\"unit\":\"Km\""), std::string::npos)
      << r.out;
}

// Local time and UTC side by side, and the beacon on the band; the zone is a POSIX rule
// (5 hours behind UTC), so no zone database is needed.
TEST_F(Cli, NowAndTablePrintUtcBesideLocalTime) {
  const char* at = " --at \"2026-12-06 22:30:00\"";
  const std::string tz = "TZ=EST5 ";
  for (const char* command : {"now", "table"})
    EXPECT_NE(run(command + std::string(at), dir, " 2>/dev/null", tz).out.find(
                  "2026-12-06 22:30:00 local  2026-12-07 03:30:00 UTC  slot 1"),
              std::string::npos)
        << command;
  // 03:30:00 UTC is slot 1: beacon 15 on 28 MHz, beacon 16 next.
  const Result json = run(std::string("now --band 28 --json") + at, dir, " 2>/dev/null", tz);
  EXPECT_NE(json.out.find("{\"time\":\"2026-12-06 22:30:00\",\"utc\":\"2026-12-07 03:30:00\","),
            std::string::npos)
      << json.out;
  for (const char* part : {"\"slot\":1,\"band\":28,\"beacon\":15,\"callsign\":\"CS3B\"",
                           "\"next_beacon\":16,\"next_callsign\":\"LU4AA\"", "\"seconds_into_slot\":0"})
    EXPECT_NE(json.out.find(part), std::string::npos) << part;
}

TEST_F(Cli, BadArgumentsExitTwoWithAMessage) {
  for (const char* args : {"", "later", "now --band 13", "table --at \"2026-02-30 10:00:00\"", "now --band",
                           // A time is digits only (the other forms are the time reader's): this
                           // once gave slot -11 and exit 0.
                           "now --at \"2026-01-01 00:00:nan\"", "distaz --miles"}) {
    const Result r = run(args, dir);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.out.find("harkola-cli"), std::string::npos) << args << ": " << r.out;
  }
  const Result r = run("analyse x.wav --start \"2026-12-07 08:00:00\" --band 14 --detector clever", dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("--detector must be classic or sensitive"), std::string::npos) << r.out;
}

// Output that never arrived is a failure with a message, not a silent exit 0.
TEST_F(Cli, FailsWhenTheOutputCannotBeWritten) {
  std::ofstream(dir / "log.csv", std::ios::binary) << "\"07-Dec-26\",\"8\",\"14\",\"4U1UN\",\"5\"\r\n";
  for (const char* args : {"now --at \"2026-12-06 10:00:00\"", "table --json", "distaz",
                           "summarise log.csv --by-band --beacon 4U1UN"}) {
    EXPECT_EQ(run(args, dir, " > /dev/full 2> err.txt").status, 1) << args;
    EXPECT_NE(test::fileText(dir / "err.txt").find("could not be written"), std::string::npos) << args;
  }
}

TEST(AnalyseSensitive, RecordsSlotLogTraceAndClockCheck) {
  test::TempFolder tmp{"harkola-sensitive"};
  const std::vector<std::string> calls = testaudio::shippedCallsigns();
  // From 08:00:00 on 14 MHz: beacons 1, 2, 3, then an empty slot; each starts keying
  // 250 ms after its boundary (a PC clock a quarter second fast).
  WavAudio wav;
  for (int slot = 0; slot < 4; ++slot) {
    testaudio::Scene s;
    s.seed = 30 + slot;
    if (slot < 3) s.beacon = testaudio::Beacon{calls[slot], -8.0, 780.0 + 20 * slot, 0.25};
    const auto part = testaudio::render(s, 0.0, 10.0);
    wav.samples.insert(wav.samples.end(), part.begin(), part.end());
  }
  std::string error;
  ASSERT_TRUE(writeWav(tmp / "rec.wav", wav, error)) << error;

  std::ostringstream out, err;
  const int rc = cli::runAnalyse({(tmp / "rec.wav").string(), "--start", "2026-12-07 08:00:00", "--band", "14",
                                  "--detector", "sensitive", "--slot-log", (tmp / "slots.csv").string(), "--trace"},
                                 out, err);
  ASSERT_EQ(rc, 0) << err.str();
  // The recording begins on beacon 1's boundary, so its slot is analysed too; each is
  // logged with its own slot's date and hour.
  const std::string records = out.str();
  for (int b = 0; b < 3; ++b)
    EXPECT_NE(records.find("\"07-Dec-26\",\"8\",\"14\",\"" + calls[b] + "\""), std::string::npos) << records;

  const SlotLogContents log = readSlotLog(test::fileText(tmp / "slots.csv"));
  EXPECT_TRUE(log.badLines.empty());
  ASSERT_GE(log.records.size(), 3u);
  for (int b = 0; b < 3; ++b) EXPECT_EQ(log.records[b].callsign, calls[b]);

  const std::string trace = err.str();
  EXPECT_NE(trace.find("\"callsign\":\"" + calls[1] + "\",\"heard\":true,\"logged\":true"), std::string::npos)
      << trace;
  // The timing found: the controller's 54 ms element, key-downs as sent.
  EXPECT_TRUE(std::regex_search(trace, std::regex("\"rejection\":null,\"element_ms\":5[345]\\.[0-9]+,\"key_down_extra_ms\":(-6|0|6)\\b")))
      << trace;
  EXPECT_NE(trace.find("Beacons: PC clock 0.25 s fast"), std::string::npos) << trace;
}

TEST(PrintedNumber, WritesThePrintedText) {
  const struct {
    double value;
    const char *format, *written;
  } rows[] = {{-17.54, "%.1f", "-17.5"}, {842.0, "%.1f", "842.0"}, {-0.04, "%.1f", "-0.0"}, {-311.4, "%.0f", "-311"},
              {-0.3, "%.0f", "0"},  // printf's "-0" is no JSON number form a reader agrees on
              {8278568.5, "%.9g", "8278568.5"}, {9054030.0, "%.9g", "9054030"}, {0.0, "%.9g", "0"},
              {1.5e10, "%.9g", "15000000000.0"},  // past nine digits printf turns to an exponent
              {std::nan(""), "%.1f", "null"}, {-INFINITY, "%.1f", "null"}};
  for (const auto& r : rows) EXPECT_EQ(cli::printedNumber(r.value, r.format).dump(), r.written) << r.written;
}

TEST(Utf8Text, SingleByteTextBecomesUtf8AndUtf8StaysAsItIs) {
  EXPECT_EQ(utf8Text("Per\xFA"), "Per\xC3\xBA");           // Latin-1 ú
  EXPECT_EQ(utf8Text("Per\xC3\xBA"), "Per\xC3\xBA");       // already UTF-8
  EXPECT_EQ(utf8Text("Y\xC3\xB6rk \xE9"), "Y\xC3\x83\xC2\xB6rk \xC3\xA9");  // not all UTF-8: all Latin-1
  for (const char* notUtf8 : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3", "\xE2\x82"})
    EXPECT_FALSE(isUtf8(notUtf8)) << notUtf8;  // overlong, surrogate, beyond U+10FFFF, cut short
  EXPECT_TRUE(isUtf8("\xE2\x98\x83 \xF0\x9F\x93\xBB \x7F"));
  EXPECT_EQ(cli::jsonLine(cli::jsonText("Ca\bna\x01\"da\"\\")), "\"Ca\\bna\\u0001\\\"da\\\"\\\\\"\n");
}

}  // namespace
}  // namespace harkola
