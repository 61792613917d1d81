#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/LogSummary.h"
#include "cli/Commands.h"
#include "LogTestData.h"

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
    dir = fs::temp_directory_path() / ("harkola-summarise-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    log = (dir / "log.csv").string();
    std::ofstream(log, std::ios::binary) << kLog;
  }
  void TearDown() override { fs::remove_all(dir); }

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

  fs::path dir;
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
  std::ifstream in(o, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), windowFile(req));
}

struct BadArgsCase {
  const char* name;
  cli::Args args;  // after the log path
};
class SummariseBadArgs : public SummariseCommand, public ::testing::WithParamInterface<BadArgsCase> {};
TEST_P(SummariseBadArgs, AreRefusedWithUsage) {
  cli::Args args{log};
  args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
  EXPECT_EQ(run(args), 2);
  EXPECT_NE(err.str().find("usage:"), std::string::npos);
  EXPECT_EQ(out.str(), "");
}
INSTANTIATE_TEST_SUITE_P(
    Args, SummariseBadArgs,
    ::testing::Values(BadArgsCase{"NoMode", {}}, BadArgsCase{"BothModes", {"--by-beacon", "--by-band"}},
                      BadArgsCase{"BadBand", {"--by-beacon", "--band", "7"}},
                      BadArgsCase{"UnknownBeacon", {"--by-beacon", "--band", "14", "--beacons", "NOCALL"}},
                      BadArgsCase{"MissingBeacon", {"--by-band"}},
                      BadArgsCase{"BadBandList", {"--by-band", "--beacon", "ZL6B", "--bands", "14,15"}},
                      BadArgsCase{"BadMonth", {"--by-band", "--beacon", "ZL6B", "--months", "Augst"}},
                      BadArgsCase{"MixedOptions", {"--by-band", "--beacon", "ZL6B", "--band", "14"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(SummariseCommand, UnsuitableLogFails) {
  std::ofstream(log, std::ios::binary) << "\"Date\",\"Time\",\"Band\",\"Callsign\",\"S\"\r\n";
  EXPECT_EQ(run({log, "--by-band", "--beacon", "ZL6B"}), 1);
  EXPECT_EQ(err.str(),
            "The input data file format is unsuitable.\n\nLine 1 could not be read as a heard-log "
            "record:\n\"Date\",\"Time\",\"Band\",\"Callsign\",\"S\"\n");
  EXPECT_EQ(out.str(), "");
}

// A folder once gave a 9-exabyte buffer (std::bad_alloc, abort).
TEST_F(SummariseCommand, AFolderIsNoLog) {
  EXPECT_EQ(run({dir.string(), "--by-band", "--beacon", "ZL6B"}), 1);
  EXPECT_EQ(err.str(), dir.string() + " is not a file.\n");
  EXPECT_EQ(out.str(), "");
}

TEST_F(SummariseCommand, RefusesToWriteOverItsOwnLog) {
  const std::string sameFile = (dir / "." / "log.csv").string();
  EXPECT_EQ(run({log, "--by-band", "--beacon", "ZL6B", "-o", sameFile}), 2);
  EXPECT_NE(err.str().find("would overwrite its own heard log"), std::string::npos) << err.str();
  std::ifstream in(log, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), kLog);
}

}  // namespace
}  // namespace harkola
