// A heard log loaded (dates, S levels, sorting, refused images in any blocks, the month
// list), its summary, its file, its chart's colours, and harkola-cli summarise.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "analysis/ChartPalette.h"
#include "analysis/LogRecords.h"
#include "analysis/LogSummary.h"
#include "cli/Commands.h"
#include "LogTestData.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

using test::logImage;
using test::Rec;

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
  EXPECT_EQ(shortDateText({2001, 8, 20}) + shortDateText({1999, 1, 5}), "20/08/0105/01/99");
}

TEST(SLevel, ConvertsLikeAWholeNumber) {
  const std::pair<const char*, std::int32_t> rows[] = {
      {" 7 ", 7},      {"2.5", 2},           {"3.5", 4},        {"2.51", 3},     {"-1", -1},
      {"32767", 32767}, {"32768", kNoSLevel}, {"S9", kNoSLevel}, {"", kNoSLevel}, {"1e3", kNoSLevel},
      {".", kNoSLevel}};
  for (const auto& [text, value] : rows) EXPECT_EQ(sLevelOf(text), value) << text;
}

// A log image loaded whole.
LogData loaded(const std::string& image) {
  LogData d;
  EXPECT_TRUE(loadLog(image, d)) << image.substr(0, 80);
  return d;
}

std::vector<std::array<std::string, 5>> rows(const LogData& d) {
  std::vector<std::array<std::string, 5>> out;
  for (std::size_t i = 0; i < d.records.size(); ++i) out.push_back(d.cells(i));
  return out;
}

// By date, then hour as a number, then band; equal keys keep the file order.
TEST(LogLoad, SortsNumericallyAndKeepsTheFileOrderOfEqualKeys) {
  const auto r = rows(loaded(logImage({{"01/01/02", "2", "14", "LATER", "1"},
                                        {"31/12/01", "10", "14", "TEN", "1"},
                                        {"31/12/01", "9", "28", "NINE28", "1"},
                                        {"31/12/01", "9", "18", "FIRST", "1"},
                                        {"31/12/01", "9", "18", "SECOND", "1"},
                                        {"31/12/01", "9", "18", "THIRD", "7"}})));
  ASSERT_EQ(r.size(), 6u);
  EXPECT_EQ(r[2], (std::array<std::string, 5>{"31/12/01", "9", "18", "THIRD", "7"}));
  std::vector<std::string> calls;
  for (const auto& row : r) calls.push_back(row[3]);
  EXPECT_EQ(calls, (std::vector<std::string>{"FIRST", "SECOND", "THIRD", "NINE28", "TEN", "LATER"}));
}

// Unquoted fields and blank lines (no records) load as the quoted log does.
TEST(LogLoad, UnquotedFieldsAndBlankLinesLoadLikeTheQuotedLog) {
  const LogData quoted =
      loaded(logImage({{"20-Aug-01", "9", "14", "ZL6B", "1"}, {"21-Aug-01", "3", "28", "W6WX", "4"}}));
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
  const LogData d = loaded(img);
  std::set<std::string> calls, hours;
  for (std::size_t i = 0; i < d.size(); ++i) {
    calls.insert(d.cell(i, 3));
    hours.insert(d.cell(i, 1));
  }
  EXPECT_EQ(calls.size(), 600u);
  EXPECT_EQ(hours.size(), 301u);
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
    const LogData d = loaded(logImage({{r.first, "9", "14", "A", "1"}, {r.last, "9", "14", "A", "1"}}));
    EXPECT_EQ(d.months(), r.months) << r.first << " to " << r.last;
  }
}


SummaryRequest byBeacon(int band, std::vector<std::string> beacons) {
  SummaryRequest r;
  r.band = band;
  r.beacons = std::move(beacons);
  r.months.fill(true);
  return r;
}

SummaryRequest byBand(std::string call, std::vector<int> bands) {
  SummaryRequest r;
  r.mode = SummaryMode::ByBand;
  r.callsign = std::move(call);
  r.bands = std::move(bands);
  r.months.fill(true);
  return r;
}

SummaryTable run(std::initializer_list<Rec> recs, const SummaryRequest& req = byBeacon(0, {"ZL6B"})) {
  return summarise(loaded(logImage(recs)), req);
}

