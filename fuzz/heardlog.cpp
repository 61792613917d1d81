// The heard-log loader on arbitrary bytes, in small steps as the analysis window runs
// it, then both summaries of whatever loaded and the summary file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "analysis/LogRecords.h"
#include "analysis/LogSummary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace harkola;
  LogLoader loader(std::string(reinterpret_cast<const char*>(data), size));
  while (loader.step(7) == LogLoader::State::Running) {
  }
  if (loader.state() != LogLoader::State::Done) {
    (void)loader.failureMessage();
    return 0;
  }
  const LogData log = loader.take();
  for (std::size_t i = 0; i < log.records.size(); ++i) (void)log.cells(i);
  const std::vector<int> months = log.months();

  SummaryRequest byBeacon;
  byBeacon.mode = SummaryMode::ByBeacon;
  byBeacon.band = static_cast<int>(size % 5);
  for (const std::string& call : log.callsigns) byBeacon.beacons.push_back(call);
  byBeacon.beacons.push_back("NOT-IN-LOG");
  byBeacon.months.fill(true);
  (void)formatSummaryFile(summarise(log, byBeacon));

  SummaryRequest byBand;
  byBand.mode = SummaryMode::ByBand;
  byBand.callsign = log.callsigns.empty() ? std::string() : log.callsigns.front();
  byBand.bands = {0, 1, 2, 3, 4};
  for (int m : months) byBand.months[static_cast<std::size_t>(m)] = true;
  (void)formatSummaryFile(summarise(log, byBand));
  (void)monthsText(months, byBand.months);
  return 0;
}
