// The heard log file on a real disk: records whole or not at all, a torn end repaired.
#include "clock/HeardLog.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "analysis/LogRecords.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

namespace fs = std::filesystem;

const std::string kRecord1 = "\"07-Dec-26\",\"8\",\"14\",\"4U1UN\",\"5\"\r\n";
const std::string kRecord2 = "\"07-Dec-26\",\"8\",\"18\",\"VE8AT\",\"3\"\r\n";

// After a torn record the next start must not append onto it: analysis would then
// refuse the whole log. Each row: the log as an interrupted write left it, what opening
// keeps of it.
TEST(HeardLogOpen, CutsATornEndBackToTheLastCompleteRecord) {
  const struct {
    const char* name;
    std::string before, kept;
  } rows[] = {{"new_log", "", ""},
              {"complete", kRecord1, kRecord1},
              {"torn_in_a_field", kRecord1 + "\"07-Dec-26\",\"8\",\"1", kRecord1},
              {"torn_between_cr_and_lf", kRecord1 + kRecord2.substr(0, kRecord2.size() - 1), kRecord1},
              {"only_a_torn_record", "\"07-Dec", ""}};
  test::TempFolder dir{"harkola-heardlog"};
  for (const auto& c : rows) {
    SCOPED_TRACE(c.name);
    const fs::path path = dir / (std::string(c.name) + ".csv");
    std::ofstream(path, std::ios::binary) << c.before;
    HeardLogFile log;
    ASSERT_TRUE(log.open(path));
    EXPECT_EQ(test::fileText(path), c.kept);
    const std::string cut = std::to_string(c.before.size() - c.kept.size()) + " bytes";
    EXPECT_EQ(log.repairNotice().find(cut) != std::string::npos, c.kept != c.before) << log.repairNotice();
    ASSERT_TRUE(log.write(kRecord2));
    EXPECT_EQ(test::fileText(path), c.kept + kRecord2);
    LogData data;
    EXPECT_TRUE(loadLog(test::fileText(path), data));
  }
}

// A full disk, made real with a file-size limit: the write stops part-way through the
// record, and the file must end with the last complete record again.
TEST(HeardLogWrite, AFailedWriteLeavesNoPartOfTheRecord) {
  test::TempFolder dir{"harkola-heardlog"};
  const fs::path path = dir / "log.csv";
  HeardLogFile log;
  ASSERT_TRUE(log.open(path));
  ASSERT_TRUE(log.write(kRecord1));

  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = kRecord1.size() + 10;  // room for 10 bytes of the next record
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = log.write(kRecord2);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(written);
  EXPECT_EQ(test::fileText(path), kRecord1);
  ASSERT_TRUE(log.write(kRecord2));  // room again: logging goes on
  EXPECT_EQ(test::fileText(path), kRecord1 + kRecord2);
}

}  // namespace
}  // namespace harkola