// The row as {hour: text} for the hours that are not "0".
std::map<int, std::string> nonZero(const SummaryTable& t, std::size_t row = 1) {
  std::map<int, std::string> m;
  for (std::size_t h = 1; h < 24; ++h)
    if (t.at(row).at(h) != "0") m[static_cast<int>(h)] = t[row][h];
  return m;
}

// Records of ZL6B, 14 MHz, hour 9 with these S levels: the cell shows the rounded average.
TEST(LogSummary, ACellShowsTheRoundedAverage) {
  const std::pair<std::vector<const char*>, const char*> rows[] = {
      {{"2", "3"}, "2"},  {{"3", "4"}, "4"},     {{"1", "2", "2"}, "2"}, {{"0", "0"}, "0"},
      {{"x", "5", ""}, "5"},  // a level that is no number is not counted
      {{"S9", "-"}, "0"}, {{"-3", "1"}, "0"}};  // a negative sum shows 0
  for (const auto& [levels, expected] : rows) {
    std::string img;
    for (const char* s : levels) img += logImage({{"20/08/01", "9", "14", "ZL6B", s}});
    EXPECT_EQ(summarise(loaded(img), byBeacon(0, {"ZL6B"}))[1][9], expected) << levels.size() << " levels";
  }
}

TEST(LogSummary, ByBandMatchesTheTickedBands) {
  const auto t = run({{"20/08/01", "9", "18", "ZL6B", "4"},
                      {"20/08/01", "9", "14", "ZL6B", "6"},
                      {"20/08/01", "9", "18", "OH2B", "9"}},  // other beacon
                     byBand("ZL6B", {1, 4}));
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0][0] + t[1][0] + t[2][0], "Band18MHz28MHz");
  EXPECT_EQ(nonZero(t, 1), (std::map<int, std::string>{{9, "4"}}));
  EXPECT_TRUE(nonZero(t, 2).empty());
  // No row chosen: the heading and one empty row.
  EXPECT_EQ(run({{"20/08/01", "9", "14", "ZL6B", "2"}}, byBand("ZL6B", {})),
            (SummaryTable{t[0], std::vector<std::string>(24)}));
}

// The table must equal the plain definition: every cell scans every record (rows in the
// chosen order, callsigns in any case, only the plain hours 1..23, only the chosen months).
TEST(LogSummary, OnePassEqualsCellByCellScan) {
  std::mt19937 rng(7);
  const char* calls[] = {"ZL6B", "zl6b", "OH2B", "W6WX", "4U1UN"};
  const char* bands[] = {"14", "18", "21", "24", "28", "7"};
  const char* hours[] = {"0", "1", "9", "09", "12", "23", "24"};
  const char* levels[] = {"0", "1", "5", "9", "2.5", "x", "-2"};
  const char* dates[] = {"20/08/01", "03/09/01", "15-Oct-01", "20/08/02"};
  std::string img;
  std::vector<Rec> raw;
  for (int i = 0; i < 3000; ++i)
    img += logImage({raw.emplace_back(dates[rng() % 4], hours[rng() % 7], bands[rng() % 6], calls[rng() % 5], levels[rng() % 7])});
  const LogData d = loaded(img);
  auto req = byBeacon(0, {"ZL6B", "OH2B", "W6WX"});
  req.months = {};
  req.months[8] = req.months[10] = true;
  for (int band = 0; band < 5; ++band) {
    req.band = band;
    const auto t = summarise(d, req);
    for (std::size_t row = 0; row < req.beacons.size(); ++row) {
      for (int h = 1; h < 24; ++h) {
        std::int64_t sum = 0, count = 0;
        for (const Rec& r : raw) {
          LogDate date;
          ASSERT_TRUE(parseLogDate(r.date, date));
          std::string call = r.call;
          for (auto& c : call) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
          if (!req.months[date.month] || r.band != bandInfo(band).text || call != req.beacons[row] ||
              r.hour != std::to_string(h) || sLevelOf(r.s) == kNoSLevel)
            continue;
          sum += sLevelOf(r.s);
          ++count;
        }
        EXPECT_EQ(t[row + 1][static_cast<std::size_t>(h)], averageText(sum, count))
            << "band " << band << " row " << row << " hour " << h;
      }
    }
  }
}

