// The slot-log reading on arbitrary bytes: every line's quick check decides as its full
// reading does, and the file read as two parts (as the propagation view reads a long
// history on two threads) ends as it does read whole, in what a user can see.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "clock/SlotLog.h"
#include "propagation/PropagationGrid.h"
#include "propagation/ResultLogReader.h"

namespace {

using namespace harkola;

void agree(bool same) {
  if (!same) std::abort();
}

void checkLine(std::string_view line) {
  SlotLogRecord quick, full;
  const bool q = scanSlotLogLine(line, quick);
  agree(q == parseSlotLogLine(line, full));
  if (q)
    agree(quick.startUtc == full.startUtc && quick.band == full.band && quick.beacon == full.beacon &&
          quick.callsign == full.callsign && quick.heard == full.heard && quick.dashes == full.dashes);
}

std::string seen(const PropagationGrid& g, std::int64_t now) {
  std::string s = std::to_string(g.resultCount());
  for (int beacon = 1; beacon <= PropagationGrid::kBeacons; ++beacon)
    for (int band = 0; band < PropagationGrid::kBands; ++band)
      for (GridPeriod p : {GridPeriod::Latest, GridPeriod::Hour1, GridPeriod::Hours24}) {
        const CellView v = g.view(beacon, band, p, now);
        s += v.text + "|" + v.tooltip + "|" + std::to_string(g.share(beacon, band, p, now).listened) + "\n";
      }
  return s;
}

void readAll(ResultLogReader& r, PropagationGrid& g, std::size_t steps) {
  while (r.step(g, steps)) {
  }
}

// A file of this process's own, removed at the end of the run.
const std::string& tempPath() {
  static const std::string path = "/tmp/harkola-fuzz-slotlog-" + std::to_string(::getpid()) + ".csv";
  static const bool removeAtExit = [] { return std::atexit([] { std::remove(tempPath().c_str()); }) == 0; }();
  (void)removeAtExit;
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) nl = text.size();
    std::string_view line = text.substr(pos, nl - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    checkLine(line);
    pos = nl + 1;
  }

  const std::string& path = tempPath();
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  // The second part starts at the first line that starts after the middle.
  const std::size_t nl = text.find('\n', size / 2);
  const std::uint64_t middle = nl == std::string_view::npos || nl + 1 >= size ? 0 : nl + 1;

  PropagationGrid whole, first, second;
  ResultLogReader all(path, ResultLogReader::Format::SlotLog);
  readAll(all, whole, 1 + size % 13);
  ResultLogReader a(path, ResultLogReader::Format::SlotLog), b(path, ResultLogReader::Format::SlotLog);
  if (middle) {
    a.setRange(0, middle);
    b.setRange(middle);
    readAll(a, first, 100000);
  }
  readAll(b, second, 100000);
  first.merge(second);
  b.countAlso(a);
  agree(b.records() == all.records() && b.malformed() == all.malformed());
  std::int64_t now = 0;
  for (int beacon = 1; beacon <= PropagationGrid::kBeacons; ++beacon)
    for (int band = 0; band < PropagationGrid::kBands; ++band)
      if (const auto& r = whole.latest(beacon, band)) now = std::max(now, r->startUtc);
  agree(seen(first, now) == seen(whole, now) && seen(first, now - 43200) == seen(whole, now - 43200));
  return 0;
}
