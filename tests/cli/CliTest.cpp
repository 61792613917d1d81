// harkola-cli run as a user would: a fresh process, in an empty folder.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <string>

#include "data/DefaultData.h"
#include "support/TempFolder.h"
#include "support/Files.h"

namespace {

struct Result {
  int status;
  std::string out;
};

// `stderrToo`: stderr joins stdout (else it is dropped). `env`: "NAME=value " prefixes.
Result run(const std::string& args, const std::filesystem::path& cwd, bool stderrToo = true,
           const std::string& env = "") {
  const std::string cmd = "cd '" + cwd.string() + "' && " + env + "'" HARKOLA_CLI "' " + args +
                          (stderrToo ? " 2>&1" : " 2>/dev/null");
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
  harkola::test::TempFolder tmp{"harkola-cli"};
  const std::filesystem::path& dir = tmp.path;
};

TEST_F(Cli, DistazInAnEmptyFolderPrintsTheDefaultTableAndWritesNothing) {
  const Result r = run("distaz --json", dir);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("{\"beacon\":1,\"callsign\":\"4U1UN\",\"country\":\"New York\","
                       "\"distance\":3432,\"unit\":\"m\",\"azimuth\":287}"),
            std::string::npos)
      << r.out;
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

// The data folder's home and beacon files are used; their single-byte text is UTF-8 in JSON.
TEST_F(Cli, UsesTheDataFolderFilesAndWritesTheirTextAsUtf8) {
  std::string beacons(harkola::defaultBeaconData());
  beacons.replace(beacons.find("New York"), 8, "Nueva Y\xF6rk");
  std::ofstream(dir / "BeaconData.dat", std::ios::binary) << beacons;
  std::ofstream(dir / "HomeData.dat") << "\"Helsinki\",\"60\",\"10\",\"North\",\"24\",\"56\",\"East\",\"Km\",\"m\"\r\n";
  const Result r = run("distaz --data-folder . --json", dir, false);
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
    EXPECT_NE(run(command + std::string(at), dir, false, tz).out.find(
                  "2026-12-06 22:30:00 local  2026-12-07 03:30:00 UTC  slot 1"),
              std::string::npos)
        << command;
  // 03:30:00 UTC is slot 1: beacon 15 on 28 MHz, beacon 16 next.
  const Result json = run(std::string("now --band 28 --json") + at, dir, false, tz);
  EXPECT_NE(json.out.find("{\"time\":\"2026-12-06 22:30:00\",\"utc\":\"2026-12-07 03:30:00\","),
            std::string::npos)
      << json.out;
  for (const char* part : {"\"slot\":1,\"band\":28,\"beacon\":15,\"callsign\":\"CS3B\"",
                           "\"next_beacon\":16,\"next_callsign\":\"LU4AA\"", "\"seconds_into_slot\":0"})
    EXPECT_NE(json.out.find(part), std::string::npos) << part;
}

// A mistyped folder must not pass silently for the user's own data; the current folder
// without data files is the documented default and stays quiet.
TEST_F(Cli, AMissingDataFolderIsReportedOnStderr) {
  const Result r = run("distaz --data-folder /does/not/exist", dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("harkola-cli: data folder /does/not/exist does not exist; using the built-in home and "
                       "beacon data"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(run("distaz", dir).out.find("harkola-cli:"), std::string::npos);
  const Result partial = run("now --data-folder '" + dir.string() + "'", dir);
  EXPECT_NE(partial.out.find("BeaconData.dat is missing or unreadable"), std::string::npos) << partial.out;
  EXPECT_TRUE(std::filesystem::is_empty(dir));  // nothing was created
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
}

// Output that never arrived is a failure with a message, not a silent exit 0.
TEST_F(Cli, FailsWhenTheOutputCannotBeWritten) {
  std::ofstream(dir / "log.csv", std::ios::binary) << "\"07-Dec-26\",\"8\",\"14\",\"4U1UN\",\"5\"\r\n";
  for (const char* args : {"now --at \"2026-12-06 10:00:00\"", "table --json", "distaz",
                           "summarise log.csv --by-band --beacon 4U1UN"}) {
    const std::string cmd = "cd '" + dir.string() + "' && '" HARKOLA_CLI "' " + args + " > /dev/full 2> err.txt";
    const int st = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 1) << args << ": " << st;
    EXPECT_NE(harkola::test::fileText(dir / "err.txt").find("could not be written"), std::string::npos) << args;
  }
}

}  // namespace
