#pragma once
// What has been heard of the 18 beacons on the 5 bands: per cell the latest result and
// the slots of the last 24 hours (heard or not), from which the view takes either the
// latest result or the share of slots heard in a period.

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "propagation/SlotRecord.h"

namespace harkola {

enum class GridPeriod { Latest, Minutes15, Hour1, Hours24 };
// The period's length in seconds (0 for Latest).
std::int64_t periodSeconds(GridPeriod p);

struct CellShare {
  int heard = 0;     // slots heard in the period
  int listened = 0;  // slots analysed in the period (heard or not)
  // False when the cell's results come from the heard log only, which does not record
  // the slots that were not heard: `listened` then means nothing.
  bool listenedKnown = true;
};

// How a cell looks, worked out without any drawing.
struct CellView {
  enum class Kind { Empty, NotHeard, Heard } kind = Kind::Empty;
  // Heard: 0 (weak) .. 1 (strong) on the colour scale; for a period, the share heard.
  double level = 0;
  // 1 fresh .. 0.2 old: how strongly the cell's colour is painted.
  double freshness = 1;
  std::string text;     // the cell's text: "-12.5", "S7", "40%", "3x", "-" (not heard)
  std::string tooltip;  // lines separated by '\n'
};

class PropagationGrid {
 public:
  static constexpr int kBeacons = 18;
  static constexpr int kBands = 5;
  static constexpr std::int64_t kHistorySeconds = 24 * 3600;

  // Adds a result. A result for a slot the cell already holds replaces it (the slot log
  // and the live feed may both deliver a slot). Out-of-range beacon or band: ignored,
  // false.
  bool add(const SlotResult& r);
  // add() in two halves, for reading a long log where most results are history only:
  // the slot's entry in its cell's history (counted as a result), and a result offered
  // as the cell's latest (kept unless the cell holds a newer one). add(r) is
  // addHistory(r...) then offerLatest(r).
  bool addHistory(int beacon, int band, std::int64_t startUtc, bool heard, bool fromHeardLog = false);
  void offerLatest(const SlotResult& r);
  // Takes the results of a grid that read the part of a log after this one's, as though
  // they had been added here after this grid's own.
  void merge(const PropagationGrid& later);
  void clear();

  const std::optional<SlotResult>& latest(int beacon, int band) const;
  // A path counts as open while the beacon was heard on the band within the last round
  // of a band scan (15 minutes): its position on the colour scale (the 100 W dash's SNR,
  // else the S level); empty when the path is not open at `nowUtc`.
  static constexpr std::int64_t kOpenSeconds = 15 * 60;
  std::optional<double> openLevel(int beacon, int band, std::int64_t nowUtc) const;
  // The beacon's newest result on any band (the higher band on a tie) in a line:
  // "Last: 14 MHz +6.5, 04:28 UTC" ("not heard" in place of the level); empty when the
  // beacon has no result.
  std::string latestNote(int beacon, std::int64_t nowUtc) const;
  CellShare share(int beacon, int band, GridPeriod period, std::int64_t nowUtc) const;
  CellView view(int beacon, int band, GridPeriod period, std::int64_t nowUtc) const;
  std::size_t resultCount() const { return m_count; }

 private:
  struct Entry {
    std::int64_t start;
    bool heard;
    bool fromHeardLog;
  };
  struct Cell {
    std::optional<SlotResult> latest;
    std::deque<Entry> history;  // sorted by start, the last 24 h before the newest
  };
  Cell& cell(int beacon, int band) { return m_cells[static_cast<std::size_t>((beacon - 1) * kBands + band)]; }
  const Cell& cell(int beacon, int band) const {
    return m_cells[static_cast<std::size_t>((beacon - 1) * kBands + band)];
  }
  std::array<Cell, kBeacons * kBands> m_cells{};
  std::size_t m_count = 0;
};

// Position on the colour scale of an SNR in dB (-25 dB weak .. +20 dB strong) and of an
// S level (1..9).
double snrLevel(double snrDb);
double sLevelLevel(int sLevel);
// 1 for results of the last cycle (3 minutes), halving every 30 minutes after that,
// never below 0.2.
double freshnessOf(std::int64_t ageSeconds);

struct Rgb {
  int r = 0, g = 0, b = 0;
};
// A perceptually uniform colour scale (dark blue-violet .. green .. yellow), t in 0..1.
Rgb perceptualColour(double t);

}  // namespace harkola
