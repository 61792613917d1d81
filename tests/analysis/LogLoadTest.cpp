#include <gtest/gtest.h>

#include <set>

#include "analysis/LogRecords.h"
#include "LogTestData.h"

namespace harkola {
namespace {

using test::logImage;

struct DateCase {
  const char* name;
  const char* text;
  LogDate date;  // year 0: refused
};

class LogDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(LogDateTest, ParsesStrictly) {
  const auto& c = GetParam();
  LogDate d;
  ASSERT_EQ(parseLogDate(c.text, d), c.date.year != 0) << c.text;
  if (c.date.year == 0) return;
  for (const LogDate& got : {d, dateOfSerial(daySerial(d))})  // the serial round-trips
    EXPECT_EQ(std::tie(got.year, got.month, got.day), std::tie(c.date.year, c.date.month, c.date.day));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, LogDateTest,
    ::testing::Values(DateCase{"Medium", "20-Aug-01", {2001, 8, 20}},
                      DateCase{"MediumLowerCase", "05-dec-26", {2026, 12, 5}},
                      DateCase{"ShortDayFirst", "20/08/01", {2001, 8, 20}},
                      DateCase{"ShortOneDigitParts", "3/1/01", {2001, 1, 3}},
                      DateCase{"FourDigitYear", "20/08/2001", {2001, 8, 20}},
                      DateCase{"Year29Is2029", "01/01/29", {2029, 1, 1}},
                      DateCase{"Year30Is1930", "01/01/30", {1930, 1, 1}},
                      DateCase{"Year99Is1999", "31-Dec-99", {1999, 12, 31}},
                      DateCase{"LeapDay", "29/02/04", {2004, 2, 29}}, DateCase{"Blanks", " 20/08/01 ", {2001, 8, 20}},
                      DateCase{"NoLeapDay", "29/02/01", {}}, DateCase{"MonthThirteen", "01/13/01", {}},
                      DateCase{"DayZero", "0/08/01", {}}, DateCase{"ThirtyFirstOfJune", "31-Jun-01", {}},
                      DateCase{"BadAbbreviation", "20-Agu-01", {}}, DateCase{"MixedSeparators", "20/08-01", {}},
                      DateCase{"Dots", "20.08.01", {}}, DateCase{"TrailingText", "20/08/01x", {}},
                      DateCase{"ThreeDigitYear", "20/08/201", {}}, DateCase{"Empty", "", {}}),
    [](const auto& info) { return info.param.name; });

TEST(LogDate, SerialAndShortText) {
  EXPECT_EQ(std::pair(daySerial({1899, 12, 30}), daySerial({2001, 8, 20})), std::pair(0, 37123));
  EXPECT_EQ(shortDateText({2001, 8, 20}) + shortDateText({1999, 1, 5}), "20/08/0105/01/99");
}

struct SLevelCase {
  const char* name;
  const char* text;
  std::int32_t value;
};
class SLevelTest : public ::testing::TestWithParam<SLevelCase> {};
TEST_P(SLevelTest, ConvertsLikeAWholeNumber) {
  EXPECT_EQ(sLevelOf(GetParam().text), GetParam().value) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(
    Texts, SLevelTest,
    ::testing::Values(SLevelCase{"Blanks", " 7 ", 7}, SLevelCase{"HalfDown", "2.5", 2}, SLevelCase{"HalfUp", "3.5", 4},
                      SLevelCase{"AboveHalf", "2.51", 3}, SLevelCase{"Negative", "-1", -1},
                      SLevelCase{"Max", "32767", 32767}, SLevelCase{"TooLarge", "32768", kNoSLevel},
                      SLevelCase{"Letters", "S9", kNoSLevel}, SLevelCase{"Empty", "", kNoSLevel},
                      SLevelCase{"Exponent", "1e3", kNoSLevel}, SLevelCase{"LonePoint", ".", kNoSLevel}),
    [](const auto& info) { return info.param.name; });

std::vector<std::array<std::string, 5>> rows(const LogData& d) {
  std::vector<std::array<std::string, 5>> out;
  for (std::size_t i = 0; i < d.records.size(); ++i) out.push_back(d.cells(i));
  return out;
}

// By date, then hour as a number, then band; equal keys keep the file order.
TEST(LogLoad, SortsNumericallyAndKeepsTheFileOrderOfEqualKeys) {
  LogData d;
  ASSERT_TRUE(loadLog(logImage({{"01/01/02", "2", "14", "LATER", "1"},
                                {"31/12/01", "10", "14", "TEN", "1"},
                                {"31/12/01", "9", "28", "NINE28", "1"},
                                {"31/12/01", "9", "18", "FIRST", "1"},
                                {"31/12/01", "9", "18", "SECOND", "1"},
                                {"31/12/01", "9", "18", "THIRD", "7"}}),
                      d));
  const auto r = rows(d);
  ASSERT_EQ(r.size(), 6u);
  EXPECT_EQ(r[2], (std::array<std::string, 5>{"31/12/01", "9", "18", "THIRD", "7"}));
  std::vector<std::string> calls;
  for (const auto& row : r) calls.push_back(row[3]);
  EXPECT_EQ(calls, (std::vector<std::string>{"FIRST", "SECOND", "THIRD", "NINE28", "TEN", "LATER"}));
}

TEST(LogLoad, UnquotedFieldsLoadLikeQuotedOnes) {
  LogData quoted, plain;
  ASSERT_TRUE(loadLog(logImage({{"20-Aug-01", "9", "14", "ZL6B", "1"}, {"21-Aug-01", "3", "28", "W6WX", "4"}}),
                      quoted));
  ASSERT_TRUE(loadLog("20-Aug-01,9,14,ZL6B,1\r\n21-Aug-01 , 3,28,W6WX,4\n", plain));
  EXPECT_EQ(rows(quoted), rows(plain));
}

TEST(LogLoad, BlankLinesAreNoRecords) {
  LogLoader loader("\r\n" + logImage({{"20/08/01", "9", "14", "ZL6B", "1"}}) + "\r\n\r\n" +
                   logImage({{"20/09/01", "9", "14", "ZL6B", "1"}}) + "\r\n  \r\n");
  while (loader.step(1) == LogLoader::State::Running) {
  }
  ASSERT_EQ(loader.state(), LogLoader::State::Done);
  EXPECT_EQ(loader.lineCount(), 2u);
  const LogData d = loader.take();
  EXPECT_EQ(d.records.size(), 2u);
}

// Whatever the size of the blocks a file is read in (a record, a CR LF or a line may be
// cut anywhere), the result is that of reading it whole.
struct BlockCase {
  const char* name;
  std::string image;
};
class BlockTest : public ::testing::TestWithParam<BlockCase> {};
TEST_P(BlockTest, ReadingInBlocksEqualsReadingWhole) {
  struct Result {
    LogLoader::State state;
    std::size_t lines, failedLine;
    std::string failedText;
    std::vector<std::array<std::string, 5>> rows;
    bool operator==(const Result&) const = default;
  };
  auto load = [](LogLoader& l) {
    while (l.step(3) == LogLoader::State::Running) {
    }
    Result r{l.state(), l.lineCount(), l.failedLine(), l.failedLineText(), {}};
    if (l.state() == LogLoader::State::Done) r.rows = rows(l.take());
    return r;
  };
  LogLoader whole(GetParam().image);
  const Result expected = load(whole);
  for (std::size_t block = 1; block <= 40; ++block) {
    LogLoader inBlocks(GetParam().image, block);
    EXPECT_EQ(load(inBlocks), expected) << "blocks of " << block;
  }
}
INSTANTIATE_TEST_SUITE_P(
    Images, BlockTest,
    ::testing::Values(
        BlockCase{"CrLfLfAndCr", "20/08/01,9,14,A,1\r\n\"21/08/01\",\"3\",\"28\",\"B\",\"4\"\n22/08/01,1,18,C,5\r\r\n"},
        BlockCase{"RecordOverLinesAndTwoOnALine",
                  "\"20/08/01\",\r\n\r\n\"9\",\"14\"\r\n,\"A\",\"1\",\"21/08/01\",\"2\",\"14\",\"B\",\"2\"\r\n"},
        BlockCase{"TextAfterQuotesAndBlanks", " \"20/08/01\"x ,\t9 ,\"14\",\"LONGERCALLSIGN\" ,\"1\"\r\n\r\n  \r\n"},
        BlockCase{"TornLastRecord", logImage({{"20/08/01", "9", "14", "A", "1"}}) + "\"21/08/01\",\"9\",\"1"},
        BlockCase{"BadDateLate", logImage({{"20/08/01", "9", "14", "A", "1"}, {"20/08/01", "9", "14", "A", "1"}}) +
                                     "\r\n\"31/02/01\",\"9\",\"14\",\"A\",\"1\"\r\nmore\r\n  \r\nlines\r\n"},
        BlockCase{"LineSplitHeading", "Date,Time,Band,Callsign,S\r\n20/08/01,9,14,ZL6B,1\r\n"},
        BlockCase{"OnlyCrLineEnds", "\r\r20/08/01,9,14,A,1\r21/08/01,9,14,A,1\r\r"}),
    [](const auto& info) { return info.param.name; });

// More distinct texts than the packed form has room for: such records are kept whole.
TEST(LogLoad, ManyDistinctTextsKeepEveryRecord) {
  std::string img;
  for (int i = 0; i < 600; ++i)
    img += logImage({{"20/08/01", i % 2 ? "9" : ("h" + std::to_string(i)).c_str(), "14",
                      ("C" + std::to_string(i)).c_str(), (std::to_string(i % 9 + 1) + ".0").c_str()}});
  LogData d;
  ASSERT_TRUE(loadLog(img, d));
  ASSERT_EQ(d.size(), 600u);
  std::set<std::string> calls, hours;
  for (std::size_t i = 0; i < d.size(); ++i) {
    calls.insert(d.cell(i, 3));
    hours.insert(d.cell(i, 1));
  }
  EXPECT_EQ(calls.size(), 600u);
  EXPECT_EQ(hours.size(), 301u);
  EXPECT_TRUE(hours.count("h598"));
}

// A refused log, and the line the user is told could not be read (0: none to blame).
struct BadLogCase {
  const char* name;
  std::string image;
  std::size_t line = 0;
  std::string lineText;
};
class BadLogTest : public ::testing::TestWithParam<BadLogCase> {};
TEST_P(BadLogTest, IsRefusedWithNothingLoaded) {
  LogData d;
  EXPECT_FALSE(loadLog(GetParam().image, d));
  EXPECT_TRUE(d.records.empty());
  LogLoader loader(GetParam().image);
  while (loader.step(1) == LogLoader::State::Running) {
  }
  EXPECT_EQ(loader.state(), LogLoader::State::Failed);
  EXPECT_EQ(loader.failedLine(), GetParam().line);
  EXPECT_EQ(loader.failedLineText(), GetParam().lineText);
}
INSTANTIATE_TEST_SUITE_P(
    Files, BadLogTest,
    ::testing::Values(
        BadLogCase{"NonDateFirstRecord",
                   logImage({{"Date", "Time", "Band", "Callsign", "S"}, {"20/08/01", "9", "14", "ZL6B", "1"}}), 1,
                   "\"Date\",\"Time\",\"Band\",\"Callsign\",\"S\""},
        BadLogCase{"NonDateLaterRecord",
                   logImage({{"20/08/01", "9", "14", "ZL6B", "1"}, {"32/08/01", "9", "14", "ZL6B", "1"}}), 2,
                   "\"32/08/01\",\"9\",\"14\",\"ZL6B\",\"1\""},
        BadLogCase{"AfterBlankLinesAndBareCRs", "20/08/01,9,14,ZL6B,1\r\n\r\n\r  \n\r20/08/01,9\n", 6, "20/08/01,9"},
        // A record appended onto a torn one (before logs were repaired at open): the line
        // where the failing record starts is named, not "unsuitable" for the whole log.
        BadLogCase{"RecordAppendedOntoATornOne",
                   logImage({{"07-Dec-26", "8", "14", "A", "5"}}) + "\"07-Dec-26\",\"8\",\"1" +
                       logImage({{"07-Dec-26", "8", "18", "VE8AT", "3"}}),
                   2, "\"VE8AT\",\"3\""},
        BadLogCase{"EndsInsideARecord",
                   logImage({{"20/08/01", "9", "14", "ZL6B", "1"}}) + "\"21/08/01\",\"9\"\r\n", 2,
                   "\"21/08/01\",\"9\""},
        BadLogCase{"UnquotedHeading", "Date,Time,Band,Callsign,S\r\n20/08/01,9,14,ZL6B,1\r\n", 1,
                   "Date,Time,Band,Callsign,S"},
        BadLogCase{"LongLineIsShortened", "\"20/08/01\",\"9\",\"14\",\"" + std::string(100, 'Q'), 1,
                   "\"20/08/01\",\"9\",\"14\",\"" + std::string(80 - 21, 'Q') + "..."},
        BadLogCase{"Empty", "", 0, ""}, BadLogCase{"OnlyBlankLines", "\r\n \r\n", 0, ""}),
    [](const auto& info) { return info.param.name; });

struct MonthCase {
  const char* name;
  const char* first;
  const char* last;
  std::vector<int> months;
};
class MonthListTest : public ::testing::TestWithParam<MonthCase> {};
TEST_P(MonthListTest, RunsFromFirstToLastInTimeOrder) {
  LogData d;
  ASSERT_TRUE(loadLog(logImage({{GetParam().first, "9", "14", "A", "1"}, {GetParam().last, "9", "14", "A", "1"}}),
                      d));
  EXPECT_EQ(d.months(), GetParam().months);
}
INSTANTIATE_TEST_SUITE_P(
    Spans, MonthListTest,
    ::testing::Values(MonthCase{"OneMonth", "01/08/01", "31/08/01", {8}},
                      MonthCase{"AcrossYearEnd", "15-Nov-01", "02-Feb-02", {11, 12, 1, 2}},
                      MonthCase{"ElevenMonths", "01/02/01", "01/12/01", {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
                      MonthCase{"SameMonthNextYear", "01/08/01", "01/08/02", {8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6, 7}},
                      MonthCase{"SeveralYears", "01/03/99", "01/01/03", {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace harkola
