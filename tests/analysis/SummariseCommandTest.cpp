#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/LogSummary.h"
#include "cli/Commands.h"
#include "LogTestData.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

namespace fs = std::filesystem;

const std::string kLog = test::logImage({{"20/08/01", "9", "14", "ZL6B", "3"},
                                          {"20/08/01", "9", "14", "ZL6B", "4"},
                                          {"02/09/01", "10", "21", "ZL6B", "5"},
                                          {"02/09/01", "10", "14", "OH2B", "7"}});

class SummariseCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    log = (dir / "log.csv").string();
    std::ofstream(log, std::ios::binary) << kLog;
  }

  int run(cli::Args args) {
    out.str("");
    err.str("");
    return cli::runSummarise(args, out, err);
  }
  // The text the analysis window saves for the same request.
  static std::string windowFile(const SummaryRequest& req) {
    LogData d;
    EXPECT_TRUE(loadLog(kLog, d));
    return formatSummaryFile(summarise(d, req));
  }

  test::TempFolder tmp{"harkola-summarise"};
  const fs::path& dir = tmp.path;
  std::string log;
  std::ostringstream out, err;
};

TEST_F(SummariseCommand, ByBeaconWritesTheSummaryFileText) {
  SummaryRequest req;
  req.beacons = {"ZL6B", "OH2B"};  // beacon order, not the order given
  req.months[8] = true;
  ASSERT_EQ(run({log, "--by-beacon", "--band", "14", "--beacons", "oh2b,ZL6B", "--months", "August"}), 0)
      << err.str();
  EXPECT_EQ(out.str(), windowFile(req));
  EXPECT_NE(out.str().find("\"ZL6B\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"4\""), std::string::npos);

  ASSERT_EQ(run({log, "--by-beacon", "--band", "21"}), 0) << err.str();  // all eighteen beacons
  const std::string all = out.str();
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 19);
}

TEST_F(SummariseCommand, ByBandToFileWithDefaults) {
  const std::string o = (dir / "out.csv").string();
  ASSERT_EQ(run({log, "--by-band", "--beacon", "zl6b", "-o", o}), 0) << err.str();
  EXPECT_EQ(out.str(), "");
  SummaryRequest req;
  req.mode = SummaryMode::ByBand;
  req.callsign = "ZL6B";
  req.bands = {0, 1, 2, 3, 4};
  req.months.fill(true);
  EXPECT_EQ(test::fileText(o), windowFile(req));
}

TEST_F(SummariseCommand, BadArgumentsAreRefusedWithUsage) {
  const cli::Args rows[] = {{},  // no mode
                            {"--by-beacon", "--by-band"},
                            {"--by-beacon", "--band", "7"},
                            {"--by-beacon", "--band", "14", "--beacons", "NOCALL"},
                            {"--by-band"},  // no beacon
                            {"--by-band", "--beacon", "ZL6B", "--bands", "14,15"},
                            {"--by-band", "--beacon", "ZL6B", "--months", "Augst"},
                            {"--by-band", "--beacon", "ZL6B", "--band", "14"}};  // options of both modes
  for (const cli::Args& given : rows) {
    cli::Args args{log};
    args.insert(args.end(), given.begin(), given.end());
    EXPECT_EQ(run(args), 2) << ::testing::PrintToString(given);
    EXPECT_NE(err.str().find("usage:"), std::string::npos) << ::testing::PrintToString(given);
    EXPECT_EQ(out.str(), "");
  }
}

// A log that is no heard log fails with the loader's words; a folder (it once gave a
// 9-exabyte buffer, std::bad_alloc and an abort) is no log at all.
TEST_F(SummariseCommand, AnUnsuitableLogOrAFolderFails) {
  std::ofstream(log, std::ios::binary) << "\"Date\",\"Time\",\"Band\",\"Callsign\",\"S\"\r\n";
  for (const std::string& input : {log, dir.string()}) {
    EXPECT_EQ(run({input, "--by-band", "--beacon", "ZL6B"}), 1);
    EXPECT_EQ(err.str(), input == log ? "The input data file format is unsuitable.\n\nLine 1 could not be read as a "
                                        "heard-log record:\n\"Date\",\"Time\",\"Band\",\"Callsign\",\"S\"\n"
                                      : dir.string() + " is not a file.\n");
    EXPECT_EQ(out.str(), "");
  }
}

// Neither the log summarised (under any of its names) nor the heard log the program
// logs to is written over.
TEST_F(SummariseCommand, RefusesToWriteOverItsOwnLogOrTheLiveOne) {
  const std::string sameFile = (dir / "." / "log.csv").string();
  EXPECT_EQ(run({log, "--by-band", "--beacon", "ZL6B", "-o", sameFile}), 2);
  EXPECT_NE(err.str().find("would overwrite its own heard log"), std::string::npos) << err.str();
  EXPECT_EQ(test::fileText(log), kLog);

  const char* before = std::getenv("HARKOLA_LOG_FOLDER");
  const std::string saved = before ? before : "";
  ::setenv("HARKOLA_LOG_FOLDER", dir.c_str(), 1);
  const fs::path live = dir / "Harkola 5 Heard Log.csv";
  std::ofstream(live, std::ios::binary) << kLog;
  const int status = run({log, "--by-band", "--beacon", "ZL6B", "-o", live.string()});
  before ? ::setenv("HARKOLA_LOG_FOLDER", saved.c_str(), 1) : ::unsetenv("HARKOLA_LOG_FOLDER");
  EXPECT_EQ(status, 2);
  EXPECT_EQ(err.str(), "The summary would overwrite the heard log " + live.string() +
                           " that the program logs to; choose another output file.\n");
  EXPECT_EQ(test::fileText(live), kLog);
}

TEST_F(SummariseCommand, ASaveReplacesAnOldFileAndAFailedOneWritesNothing) {
  const fs::path file = dir / "summary.csv";
  std::ofstream(file, std::ios::binary) << "an old summary, longer than the new one will be" << std::string(5000, 'x');
  ASSERT_EQ(run({log, "--by-beacon", "--band", "14", "-o", file.string()}), 0) << err.str();
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);  // no temporary left
  const std::string saved = test::fileText(file);
  ASSERT_EQ(run({log, "--by-beacon", "--band", "14"}), 0);
  EXPECT_EQ(saved, out.str());

  const fs::path nowhere = dir / "missing" / "summary.csv";
  EXPECT_EQ(run({log, "--by-beacon", "--band", "14", "-o", nowhere.string()}), 1);
  EXPECT_EQ(err.str(), "Summary Log file NOT saved\n");
  EXPECT_FALSE(fs::exists(nowhere.parent_path()));
}

}  // namespace
}  // namespace harkola
