#include <gtest/gtest.h>

#include <set>

#include "analysis/LogRecords.h"
#include "LogTestData.h"

namespace harkola {
namespace {

using test::logImage;

// Year 0: refused. A date read is also the date of its serial.
TEST(LogDate, ParsesStrictlyAndRoundTripsItsSerial) {
  const struct {
    const char* text;
    LogDate date;
  } rows[] = {{"20-Aug-01", {2001, 8, 20}}, {"05-dec-26", {2026, 12, 5}}, {"20/08/01", {2001, 8, 20}},
              {"3/1/01", {2001, 1, 3}},     {"20/08/2001", {2001, 8, 20}}, {"01/01/29", {2029, 1, 1}},
              {"01/01/30", {1930, 1, 1}},   {"31-Dec-99", {1999, 12, 31}}, {"29/02/04", {2004, 2, 29}},
              {" 20/08/01 ", {2001, 8, 20}}, {"29/02/01", {}}, {"01/13/01", {}}, {"0/08/01", {}},
              {"31-Jun-01", {}}, {"20-Agu-01", {}}, {"20/08-01", {}}, {"20.08.01", {}}, {"20/08/01x", {}},
              {"20/08/201", {}}, {"", {}}};
  for (const auto& r : rows) {
    LogDate d;
    const bool read = parseLogDate(r.text, d);
    EXPECT_EQ(read, r.date.year != 0) << r.text;
    if (!read || r.date.year == 0) continue;
    for (const LogDate& got : {d, dateOfSerial(daySerial(d))})
      EXPECT_EQ(std::tie(got.year, got.month, got.day), std::tie(r.date.year, r.date.month, r.date.day))
          << r.text;
  }
  EXPECT_EQ(std::pair(daySerial({1899, 12, 30}), daySerial({2001, 8, 20})), std::pair(0, 37123));
  EXPECT_EQ(shortDateText({2001, 8, 20}) + shortDateText({1999, 1, 5}), "20/08/0105/01/99");
}

TEST(SLevel, ConvertsLikeAWholeNumber) {
  const std::pair<const char*, std::int32_t> rows[] = {
      {" 7 ", 7},      {"2.5", 2},           {"3.5", 4},        {"2.51", 3},     {"-1", -1},
      {"32767", 32767}, {"32768", kNoSLevel}, {"S9", kNoSLevel}, {"", kNoSLevel}, {"1e3", kNoSLevel},
      {".", kNoSLevel}};
  for (const auto& [text, value] : rows) EXPECT_EQ(sLevelOf(text), value) << text;
}

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

// Unquoted fields and blank lines (no records) load as the quoted log does.
TEST(LogLoad, UnquotedFieldsAndBlankLinesLoadLikeTheQuotedLog) {
  LogData quoted;
  ASSERT_TRUE(loadLog(logImage({{"20-Aug-01", "9", "14", "ZL6B", "1"}, {"21-Aug-01", "3", "28", "W6WX", "4"}}),
                      quoted));
  LogLoader plain(std::string("\r\n20-Aug-01,9,14,ZL6B,1\r\n\r\n  \r\n21-Aug-01 , 3,28,W6WX,4\n\r\n"));
  while (plain.step(1) == LogLoader::State::Running) {
  }
  EXPECT_EQ(plain.lineCount(), 2u);  // the window's "Total records in file" counts no blank line
  EXPECT_EQ(rows(plain.take()), rows(quoted));
}

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

// A log image read whole: its records, or refused with nothing loaded and the line the
// user is told could not be read (0: none to blame). Whatever the size of the blocks it
// is read in (a record, a CR LF or a line may be cut anywhere), the result is the same.
struct ImageCase {
  std::string image;
  bool loads = false;
  std::size_t line = 0;
  std::string lineText = "";
};

void expectLoadedAlikeInAnyBlocks(const ImageCase& c) {
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
  LogLoader whole(c.image);
  const Result expected = load(whole);
  EXPECT_EQ(expected.state, c.loads ? LogLoader::State::Done : LogLoader::State::Failed);
  EXPECT_EQ(std::pair(expected.failedLine, expected.failedText), std::pair(c.line, c.lineText));
  LogData d;
  EXPECT_EQ(loadLog(c.image, d), c.loads);
  EXPECT_EQ(rows(d), expected.rows);
  for (std::size_t block = 1; block <= 40; ++block) {
    LogLoader inBlocks(c.image, block);
    EXPECT_EQ(load(inBlocks), expected) << "blocks of " << block;
  }
}

TEST(LogLoad, ImagesLoadOrAreRefusedAlikeInAnyBlocks) {
  const ImageCase rows[] = {
      {"20/08/01,9,14,A,1\r\n\"21/08/01\",\"3\",\"28\",\"B\",\"4\"\n22/08/01,1,18,C,5\r\r\n", true},
      // The comma that opens line 4 makes an empty fourth field: "1" is read as a date.
      {"\"20/08/01\",\r\n\r\n\"9\",\"14\"\r\n,\"A\",\"1\",\"21/08/01\",\"2\",\"14\",\"B\",\"2\"\r\n", false, 4,
       "\"1\",\"21/08/01\",\"2\",\"14\",\"B\",\"2\""},
      {" \"20/08/01\"x ,\t9 ,\"14\",\"LONGERCALLSIGN\" ,\"1\"\r\n\r\n  \r\n", true},
      {"\r\r20/08/01,9,14,A,1\r21/08/01,9,14,A,1\r\r", true},
      {logImage({{"Date", "Time", "Band", "Callsign", "S"}, {"20/08/01", "9", "14", "ZL6B", "1"}}), false, 1,
       "\"Date\",\"Time\",\"Band\",\"Callsign\",\"S\""},
      // The lines after the bad one still count towards the window's total.
      {logImage({{"20/08/01", "9", "14", "A", "1"}, {"20/08/01", "9", "14", "A", "1"}}) +
           "\r\n\"31/02/01\",\"9\",\"14\",\"A\",\"1\"\r\nmore\r\n  \r\nlines\r\n",
       false, 4, "\"31/02/01\",\"9\",\"14\",\"A\",\"1\""},
      {"20/08/01,9,14,ZL6B,1\r\n\r\n\r  \n\r20/08/01,9\n", false, 6, "20/08/01,9"},
      // A record appended onto a torn one (before logs were repaired at open): the line
      // where the failing record starts is named, not "unsuitable" for the whole log.
      {logImage({{"07-Dec-26", "8", "14", "A", "5"}}) + "\"07-Dec-26\",\"8\",\"1" +
           logImage({{"07-Dec-26", "8", "18", "VE8AT", "3"}}),
       false, 2, "\"VE8AT\",\"3\""},
      {logImage({{"20/08/01", "9", "14", "ZL6B", "1"}}) + "\"21/08/01\",\"9\"\r\n", false, 2,
       "\"21/08/01\",\"9\""},
      {logImage({{"20/08/01", "9", "14", "A", "1"}}) + "\"21/08/01\",\"9\",\"1", false, 2,
       "\"21/08/01\",\"9\",\"1"},
      {"Date,Time,Band,Callsign,S\r\n20/08/01,9,14,ZL6B,1\r\n", false, 1, "Date,Time,Band,Callsign,S"},
      {"\"20/08/01\",\"9\",\"14\",\"" + std::string(100, 'Q'), false, 1,
       "\"20/08/01\",\"9\",\"14\",\"" + std::string(80 - 21, 'Q') + "..."},
      {""},
      {"\r\n \r\n"}};
  for (const ImageCase& c : rows) {
    SCOPED_TRACE(c.image.substr(0, 40));
    expectLoadedAlikeInAnyBlocks(c);
  }
}

TEST(LogLoad, MonthListRunsFromFirstToLastInTimeOrder) {
  const struct {
    const char *first, *last;
    std::vector<int> months;
  } rows[] = {{"01/08/01", "31/08/01", {8}},
              {"15-Nov-01", "02-Feb-02", {11, 12, 1, 2}},
              {"01/02/01", "01/12/01", {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
              {"01/08/01", "01/08/02", {8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6, 7}},   // the same month a year on
              {"01/03/99", "01/01/03", {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2}}};  // several years
  for (const auto& r : rows) {
    LogData d;
    ASSERT_TRUE(loadLog(logImage({{r.first, "9", "14", "A", "1"}, {r.last, "9", "14", "A", "1"}}), d));
    EXPECT_EQ(d.months(), r.months) << r.first << " to " << r.last;
  }
}

}  // namespace
}  // namespace harkola
