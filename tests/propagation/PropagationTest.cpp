// Great circles and projections against the program's own distance/azimuth table, and
// the sun against published solar figures. The grid filled from slot and heard logs
// written here, the incremental reader, the band scan driven tick by tick against a rig
// that records what it is told; the history read on threads (a log read as two halves at
// once ends as it does read whole), and the quick check of slot-log lines that decides as
// the full reading does.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "clock/BeaconSchedule.h"
#include "data/DataFile.h"
#include "data/ArrayCalcsModule.h"
#include "propagation/BandScan.h"
#include "propagation/BeaconSites.h"
#include "propagation/Coastlines.h"
#include "propagation/HistoryLoadTask.h"
#include "propagation/MapProjection.h"
#include "propagation/ResultLogReader.h"
#include "propagation/SolarPosition.h"
#include "support/Files.h"
#include "support/ShippedData.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

double angleDiff(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

// The table works in whole miles (rounded down) with pi = 22/7 in every conversion; the
// map's true great circle must stay within one degree and about 0.1 % of it for every
// default beacon, or the map and the main window would disagree visibly. (22/7 moves
// the far southern beacons' latitudes most: LU4AA's table distance is 0.114 % long.)
TEST(GreatCircle, DistanceAndBearingAgreeWithTheDistAzTable) {
  const PublicDecs d = test::shippedDecs();
  const GeoPoint home = homePoint(d);
  ASSERT_EQ(beaconSites(d).size(), 18u);
  for (const BeaconSite& site : beaconSites(d)) {
    const DistAz table = d.DistAzTable[static_cast<std::size_t>(site.number)];
    const double miles = distanceKm(home, site.where) * 0.62;
    EXPECT_NEAR(miles, table.distance + 0.5, table.distance * 0.0012 + 0.5) << site.callsign;
    EXPECT_LE(angleDiff(initialBearingDeg(home, site.where), table.azimuth + 0.5), 1.0) << site.callsign;
  }
}

TEST(GreatCircle, AntipodeAndSamePlace) {
  const GeoPoint london{51.5, -0.1};
  const GeoPoint antipode{-51.5, 179.9};
  EXPECT_NEAR(centralAngleDeg(london, antipode), 180.0, 1e-9);
  EXPECT_EQ(initialBearingDeg(london, antipode), 0.0);
  // The path is still a great circle: due north over the pole, evenly spaced, ending at
  // the antipode rather than wandering off.
  const auto path = greatCirclePath(london, antipode, 5);
  ASSERT_EQ(path.size(), 5u);
  EXPECT_NEAR(centralAngleDeg(path[4], antipode), 0.0, 1e-9);
  EXPECT_NEAR(path[1].latitude, 180.0 - (51.5 + 45.0), 1e-6);  // 45 degrees on, past the pole
  for (std::size_t i = 1; i < path.size(); ++i)
    EXPECT_NEAR(centralAngleDeg(path[i - 1], path[i]), 45.0, 1e-6) << i;

  // Home at the beacon: no distance, bearing 0, a path that stays put.
  EXPECT_EQ(distanceKm(london, london), 0.0);
  EXPECT_EQ(initialBearingDeg(london, london), 0.0);
  for (const GeoPoint& p : greatCirclePath(london, london, 3)) EXPECT_NEAR(centralAngleDeg(p, london), 0.0, 1e-12);
}

TEST(GreatCircle, PathAcrossTheDateLineStaysShort) {
  const GeoPoint a{20.0, 170.0}, b{20.0, -170.0};
  for (const GeoPoint& p : greatCirclePath(a, b, 9))
    EXPECT_TRUE(p.longitude >= 170.0 || p.longitude <= -170.0) << p.longitude;
}

TEST(MapProjection, AzimuthalReadsDistanceAndBearing) {
  const GeoPoint home{52.42, -0.03};
  const MapProjection az(ProjectionKind::AzimuthalEquidistant, home);
  const MapXY centre = az.project(home);
  EXPECT_NEAR(std::hypot(centre.x, centre.y), 0.0, 1e-12);
  // Due east at a quarter of the globe: half way to the rim, on the x axis.
  const MapXY east = az.project(destination(home, 90.0, 90.0));
  EXPECT_NEAR(std::hypot(east.x - 0.5, east.y), 0.0, 1e-9);
  const MapXY anti = az.project(GeoPoint{-52.42, 179.97});
  EXPECT_NEAR(std::hypot(anti.x, anti.y), 1.0, 1e-9);
  EXPECT_FALSE(az.unproject(MapXY{0.8, 0.8}).has_value());

  for (const MapProjection& m : {az, MapProjection(ProjectionKind::Equirectangular, home)}) {
    for (const GeoPoint& p : {GeoPoint{-33.9, 18.4}, GeoPoint{40.7, -74.0}, GeoPoint{-41.1, 175.6}}) {
      const auto back = m.unproject(m.project(p));
      ASSERT_TRUE(back.has_value());
      EXPECT_NEAR(centralAngleDeg(*back, p), 0.0, 1e-9);
    }
  }
}

TEST(MapProjection, LinesBreakAtTheSeamOnly) {
  const MapProjection eq(ProjectionKind::Equirectangular, GeoPoint{52.0, 0.0});
  EXPECT_TRUE(eq.breaksBetween(eq.project({10, 179.5}), eq.project({10, -179.5})));
  EXPECT_FALSE(eq.breaksBetween(eq.project({10, 10}), eq.project({10, 12})));
  const MapProjection az(ProjectionKind::AzimuthalEquidistant, GeoPoint{52.0, 0.0});
  // Two points a degree apart beside the antipode land on opposite sides of the disc.
  EXPECT_TRUE(az.breaksBetween(az.project({-52.0, 179.5}), az.project({-52.0, -179.5})));
  EXPECT_FALSE(az.breaksBetween(az.project({40, 10}), az.project({40, 11})));
}

std::chrono::system_clock::time_point utc(int y, unsigned mo, unsigned d, int h, int mi) {
  using namespace std::chrono;
  return sys_days{year{y} / month{mo} / day{d}} + hours{h} + minutes{mi};
}

// Published figures: the instants of the 2024 equinox and solstices (declination 0,
// +23.44, -23.44) and the extremes of the equation of time (-14 min 13 s on 11
// February, +16 min 26 s on 3 November).
TEST(Sun, DeclinationAndEquationOfTimeMatchPublishedFigures) {
  for (const auto& [when, declination] : {std::pair(utc(2024, 3, 20, 3, 6), 0.0),
                                          std::pair(utc(2024, 6, 20, 20, 51), 23.44),
                                          std::pair(utc(2024, 12, 21, 9, 21), -23.44)})
    EXPECT_NEAR(sunPositionAt(when).declinationDeg, declination, 0.02) << declination;
  EXPECT_NEAR(sunPositionAt(utc(2024, 2, 11, 12, 0)).equationOfTimeMin, -14.22, 0.1);
  EXPECT_NEAR(sunPositionAt(utc(2024, 11, 3, 12, 0)).equationOfTimeMin, 16.43, 0.1);
}

TEST(Terminator, EquinoxSplitsTheGlobeAtThePoles) {
  const SunPosition s = sunPositionAt(utc(2024, 3, 20, 12, 0));
  // Noon at Greenwich with the equation of time at -7.5 min: the sun stands over 1.9 E.
  EXPECT_NEAR(s.subsolar.longitude, 1.9, 0.1);
  EXPECT_NEAR(sunElevationDeg({0, s.subsolar.longitude + 90.0}, s), 0.0, 0.05);
  // Nine hours after the equinox the sun has climbed 0.15 degrees north: the pole just sees it.
  EXPECT_NEAR(sunElevationDeg({90, 0}, s), 0.15, 0.05);
  // Sunrise in London on that day is 06:02 UTC (published almanac time, to the minute).
  EXPECT_NEAR(sunElevationDeg({51.5, -0.13}, sunPositionAt(utc(2024, 3, 20, 6, 2))), -0.833, 0.25);
  EXPECT_EQ(daylightAt(sunElevationDeg({51.5, -0.13}, sunPositionAt(utc(2024, 3, 20, 5, 40)))), Daylight::Civil);
}

TEST(Terminator, SolsticeLightsThePoleAndTheCurveIsTheBoundary) {
  const SunPosition s = sunPositionAt(utc(2024, 6, 20, 12, 0));
  EXPECT_NEAR(sunElevationDeg({90, 0}, s), 23.44, 0.03);
  EXPECT_EQ(daylightAt(sunElevationDeg({-90, 0}, s)), Daylight::Night);
  // London sunrise 03:43 UTC and sunset 20:21 UTC on 20 June 2024.
  EXPECT_NEAR(sunElevationDeg({51.5, -0.13}, sunPositionAt(utc(2024, 6, 20, 3, 43))), -0.833, 0.25);
  EXPECT_NEAR(sunElevationDeg({51.5, -0.13}, sunPositionAt(utc(2024, 6, 20, 20, 21))), -0.833, 0.25);
  // Every point of a twilight curve has the sun at exactly that depression.
  for (Daylight l : {Daylight::Day, Daylight::Civil, Daylight::Nautical, Daylight::Astronomical}) {
    const double dep = boundaryDepressionDeg(l);
    for (const GeoPoint& p : twilightCurve(s, dep, 36)) EXPECT_NEAR(sunElevationDeg(p, s), -dep, 1e-6);
  }
}

namespace fs = std::filesystem;

using test::appendFile;

std::int64_t at(const char* iso) {
  std::int64_t t = 0;
  EXPECT_TRUE(parseIsoUtc(iso, t)) << iso;
  return t;
}

// 14 MHz, beacon 4 (KH6WO): heard at 04:30:10 with three dashes; at 04:33:10 not heard.
const std::string kHeard =
    "\"2026-12-07T04:30:10Z\",\"14\",\"4\",\"KH6WO\",\"1\",\"3\",\"-3.2\",\"-13.1\",\"-22.9\",\"\","
    "\"812\",\"42\",\"17.5\",\"5\"\r\n";
const std::string kNotHeard =
    "\"2026-12-07T04:33:10Z\",\"14\",\"4\",\"KH6WO\",\"0\",\"0\",\"\",\"\",\"\",\"\",\"\",\"\",\"2.1\",\"\"\r\n";

// A first start finds no log yet; the log appears, grows in steps and is followed.
TEST(ResultLog, FillsTheGridInStepsAndFollowsTheFile) {
  test::TempFolder dir{"harkola-prop"};
  const fs::path log = dir / "Harkola 5 Slot Log.csv";
  PropagationGrid grid;
  ResultLogReader reader(log, ResultLogReader::Format::SlotLog);
  EXPECT_FALSE(reader.step(grid, 100));
  EXPECT_FALSE(reader.fileFound());
  // A heard slot, a malformed line, a blank line, the same cell not heard three
  // minutes later, a slot on 28 MHz, and a record still being written.
  appendFile(log, kHeard + "\"garbage\"\r\n\r\n" + kNotHeard +
                  "\"2026-12-07T04:30:10Z\",\"28\",\"18\",\"CS3B\",\"1\",\"4\",\"12.0\",\"2.4\",\"-7.5\",\"-17.1\","
                  "\"790\",\"-15\",\"40\",\"9\"\r\n\"2026-12-07T04:3");
  int steps = 0;
  while (reader.step(grid, 2)) ++steps;
  EXPECT_GE(steps, 2);  // two lines at a time: more than one step
  EXPECT_TRUE(reader.fileFound());
  EXPECT_EQ(std::pair(reader.records(), reader.malformed()), (std::pair<std::size_t, std::size_t>(3, 1)));
  EXPECT_LT(reader.bytesRead(), reader.totalBytes());  // the unfinished record waits

  const std::int64_t now = at("2026-12-07T04:34:00Z");
  // The latest result wins: the cell shows "not heard", the period shows one of two.
  EXPECT_EQ(grid.view(4, 0, GridPeriod::Latest, now).kind, CellView::Kind::NotHeard);
  EXPECT_EQ(grid.view(4, 0, GridPeriod::Minutes15, now).text, "50%");
  const CellView strong = grid.view(18, 4, GridPeriod::Latest, now);
  EXPECT_EQ(std::pair(strong.kind, strong.text), std::pair(CellView::Kind::Heard, std::string("+12.0")));
  EXPECT_NE(strong.tooltip.find("0.1 W: -17.1 dB"), std::string::npos) << strong.tooltip;
  EXPECT_NE(strong.tooltip.find("Tone 790 Hz, offset -15 ms"), std::string::npos) << strong.tooltip;
  // Out of the period: nothing to show.
  EXPECT_EQ(grid.view(4, 0, GridPeriod::Minutes15, now + 3600).kind, CellView::Kind::Empty);

  // The writer finishes the record: the next step picks it up with what follows.
  appendFile(log, "6:10Z\",\"14\",\"4\",\"KH6WO\",\"1\",\"1\",\"-19.0\",\"\",\"\",\"\",\"805\",\"5\",\"6\",\"1\"\r\n");
  reader.step(grid, 100);
  EXPECT_EQ(reader.records(), 4u);
  EXPECT_EQ(reader.bytesRead(), reader.totalBytes());
  EXPECT_EQ(grid.view(4, 0, GridPeriod::Latest, now + 180).text, "-19.0");
  EXPECT_EQ(grid.view(4, 0, GridPeriod::Minutes15, now + 180).text, "67%");
}

TEST(ResultLog, HeardLogGivesSLevelsAndCounts) {
  test::TempFolder dir{"harkola-prop"};
  setenv("TZ", "UTC", 1);
  const fs::path log = dir / "Harkola 5 Heard Log.csv";
  appendFile(log, "\"07-Dec-26\",\"4\",\"21\",\"kh6wo\",\"7\"\r\n\"07-Dec-26\",\"4\",\"21\",\"KH6WO\",\"5\"\r\n"
              "\"07-Dec-26\",\"4\",\"21\",\"NOBODY\",\"5\"\r\n\"07-Dec-26\",\"4\",\"10\",\"KH6WO\",\"5\"\r\n");
  std::vector<std::string> calls(18, "X");
  calls[3] = "KH6WO";
  PropagationGrid grid;
  ResultLogReader reader(log, ResultLogReader::Format::HeardLog, calls);
  reader.step(grid, 100);
  EXPECT_EQ(std::pair(reader.records(), reader.malformed()), (std::pair<std::size_t, std::size_t>(2, 2)));
  const std::int64_t now = at("2026-12-07T04:20:00Z");
  // Equal times: the later line is the latest.
  EXPECT_EQ(grid.view(4, 2, GridPeriod::Latest, now).text, "S5");
  // No "not heard" in a heard log: a count, not a share.
  EXPECT_EQ(grid.view(4, 2, GridPeriod::Hour1, now).text, "2x");

  // Followed live, a record of the running hour belongs to the slot running now.
  reader.setArrivalSlot(at("2026-12-07T04:31:40Z"));
  appendFile(log, "\"07-Dec-26\",\"4\",\"21\",\"KH6WO\",\"8\"\r\n\"07-Dec-26\",\"3\",\"24\",\"KH6WO\",\"2\"\r\n");
  reader.step(grid, 100);
  EXPECT_EQ(grid.latest(4, 2)->startUtc, at("2026-12-07T04:31:40Z"));
  EXPECT_EQ(grid.latest(4, 3)->startUtc, at("2026-12-07T03:00:00Z"));  // an older hour stays
}

TEST(Grid, SameSlotTwiceCountsOnceAndOldHistoryGoes) {
  PropagationGrid grid;
  SlotResult r{.startUtc = at("2026-12-06T00:00:00Z"), .band = 1, .beacon = 7};
  r.dashSnrDb.fill(NAN);
  grid.add(r);
  r.heard = true;  // the live feed delivers the same slot with its decision
  grid.add(r);
  const CellShare once = grid.share(7, 1, GridPeriod::Hour1, r.startUtc);
  EXPECT_EQ(std::pair(once.heard, once.listened), std::pair(1, 1));
  r.startUtc += 25 * 3600;
  grid.add(r);
  EXPECT_EQ(grid.share(7, 1, GridPeriod::Hours24, r.startUtc + 3600 * 24).listened, 1);
  EXPECT_FALSE(grid.add(SlotResult{.beacon = 19}));
}

// What the map draws and says: a path is open for 15 minutes after the beacon was heard
// there; the hover names the newest result on any band.
TEST(Grid, OpenPathsAndTheLatestNote) {
  PropagationGrid grid;
  const std::int64_t t = at("2026-12-07T04:28:10Z");
  SlotResult r{.startUtc = t, .band = 0, .beacon = 11, .heard = true, .sLevel = 7};
  r.dashSnrDb.fill(NAN);
  r.dashSnrDb[0] = 6.5f;
  grid.add(r);
  EXPECT_EQ(grid.openLevel(11, 0, t + 15 * 60), snrLevel(6.5));
  EXPECT_FALSE(grid.openLevel(11, 0, t + 15 * 60 + 1));
  r.dashSnrDb[0] = NAN;  // a heard-log result has its S level only
  r.band = 2;
  grid.add(r);
  EXPECT_EQ(grid.openLevel(11, 2, t), sLevelLevel(7));
  EXPECT_EQ(grid.latestNote(11, t), "Last: 21 MHz S7, 04:28 UTC");
  r.band = 1;
  r.heard = false;
  r.startUtc = t + 10;
  grid.add(r);
  EXPECT_FALSE(grid.openLevel(11, 1, r.startUtc));
  EXPECT_EQ(grid.latestNote(11, r.startUtc), "Last: 18 MHz not heard, 04:28 UTC");
  EXPECT_EQ(grid.latestNote(12, t), "");
  // The slot arithmetic the window runs on, across the epoch as well.
  EXPECT_EQ(slotStartUtc(t + 9), t);
  EXPECT_EQ(slotStartUtc(-1), -10);
  EXPECT_EQ(slotNumberAtUtc(at("2026-12-07T04:31:45Z")), 11);
  EXPECT_EQ(slotNumberAtUtc(-1), 18);
}

TEST(Grid, ColoursFadeAndRunWeakToStrong) {
  EXPECT_EQ(freshnessOf(60), 1.0);
  EXPECT_NEAR(freshnessOf(180 + 1800), 0.5, 1e-9);
  EXPECT_EQ(freshnessOf(48 * 3600), 0.2);
  // Lightness grows along the scale: weak is dark, strong is bright.
  double last = -1;
  for (double t = 0; t <= 1.0001; t += 0.125) {
    const Rgb c = perceptualColour(t);
    const double luma = 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
    EXPECT_GT(luma, last) << t;
    last = luma;
  }
  EXPECT_LT(snrLevel(-30), snrLevel(-10));
}

// Ticks every 100 ms from `from` for `seconds`; follow mode is on inside [followFrom,
// followTo). Each step is recorded as "band 1 at 04:33:00"; returns the band at the end.
int runTicks(BandScan& scan, std::vector<std::string>& steps, int band, std::int64_t from, int seconds,
             std::int64_t followFrom = 0, std::int64_t followTo = 0) {
  for (int tick = 0; tick < seconds * 10; ++tick) {
    const std::int64_t now = from + tick / 10;
    if (auto next = scan.onTick(now, band, now >= followFrom && now < followTo)) {
      band = *next;
      steps.push_back("band " + std::to_string(band) + " at " + isoUtcText(now).substr(11, 8));
    }
  }
  return band;
}

TEST(BandScan, StepsAtCycleStartsOnlyNeverDuringFollowModeNorAfterStopNorLate) {
  BandScan scan;
  std::vector<std::string> steps;
  const std::int64_t start = at("2026-12-07T04:31:05Z");  // in mid-cycle
  scan.start(start);
  runTicks(scan, steps, 0, start, 16 * 60);
  EXPECT_EQ(steps, (std::vector<std::string>{"band 1 at 04:33:00", "band 2 at 04:36:00",
                                                 "band 3 at 04:39:00", "band 4 at 04:42:00",
                                                 "band 0 at 04:45:00"}));

  // Started again at 05:30: follow mode over two cycle starts (05:33, 05:36) makes no
  // step; scanning resumes at 05:39.
  steps.clear();
  scan.start(at("2026-12-07T05:30:00Z"));
  runTicks(scan, steps, 2, at("2026-12-07T05:30:00Z"), 10 * 60, at("2026-12-07T05:32:00Z"),
           at("2026-12-07T05:37:00Z"));
  EXPECT_EQ(steps, (std::vector<std::string>{"band 3 at 05:39:00"}));

  // A clock that jumps into the middle of a cycle does not retune there.
  steps.clear();
  EXPECT_FALSE(scan.onTick(at("2026-12-07T06:01:30Z"), 3, false).has_value());
  scan.stop();
  runTicks(scan, steps, 3, at("2026-12-07T06:02:00Z"), 5 * 60);
  EXPECT_TRUE(steps.empty());
}

TEST(Coastlines, CommittedFileDecodesAndDamageIsRefused) {
  std::string bytes;
  ASSERT_TRUE(readWholeFile(fs::path(HARKOLA_SOURCE_DIR) / "resources/map/coastlines.bin", bytes));
  const auto lines = decodeCoastlines(bytes);
  ASSERT_GT(lines.size(), 1000u);
  // Some shore passes within half a degree of Dover.
  bool dover = false;
  for (const auto& l : lines)
    for (const GeoPoint& p : l) dover |= std::fabs(p.latitude - 51.1) < 0.5 && std::fabs(p.longitude - 1.3) < 0.5;
  EXPECT_TRUE(dover);
  EXPECT_TRUE(decodeCoastlines(bytes.substr(0, bytes.size() - 3)).empty());
  EXPECT_TRUE(decodeCoastlines("HKCL").empty());
  std::string bad = bytes;
  bad[4] = 2;  // a version this program does not know
  EXPECT_TRUE(decodeCoastlines(bad).empty());
}

constexpr std::int64_t kStart = 1'796'601'600;  // 2026-12-07T00:00:00Z

// What a user can see of a grid: every cell's latest result and its shares at `now`.
std::string seen(const PropagationGrid& g, std::int64_t now) {
  std::string s = std::to_string(g.resultCount()) + "\n";
  for (int beacon = 1; beacon <= PropagationGrid::kBeacons; ++beacon)
    for (int band = 0; band < PropagationGrid::kBands; ++band)
      for (GridPeriod p : {GridPeriod::Latest, GridPeriod::Minutes15, GridPeriod::Hour1, GridPeriod::Hours24}) {
        const CellView v = g.view(beacon, band, p, now);
        const CellShare c = g.share(beacon, band, p, now);
        s += v.text + "|" + v.tooltip + "|" + std::to_string(c.heard) + "/" + std::to_string(c.listened) + "\n";
      }
  return s;
}

// Two days of five bands, with what a log of years collects: slots logged twice (the
// later one counts), slots out of order, lines of other programs, damage, blank lines,
// a beacon gone quiet after the first day.
std::string oddSlotLog(unsigned seed) {
  std::mt19937 rng(seed);
  std::string log;
  char line[256];
  for (std::int64_t t = kStart; t < kStart + 2 * 86400; t += 60) {
    const int band = static_cast<int>(rng() % 5);
    int beacon = beaconOnBand(static_cast<int>(t % 180 / 10) + 1, band);
    if (beacon == 7 && t > kStart + 86400) beacon = 8;
    const std::int64_t when = rng() % 50 == 0 ? t - static_cast<std::int64_t>(rng() % 90000) : t;
    const bool heard = rng() % 3 != 0;
    const double snr = -25.0 + static_cast<double>(rng() % 450) / 10.0;
    const char* mhz = std::array{"14", "18", "21", "24", "28"}[static_cast<std::size_t>(band)];
    switch (rng() % 40) {
      case 0: std::snprintf(line, sizeof line, "%s,%s,%d,X,1,2,%.2f,,,,800,5,9,3\n", isoUtcText(when).c_str(), mhz, beacon, snr); break;
      case 1: std::snprintf(line, sizeof line, "\"%s\",\"%s\",\"%d\",\"X\",\"1\"\r\n", isoUtcText(when).c_str(), mhz, beacon); break;
      case 2: std::snprintf(line, sizeof line, "\r\n"); break;
      default:
        std::snprintf(line, sizeof line,
                      "\"%s\",\"%s\",\"%d\",\"X\",\"%d\",\"%d\",\"%.1f\",\"\",\"\",\"\",\"%s\",\"%s\",\"%.1f\",\"%d\"\r\n",
                      isoUtcText(when).c_str(), mhz, beacon, heard, heard ? 2 : 0, snr, heard ? "801" : "",
                      heard ? "-12" : "", 3.5, heard ? 5 : 0);
    }
    log += line;
    if (rng() % 30 == 0) log += line;  // the same slot again
  }
  return log;
}

PropagationGrid load(const std::filesystem::path& log, ResultLogReader::Format format, std::uint64_t splitAbove,
                     std::unique_ptr<ResultLogReader>& reader) {
  std::vector<std::string> calls(18, "X");
  calls[3] = "KH6WO";
  HistoryLoadTask task(log, format, calls, splitAbove);
  while (!task.finished()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(task.progress(), 1.0);
  reader = task.takeReader();
  return std::move(task.grid());
}

TEST(HistoryLoad, TwoHalvesAtOnceEndAsTheWholeLogReadInOrder) {
  test::TempFolder dir("harkola-history");
  for (unsigned seed = 1; seed <= 3; ++seed) {
    const auto log = dir / ("slot-" + std::to_string(seed) + ".csv");
    appendFile(log, oddSlotLog(seed));
    std::unique_ptr<ResultLogReader> wholeReader, halvesReader;
    const PropagationGrid whole = load(log, ResultLogReader::Format::SlotLog, UINT64_MAX, wholeReader);
    PropagationGrid halves = load(log, ResultLogReader::Format::SlotLog, 0, halvesReader);
    EXPECT_GT(wholeReader->malformed(), 0u);
    EXPECT_EQ(std::pair(halvesReader->records(), halvesReader->malformed()),
              std::pair(wholeReader->records(), wholeReader->malformed()));
    for (std::int64_t now : {kStart + 2 * 86400, kStart + 86400 + 3600})
      EXPECT_EQ(seen(halves, now), seen(whole, now)) << "seed " << seed << " at " << isoUtcText(now);
    // The quiet beacon's latest result stays, a day old.
    std::int64_t quiet = 0;
    for (int band = 0; band < PropagationGrid::kBands; ++band)
      if (const auto& r = halves.latest(7, band)) quiet = std::max(quiet, r->startUtc);
    EXPECT_TRUE(quiet > kStart && quiet <= kStart + 86400) << isoUtcText(quiet);
    // The second half's reader follows the log on, counting all of it.
    appendFile(log, "\"2026-12-09T00:00:10Z\",\"28\",\"2\",\"X\",\"1\",\"1\",\"-1.0\",\"\",\"\",\"\",\"800\",\"0\",\"9.0\",\"4\"\r\n");
    halvesReader->step(halves, 100);
    EXPECT_EQ(halvesReader->records(), wholeReader->records() + 1);
    EXPECT_EQ(halves.view(2, 4, GridPeriod::Latest, kStart + 2 * 86400 + 60).text, "-1.0");
  }
}

// Heard-log results share their hour: the halves keep every one of them.
TEST(HistoryLoad, HeardLogInHalves) {
  setenv("TZ", "UTC", 1);
  test::TempFolder dir("harkola-history");
  const auto log = dir / "Harkola 5 Heard Log.csv";
  for (int day = 1; day <= 9; ++day)
    for (int hour = 0; hour < 24; ++hour)
      appendFile(log, "\"0" + std::to_string(day) + "-Dec-26\",\"" + std::to_string(hour / 2) + "\",\"21\",\"" +
                      (hour % 5 ? "KH6WO" : "nobody") + "\",\"" + std::to_string(1 + hour % 9) + "\"\r\n");
  std::unique_ptr<ResultLogReader> wholeReader, halvesReader;
  const PropagationGrid whole = load(log, ResultLogReader::Format::HeardLog, UINT64_MAX, wholeReader);
  const PropagationGrid halves = load(log, ResultLogReader::Format::HeardLog, 0, halvesReader);
  EXPECT_EQ(seen(halves, kStart + 2 * 86400), seen(whole, kStart + 2 * 86400));
  EXPECT_EQ(std::pair(halvesReader->records(), halvesReader->malformed()),
            std::pair(wholeReader->records(), wholeReader->malformed()));
}

// The quick check reads start, band, beacon, callsign, heard and dashes of exactly the
// lines the full reading accepts, and neither reads past the line (it is copied to a
// buffer of its own size, for the address sanitizer to see).
TEST(QuickSlotLineCheck, DecidesAsTheFullReading) {
#define SLOT(tail) "\"2026-12-07T04:30:10Z\",\"14\",\"4\",\"KH6WO\",\"1\",\"3\"," tail
  for (const std::string_view given : {
           SLOT(R"("-3.2","-13.1","-22.9","","812","42","17.5","5")"),
           R"("2026-12-07T04:33:10Z","18","12","5Z4B","0","0","","","","","","","2.1","0")",
           R"("2026-12-07T04:33:10Z","28","18","VR2B","1","4","12.0","2.4","-7.5","-17.1","790","-15","40","9")",
           SLOT(R"("3-2","","","","812","42","17.5","5")"),
           SLOT(R"("3.2x","","","","812","42","17.5","5")"),
           SLOT(R"("3"2","","","","812","42","17.5","5")"),
           SLOT(R"("-3.2","","","","812","42","17.5","5","extra")"),  // fifteen fields
           R"("2026-12-07T04:30:10Z","14","4","KH,6WO","1","3","-3.2","","","","812","42","17.5","5")",
           R"("2026-12-07T04:30:10Z","14","018","X","1","3","-3.2","","","","812","42","17.5","5")",
           R"("2026-12-07T04:30:10Z",")",
           "2026-12-07T04:30:10Z,14,4,X,1,3,-3.2,,,,812,42,17.5,5"}) {
    const auto copy = std::make_unique<char[]>(given.size());
    std::copy(given.begin(), given.end(), copy.get());
    const std::string_view line(copy.get(), given.size());
    SlotLogRecord quick, full;
    const bool q = scanSlotLogLine(line, quick);
    EXPECT_EQ(q, parseSlotLogLine(line, full)) << given;
    if (!q) continue;
    EXPECT_EQ(std::tuple(quick.startUtc, quick.band, quick.beacon, quick.callsign, quick.heard, quick.dashes),
              std::tuple(full.startUtc, full.band, full.beacon, full.callsign, full.heard, full.dashes))
        << given;
  }
#undef SLOT
}

}  // namespace
}  // namespace harkola
