#include "propagation/PropagationGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/Bands.h"

namespace harkola {
namespace {

const std::optional<SlotResult> kNone;

std::string oneDecimal(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%+.1f", v);
  return buf;
}

std::string ageText(std::int64_t age) {
  char buf[48];
  if (age < 0) age = 0;
  if (age < 3600)
    std::snprintf(buf, sizeof buf, "%lld min ago", static_cast<long long>(age / 60));
  else
    std::snprintf(buf, sizeof buf, "%lld h %02lld min ago", static_cast<long long>(age / 3600),
                  static_cast<long long>(age / 60 % 60));
  return buf;
}

std::string tooltipOf(const SlotResult& r, std::int64_t now) {
  std::string t;
  if (r.fromHeardLog) {
    // The heard log knows the local hour only.
    t = "Heard log, hour starting " + isoUtcText(r.startUtc).substr(0, 16) + " UTC\n";
    t += "S" + std::to_string(r.sLevel);
    return t;
  }
  t = isoUtcText(r.startUtc).substr(0, 19) + " UTC (" + ageText(now - r.startUtc) + ")\n";
  if (!r.heard) return t + "Not heard";
  static constexpr const char* kDash[] = {"100 W", "10 W", "1 W", "0.1 W"};
  for (std::size_t k = 0; k < 4; ++k) {
    t += kDash[k];
    t += ": ";
    t += std::isnan(r.dashSnrDb[k]) ? std::string("not heard") : oneDecimal(r.dashSnrDb[k]) + " dB";
    t += '\n';
  }
  auto whole = [](float v, bool sign) {
    if (std::isnan(v)) return std::string("?");
    const long n = std::lround(v);
    return (sign && n >= 0 ? "+" : "") + std::to_string(n);
  };
  t += "Tone " + whole(r.toneHz, false) + " Hz, offset " + whole(r.offsetMs, true) + " ms";
  if (r.sLevel > 0) t += "\nS" + std::to_string(r.sLevel);
  return t;
}

}  // namespace

std::int64_t periodSeconds(GridPeriod p) {
  switch (p) {
    case GridPeriod::Latest: return 0;
    case GridPeriod::Minutes15: return 15 * 60;
    case GridPeriod::Hour1: return 3600;
    case GridPeriod::Hours24: return 24 * 3600;
  }
  return 0;
}

void PropagationGrid::clear() {
  m_cells = {};
  m_count = 0;
}

bool PropagationGrid::add(const SlotResult& r) {
  if (!addHistory(r.beacon, r.band, r.startUtc, r.heard, r.fromHeardLog)) return false;
  offerLatest(r);
  return true;
}

void PropagationGrid::offerLatest(const SlotResult& r) {
  if (r.beacon < 1 || r.beacon > kBeacons || r.band < 0 || r.band >= kBands) return;
  Cell& c = cell(r.beacon, r.band);
  if (!c.latest || r.startUtc >= c.latest->startUtc) c.latest = r;
}

void PropagationGrid::merge(const PropagationGrid& later) {
  // What the later grid dropped from its history would go here too: it keeps what
  // reading on would keep.
  const std::size_t count = m_count + later.m_count;
  for (int beacon = 1; beacon <= kBeacons; ++beacon)
    for (int band = 0; band < kBands; ++band) {
      const Cell& c = later.cell(beacon, band);
      for (const Entry& e : c.history) addHistory(beacon, band, e.start, e.heard, e.fromHeardLog);
      if (c.latest) offerLatest(*c.latest);
    }
  m_count = count;
}

bool PropagationGrid::addHistory(int beacon, int band, std::int64_t start, bool heard, bool fromHeardLog) {
  if (beacon < 1 || beacon > kBeacons || band < 0 || band >= kBands) return false;
  ++m_count;
  auto& h = cell(beacon, band).history;
  const Entry e{start, heard, fromHeardLog};
  if (h.empty() || h.back().start < start) {
    h.push_back(e);
  } else {
    auto it = std::lower_bound(h.begin(), h.end(), start, [](const Entry& a, std::int64_t s) { return a.start < s; });
    // The same slot again (heard-log results share their hour: keep each of those).
    if (it != h.end() && it->start == start && !fromHeardLog && !it->fromHeardLog)
      *it = e;
    else
      h.insert(it, e);
  }
  const std::int64_t oldest = h.back().start - kHistorySeconds;
  while (!h.empty() && h.front().start < oldest) h.pop_front();
  return true;
}

const std::optional<SlotResult>& PropagationGrid::latest(int beacon, int band) const {
  if (beacon < 1 || beacon > kBeacons || band < 0 || band >= kBands) return kNone;
  return cell(beacon, band).latest;
}

std::optional<double> PropagationGrid::openLevel(int beacon, int band, std::int64_t now) const {
  const auto& last = latest(beacon, band);
  if (!last || !last->heard || now - last->startUtc > kOpenSeconds) return std::nullopt;
  return std::isnan(last->dashSnrDb[0]) ? sLevelLevel(last->sLevel) : snrLevel(last->dashSnrDb[0]);
}

std::string PropagationGrid::latestNote(int beacon, std::int64_t now) const {
  int newestBand = -1;
  std::int64_t newest = 0;
  for (int band = 0; band < kBands; ++band) {
    const auto& last = latest(beacon, band);
    if (last && last->startUtc >= newest) {
      newest = last->startUtc;
      newestBand = band;
    }
  }
  if (newestBand < 0) return {};
  const CellView v = view(beacon, newestBand, GridPeriod::Latest, now);
  return "Last: " + std::to_string(bandMHz(newestBand)) + " MHz " +
         (v.kind == CellView::Kind::NotHeard ? std::string("not heard") : v.text) + ", " +
         isoUtcText(newest).substr(11, 5) + " UTC";
}

CellShare PropagationGrid::share(int beacon, int band, GridPeriod period, std::int64_t now) const {
  CellShare s;
  if (beacon < 1 || beacon > kBeacons || band < 0 || band >= kBands) return s;
  const std::int64_t from = now - periodSeconds(period);
  bool onlyHeardLog = true;
  for (const Entry& e : cell(beacon, band).history) {
    if (e.start < from || e.start > now) continue;
    ++s.listened;
    if (e.heard) ++s.heard;
    if (!e.fromHeardLog) onlyHeardLog = false;
  }
  s.listenedKnown = s.listened == 0 || !onlyHeardLog;
  return s;
}

CellView PropagationGrid::view(int beacon, int band, GridPeriod period, std::int64_t now) const {
  CellView v;
  const auto& last = latest(beacon, band);
  if (!last) return v;
  if (period == GridPeriod::Latest) {
    const SlotResult& r = *last;
    v.freshness = freshnessOf(now - r.startUtc);
    v.tooltip = tooltipOf(r, now);
    if (!r.heard) {
      v.kind = CellView::Kind::NotHeard;
      v.text = "-";
    } else if (!std::isnan(r.dashSnrDb[0])) {
      v.kind = CellView::Kind::Heard;
      v.level = snrLevel(r.dashSnrDb[0]);
      v.text = oneDecimal(r.dashSnrDb[0]);
    } else {
      v.kind = CellView::Kind::Heard;
      v.level = sLevelLevel(r.sLevel);
      v.text = r.sLevel > 0 ? "S" + std::to_string(r.sLevel) : "?";
    }
    return v;
  }
  const CellShare s = share(beacon, band, period, now);
  if (s.listened == 0) return v;  // nothing in the period: empty
  char buf[64];
  if (!s.listenedKnown) {
    v.kind = CellView::Kind::Heard;
    v.level = std::min(1.0, s.heard / (periodSeconds(period) / 180.0));
    std::snprintf(buf, sizeof buf, "%dx", s.heard);
    v.text = buf;
    std::snprintf(buf, sizeof buf, "Heard in %d slots (heard log)", s.heard);
  } else {
    v.kind = s.heard == 0 ? CellView::Kind::NotHeard : CellView::Kind::Heard;
    v.level = static_cast<double>(s.heard) / s.listened;
    std::snprintf(buf, sizeof buf, "%d%%", static_cast<int>(std::lround(100.0 * v.level)));
    v.text = s.heard == 0 ? "-" : buf;
    std::snprintf(buf, sizeof buf, "Heard in %d of %d slots", s.heard, s.listened);
  }
  v.tooltip = buf;
  return v;
}

double snrLevel(double snrDb) { return std::clamp((snrDb + 25.0) / 45.0, 0.0, 1.0); }
double sLevelLevel(int s) { return std::clamp((s - 1) / 8.0, 0.0, 1.0); }

double freshnessOf(std::int64_t age) {
  if (age <= 180) return 1.0;
  return std::max(0.2, std::pow(0.5, static_cast<double>(age - 180) / 1800.0));
}

Rgb perceptualColour(double t) {
  // Samples of a perceptually uniform blue-green-yellow scale at t = 0, 0.125 ... 1.
  static constexpr int kStops[9][3] = {{68, 1, 84},    {71, 44, 122},  {59, 81, 139},
                                       {44, 113, 142}, {33, 144, 141}, {39, 173, 129},
                                       {92, 200, 99},  {170, 220, 50}, {253, 231, 37}};
  if (!(t >= 0)) t = 0;
  if (t > 1) t = 1;
  const double pos = t * 8.0;
  const int i = std::min(7, static_cast<int>(pos));
  const double f = pos - i;
  auto mix = [&](int c) { return static_cast<int>(std::lround(kStops[i][c] + (kStops[i + 1][c] - kStops[i][c]) * f)); };
  return Rgb{mix(0), mix(1), mix(2)};
}

}  // namespace harkola
