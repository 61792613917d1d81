// The heard-log loader on arbitrary bytes: read whole in one step, and read in small
// blocks and small steps as a file is read for the analysis window, the two must agree
// on everything a user sees (records, counts, the line refused, both summaries).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "analysis/LogRecords.h"
#include "analysis/LogSummary.h"

namespace {

using namespace harkola;

struct Loaded {
  LogLoader::State state;
  std::size_t lines, failedLine;
  std::string failedText;
  LogData log;
};

Loaded load(LogLoader& loader, std::size_t steps) {
  while (loader.step(steps) == LogLoader::State::Running) {
  }
  Loaded r{loader.state(), loader.lineCount(), loader.failedLine(), loader.failedLineText(), {}};
  if (r.state == LogLoader::State::Done) r.log = loader.take();
  return r;
}

std::string summaries(const LogData& log, int band) {
  SummaryRequest byBeacon;
  byBeacon.band = band;
  byBeacon.beacons = log.callsigns;
  byBeacon.beacons.push_back("NOT-IN-LOG");
  byBeacon.months.fill(true);
  std::string text = formatSummaryFile(summarise(log, byBeacon));
  SummaryRequest byBand;
  byBand.mode = SummaryMode::ByBand;
  byBand.callsign = log.callsigns.empty() ? std::string() : log.callsigns.front();
  byBand.bands = {0, 1, 2, 3, 4};
  for (int m : log.months()) byBand.months[static_cast<std::size_t>(m)] = true;
  return text + formatSummaryFile(summarise(log, byBand));
}

void agree(bool same) {
  if (!same) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string image(reinterpret_cast<const char*>(data), size);
  LogLoader whole(image);
  LogLoader stepwise(image, 1 + size % 37);
  const Loaded a = load(whole, static_cast<std::size_t>(-1));
  const Loaded b = load(stepwise, 7);
  agree(a.state == b.state && a.lines == b.lines && a.failedLine == b.failedLine && a.failedText == b.failedText);
  if (a.state != LogLoader::State::Done) return 0;
  agree(a.log.size() == b.log.size() && a.log.callsigns == b.log.callsigns && a.log.months() == b.log.months());
  for (std::size_t i = 0; i < a.log.size(); ++i) agree(a.log.cells(i) == b.log.cells(i));
  const int band = static_cast<int>(size % 5);
  agree(summaries(a.log, band) == summaries(b.log, band));
  return 0;
}
