#include "data/DefaultData.h"

#include <gtest/gtest.h>

#include <set>

#include "clock/BeaconSchedule.h"
#include "data/DataFile.h"
#include "data/StartupChecks.h"

namespace harkola {
namespace {

// The lines of a shipped file; every line must end in CR LF.
std::vector<std::string> lines(std::string_view text) {
  std::vector<std::string> out;
  for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
    end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      ADD_FAILURE() << "line without CR LF: " << text.substr(start);
      break;
    }
    out.emplace_back(text.substr(start, end - start));
  }
  return out;
}

TEST(DefaultFiles, NoZeroBytePadding) {
  for (std::string_view f : {defaultBeaconData(), defaultHomeData(), defaultRigData(kRigKenwood),
                             defaultRigData(kRigIcom), defaultRigData(kRigYaesu), defaultChartSample()}) {
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f.find('\0'), std::string_view::npos);
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

// The chart sample is a heard log a listener could really have written: every record
// names the beacon that is on that band in some slot of the hour.
TEST(ChartSample, ShapeAndSchedule) {
  ASSERT_EQ(lines(defaultChartSample()).size(), 107u);
  const auto f = readFields(defaultChartSample());
  ASSERT_EQ(f.size(), 107u * 5);
  const BeaconGrid beacons = parseBeacons(defaultBeaconData()).value();

  std::set<std::string> bands;
  for (std::size_t r = 0; r < 107; ++r) {
    const std::string* rec = &f[r * 5];
    bands.insert(rec[2]);
    const int band = bandFromMHz(std::stoi(rec[2]));
    int beacon = 1;
    while (beacon <= 18 && beacons[beacon][3] != rec[3]) ++beacon;
    ASSERT_LE(beacon, 18) << rec[3];
    ASSERT_GE(band, 0) << rec[2];
    EXPECT_EQ(beaconOnBand((beacon + band - 1) % 18 + 1, band), beacon) << r;
  }
  EXPECT_EQ(bands.size(), 5u);  // something to chart on every band
}

}  // namespace
}  // namespace harkola