// A one-record log: the full heading, one row, every cell quoted, CR LF.
TEST(SummaryFile, OneRecordLogEveryCellQuotedAndCrLf) {
  const auto t = run({{"20/08/01", "9", "14", "ZL6B", "3"}});
  std::string expected = "\"Callsign\"";
  for (int h = 1; h < 24; ++h) expected += ",\"" + std::to_string(h) + " hrs\"";
  expected += "\r\n\"ZL6B\"";
  for (int h = 1; h < 24; ++h) expected += h == 9 ? ",\"3\"" : ",\"0\"";
  EXPECT_EQ(formatSummaryFile(t), expected + "\r\n");
}

TEST(SummaryTexts, FootnoteMonthsAndTooltip) {
  std::array<bool, 13> sel{};
  sel[8] = sel[11] = sel[1] = true;
  EXPECT_EQ(summaryFootnote("/logs/a.csv", byBeacon(2, {}), monthsText({11, 12, 1, 8}, sel)),
            "FILE - /logs/a.csv     BAND - 21MHz    MONTHS - November, January, August");
  EXPECT_EQ(summaryFootnote("a.csv", byBand("ZL6B", {}), "August"),
            "FILE - a.csv     BEACON - ZL6B    MONTHS - August");
  EXPECT_EQ(pointTooltip("4", 7), "Signal strength: 4, Time: 7hrs");
}

double linear(int c) {
  const double v = c / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// Relative luminance (sRGB) and the CIELAB coordinates (D65) of a colour.
double luminance(ChartColour c) {
  return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
}

std::array<double, 3> lab(ChartColour c) {
  const double r = linear(c.red), g = linear(c.green), b = linear(c.blue);
  const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
  const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
  auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0; };
  return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

// Eighteen beacons on one chart: every pair of lines told apart, none fading into the
// white background (a light yellow or a grey near white would).
TEST(ChartPalette, EighteenColoursDistinctAndVisibleOnWhite) {
  for (int a = 1; a <= kChartColourCount; ++a) {
    const double contrast = 1.05 / (luminance(seriesColour(a)) + 0.05);
    EXPECT_GE(contrast, 2.4) << "series " << a;
    for (int b = a + 1; b <= kChartColourCount; ++b) {
      const auto p = lab(seriesColour(a)), q = lab(seriesColour(b));
      const double delta = std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
      EXPECT_GE(delta, 20.0) << "series " << a << " and " << b;
    }
  }
  const ChartColour first = seriesColour(1), again = seriesColour(kChartColourCount + 1);
  EXPECT_EQ(std::tuple(first.red, first.green, first.blue), std::tuple(again.red, again.green, again.blue));
}

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
    return formatSummaryFile(summarise(loaded(kLog), req));
  }

  test::TempFolder tmp{"harkola-summarise"};
  const fs::path& dir = tmp.path;
  std::string log;
  std::ostringstream out, err;
};

// The options give the request the window makes; by band to a file, with the defaults.
TEST_F(SummariseCommand, WritesTheSummaryFileTextOfTheRequest) {
  SummaryRequest req;
  req.beacons = {"ZL6B", "OH2B"};  // beacon order, not the order given
  req.months[8] = true;
  ASSERT_EQ(run({log, "--by-beacon", "--band", "14", "--beacons", "oh2b,ZL6B", "--months", "August"}), 0)
      << err.str();
  EXPECT_EQ(out.str(), windowFile(req));
  ASSERT_EQ(run({log, "--by-beacon", "--band", "21"}), 0) << err.str();  // all eighteen beacons
  const std::string all = out.str();
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 19);

  const std::string o = (dir / "out.csv").string();
  ASSERT_EQ(run({log, "--by-band", "--beacon", "zl6b", "-o", o}), 0) << err.str();
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(test::fileText(o), windowFile(byBand("ZL6B", {0, 1, 2, 3, 4})));
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

  ::setenv("HARKOLA_LOG_FOLDER", dir.c_str(), 1);  // not set in the suite
  const fs::path live = dir / "Harkola 5 Heard Log.csv";
  std::ofstream(live, std::ios::binary) << kLog;
  const int status = run({log, "--by-band", "--beacon", "ZL6B", "-o", live.string()});
  ::unsetenv("HARKOLA_LOG_FOLDER");
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
