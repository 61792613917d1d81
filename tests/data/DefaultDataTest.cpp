#include "data/DefaultData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/PublicDecs.h"
#include "clock/BeaconSchedule.h"
#include "data/DataFile.h"

namespace harkola {
namespace {

std::vector<std::string> lines(std::string_view text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string_view::npos) << "every line ends in CR LF";
    if (end == std::string_view::npos) break;
    out.emplace_back(text.substr(start, end - start));
    start = end + 2;
  }
  return out;
}

TEST(DefaultFiles, NoZeroBytePadding) {
  for (std::string_view f : {defaultBeaconData(), defaultHomeData(), defaultRigData(kRigKenwood),
                             defaultRigData(kRigIcom), defaultRigData(kRigYaesu), defaultChartSample()}) {
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f.find('\0'), std::string_view::npos);
    EXPECT_TRUE(f.ends_with("\r\n"));
  }
  EXPECT_TRUE(defaultRigData(999).empty());
}

TEST(DefaultFiles, BeaconNoteIsOpenToTheLineEnd) {
  const auto l = lines(defaultBeaconData());
  ASSERT_EQ(l.size(), 18u);
  for (const auto& line : l) EXPECT_TRUE(line.ends_with(",\"Default data - November 2000")) << line;
  EXPECT_EQ(l[3], "\"4\",\"Hawaii\",\"KH6WO\",\"OK\",\"No output\",\"OK\",\"No output\",\"OK\","
                  "\"157\",\"55\",\"West\",\"21\",\"38\",\"North\",\"Default data - November 2000");
}

struct RigCase {
  int maker;
  const char* name;
  std::array<std::string, 2> row0, row6, row7, row15, row20;
};

class RigDefault : public ::testing::TestWithParam<RigCase> {};

TEST_P(RigDefault, TwentyTwoLabelValueLines) {
  const RigCase& c = GetParam();
  const auto l = lines(defaultRigData(c.maker));
  ASSERT_EQ(l.size(), 22u);
  const auto f = readFields(defaultRigData(c.maker));
  ASSERT_EQ(f.size(), 44u);
  auto row = [&](int r) { return std::array<std::string, 2>{f[2 * r], f[2 * r + 1]}; };
  EXPECT_EQ(row(0), c.row0);
  EXPECT_EQ(row(6), c.row6);
  EXPECT_EQ(row(7), c.row7);
  EXPECT_EQ(row(15), c.row15);
  EXPECT_EQ(row(20), c.row20);
  EXPECT_EQ(l[21], "\"\",\"False\"");
  EXPECT_EQ(l[10], "\"\",\"\"");
}

INSTANTIATE_TEST_SUITE_P(
    Makers, RigDefault,
    ::testing::Values(
        RigCase{kRigKenwood, "Kenwood", {"Com", "1"}, {"", "Kenwood"}, {"CW mode", "MD3;"},
                {"14.110", "FA00014110000;"}, {"End freq.", "FA00007050000;"}},
        RigCase{kRigIcom, "Icom", {"Com", "1"}, {"", "Icom"}, {"CW mode", "FEFE00E00103FD"},
                {"14.110", "FEFE00E0000000101400FD"}, {"End freq.", "FEFE00E0000000050700FD"}},
        RigCase{kRigYaesu, "Yaesu", {"Com", "2"}, {"", "Yaesu"}, {"CW mode", "000000020C"},
                {"14.110", "000041010A"}, {"End freq.", "005070000A"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The chart sample is a heard log a listener could really have written.
TEST(ChartSample, ShapeAndSchedule) {
  const auto l = lines(defaultChartSample());
  ASSERT_EQ(l.size(), 107u);
  const auto f = readFields(defaultChartSample());
  ASSERT_EQ(f.size(), 107u * 5);

  const auto beacons = readFields(defaultBeaconData());
  auto beaconOfCall = [&](const std::string& call) {
    for (int b = 1; b <= 18; ++b)
      if (beacons[(b - 1) * 15 + 2] == call) return b;
    return 0;
  };

  std::set<std::string> dates, bands, levels;
  std::set<int> hours;
  std::vector<std::tuple<std::string, int, int>> keys;
  for (std::size_t r = 0; r < 107; ++r) {
    const std::string* rec = &f[r * 5];
    dates.insert(rec[0]);
    const int hour = std::stoi(rec[1]);
    hours.insert(hour);
    bands.insert(rec[2]);
    levels.insert(rec[4]);
    const int band = bandFromMHz(std::stoi(rec[2]));
    ASSERT_GE(band, 0) << rec[2];
    const int beacon = beaconOfCall(rec[3]);
    ASSERT_GT(beacon, 0) << rec[3];
    // The beacon is on that band in slot beacon + band (wrapping), which every hour holds.
    const int slot = (beacon + band - 1) % 18 + 1;
    EXPECT_EQ(beaconOnBand(slot, band), beacon);
    keys.emplace_back(rec[0], hour, std::stoi(rec[2]));
  }
  EXPECT_EQ(dates, (std::set<std::string>{"20/08/01", "22/08/01"}));
  EXPECT_EQ(*hours.begin(), 9);
  EXPECT_EQ(*hours.rbegin(), 17);
  EXPECT_EQ(bands, (std::set<std::string>{"14", "18", "21", "24", "28"}));
  EXPECT_EQ(levels, (std::set<std::string>{"1", "2", "3", "4", "5", "6", "7", "8"}));
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys.front(), std::make_tuple(std::string("20/08/01"), 9, 14));
}

}  // namespace
}  // namespace harkola
