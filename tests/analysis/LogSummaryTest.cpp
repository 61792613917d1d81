#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "analysis/ChartPalette.h"
#include "analysis/LogSummary.h"
#include "LogTestData.h"

namespace harkola {
namespace {

using test::logImage;
using test::Rec;

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
  LogData d;
  EXPECT_TRUE(loadLog(logImage(recs), d));
  return summarise(d, req);
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
    LogData d;
    ASSERT_TRUE(loadLog(img, d));
    EXPECT_EQ(summarise(d, byBeacon(0, {"ZL6B"}))[1][9], expected) << levels.size() << " levels";
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
  LogData d;
  ASSERT_TRUE(loadLog(img, d));
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

}  // namespace
}  // namespace harkola
