// The history read on threads: a log read as two halves at once ends as it does read
// whole, and the quick check of slot-log lines decides as the full reading does.
#include <gtest/gtest.h>

#include <memory>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <utility>

#include "clock/BeaconSchedule.h"
#include "propagation/HistoryLoadTask.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

constexpr std::int64_t kStart = 1'796'601'600;  // 2026-12-07T00:00:00Z

using test::appendFile;

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
