#pragma once
// Hour-of-day tables of average S level, made from a loaded log.
//
// Two kinds of table:
//  - by beacon ("Any beacon, single band"): one row per chosen beacon, records of one band;
//  - by band ("Single beacon, any band"): one row per chosen band, records of one beacon.
// Both count only records whose month is selected. A cell holds the average S level of
// the matching records at that hour, rounded half to even, or "0" when there is no
// record or the levels do not sum above zero. Records whose S level is not a number
// are not counted. The table has 24 columns: the row label and hours 1..23 (the label
// column takes the place of hour 0, so hour 0 is never shown).

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/LogRecords.h"
#include "common/Bands.h"

namespace harkola {

enum class SummaryMode {
  ByBeacon,  // rows per beacon, one band
  ByBand,    // rows per band, one beacon
};

inline constexpr const char* kBandRowLabels[] = {"14MHz", "18MHz", "21MHz", "24MHz", "28MHz"};

struct SummaryRequest {
  SummaryMode mode = SummaryMode::ByBeacon;
  int band = 0;                        // ByBeacon: band index 0..4
  std::vector<std::string> beacons;    // ByBeacon: callsigns of the rows, in row order
  std::string callsign;                // ByBand: the beacon
  std::vector<int> bands;              // ByBand: band indexes 0..4 of the rows, in row order
  std::array<bool, 13> months{};       // [1..12]: the month is selected
};

// rows x 24 texts; row 0 is the heading row ("Callsign" or "Band", "1 hrs" .. "23 hrs").
// Always at least two rows: with no row chosen, row 1 is empty.
using SummaryTable = std::vector<std::vector<std::string>>;

// Works through the records in steps (one pass in all), then builds the table.
class SummaryBuilder {
 public:
  SummaryBuilder(const LogData& log, SummaryRequest request);
  // Counts up to `maxRecords` further records; true when all records are counted.
  bool step(std::size_t maxRecords);
  std::size_t recordsDone() const { return m_next; }
  SummaryTable table() const;

 private:
  struct Cell {
    std::int64_t sum = 0;
    std::int64_t count = 0;
  };
  const LogData& m_log;
  SummaryRequest m_request;
  std::vector<std::array<Cell, 24>> m_cells;                // one per output row
  std::vector<std::vector<std::uint32_t>> m_rowsOfKey;      // callsign id or band index -> rows
  long m_callsignId = -1;                                   // ByBand: the beacon's id
  std::size_t m_next = 0;
  std::int32_t m_lastDay = 0;
  int m_lastMonth = 0;
};

SummaryTable summarise(const LogData& log, const SummaryRequest& request);

// The average cell text: sum / count rounded half to even, "0" unless sum > 0 and count > 0.
std::string averageText(std::int64_t sum, std::int64_t count);

// The summary file: every cell in double quotes, comma separated, CR LF per row.
std::string formatSummaryFile(const SummaryTable& table);

// The heard logs a summary must never be written over: the one it was made from and the
// one the program logs to (empty paths: none).
struct SummaryGuard {
  std::filesystem::path analysedLog;
  std::filesystem::path liveLog;
};
// The message refusing `out` when it is one of the guarded logs (under any of its
// names), else empty.
std::string summaryRefusal(const std::filesystem::path& out, const SummaryGuard& guard);

enum class SummarySave { Saved, Refused, Failed };
// Writes the summary file, unless summaryRefusal() refuses `out` (its message goes to
// `refusal`). The text goes to a temporary file beside `out` that then takes its
// place, so a failed write leaves an old file as it was.
SummarySave writeSummaryFile(const std::filesystem::path& out, const SummaryTable& table,
                             const SummaryGuard& guard, std::string* refusal = nullptr);

// "August, September": the names of the selected months in list order.
std::string monthsText(const std::vector<int>& listMonths, const std::array<bool, 13>& selected);

// The chart footnote: file, band or beacon, and months.
std::string summaryFootnote(const std::string& fileName, const SummaryRequest& request,
                            const std::string& months);

// Tooltip of a data point: value and hour (data points are numbered from 1).
std::string pointTooltip(const std::string& value, int point);

}  // namespace harkola
