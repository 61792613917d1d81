#include "network/NetworkPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/Bands.h"
#include "common/PublicDecs.h"
#include "data/Maidenhead.h"
#include "network/NetworkReport.h"

namespace harkola {

namespace {
constexpr double kKmPerMile = 1.609344;

bool clockOffBy(const std::optional<double>& ms) { return ms && std::fabs(*ms) > kClockToleranceMs; }

std::string distanceText(double km, bool miles) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.0f %s", miles ? km / kKmPerMile : km, miles ? "mi" : "km");
  return buf;
}
}  // namespace

bool NetworkPicture::add(const SlotReport& r) {
  if (r.band < 0 || r.band >= kBandCount || r.beacon < 1 || r.beacon > kBeaconCount || r.station.empty())
    return false;
  Station& s = m_stations[r.station];
  if (s.callsign.empty()) s.callsign = r.station;
  if (!s.keys.insert(r.slotStartUtc * 8 + r.band).second) return false;
  const Compact c{r.slotStartUtc, static_cast<std::int8_t>(r.band), static_cast<std::int8_t>(r.beacon), r.heard,
                  clockOffBy(r.clockAheadMs),
                  r.dashSnrDb[0] ? static_cast<float>(*r.dashSnrDb[0]) : std::nanf("")};
  // Reports arrive nearly in order; a late one is put in its place from the back.
  auto it = s.reports.end();
  while (it != s.reports.begin() && std::prev(it)->start > c.start) --it;
  s.reports.insert(it, c);
  if (r.slotStartUtc >= s.lastStart) {
    s.lastStart = r.slotStartUtc;
    s.locator = r.locator;
    s.clockAheadMs = r.clockAheadMs;
  }
  ++m_count;
  return true;
}

void NetworkPicture::prune(std::int64_t nowUtc) {
  const std::int64_t oldest = nowUtc - kKeepSeconds;
  for (auto it = m_stations.begin(); it != m_stations.end();) {
    Station& s = it->second;
    while (!s.reports.empty() && s.reports.front().start < oldest) {
      s.keys.erase(s.reports.front().start * 8 + s.reports.front().band);
      s.reports.pop_front();
      --m_count;
    }
    it = s.reports.empty() ? m_stations.erase(it) : std::next(it);
  }
}

void NetworkPicture::clear() {
  m_stations.clear();
  m_count = 0;
}

NetworkSummary NetworkPicture::summarise(const NetworkFilter& filter, std::int64_t nowUtc) const {
  NetworkSummary out;
  const std::int64_t from = nowUtc - filter.periodSeconds;
  for (const auto& [call, s] : m_stations) {
    // The period: from its start to the newest report.
    auto first = std::lower_bound(s.reports.begin(), s.reports.end(), from,
                                  [](const Compact& c, std::int64_t t) { return c.start < t; });
    if (first == s.reports.end()) continue;
    NetworkStationView v;
    v.callsign = s.callsign;
    v.locator = s.locator;
    v.where = locatorCentre(s.locator);
    if (v.where && filter.home) v.km = greatCircleKm(*filter.home, *v.where);
    if (filter.withinKm > 0 && (!v.km || *v.km > filter.withinKm)) {
      ++out.farStations;
      continue;
    }
    v.clockAheadMs = s.clockAheadMs;
    v.clockOff = clockOffBy(s.clockAheadMs);
    v.lastSlotUtc = s.lastStart;
    std::array<HeardPath, 18 * 5> paths{};
    std::array<bool, 18 * 5> listened{};
    for (auto it = first; it != s.reports.end(); ++it) {
      if (it->clockOff) {
        ++v.clockOffReports;
        continue;
      }
      ++v.reported;
      const std::size_t k = static_cast<std::size_t>((it->beacon - 1) * 5 + it->band);
      listened[k] = true;
      if (!it->heard) continue;
      ++v.heard;
      HeardPath& p = paths[k];
      p.beacon = it->beacon;
      p.band = it->band;
      ++p.heard;
      if (!std::isnan(it->snr100) && (!p.bestSnrDb || it->snr100 > *p.bestSnrDb)) p.bestSnrDb = it->snr100;
    }
    out.reports += static_cast<std::size_t>(v.reported);
    out.clockOffReports += static_cast<std::size_t>(v.clockOffReports);
    if (v.clockOff) ++out.clockOffStations;
    const int index = static_cast<int>(out.stations.size());
    for (std::size_t k = 0; k < paths.size(); ++k) {
      if (listened[k]) ++out.cells[k].listenedBy;
      if (paths[k].heard == 0) continue;
      v.paths.push_back(paths[k]);
      ++out.cells[k].heardBy;
      out.cells[k].heardStations.push_back(index);
    }
    out.stations.push_back(std::move(v));
  }
  return out;
}

std::string networkCellText(const NetworkCell& c) {
  if (c.listenedBy == 0) return {};
  return std::to_string(c.heardBy) + "/" + std::to_string(c.listenedBy);
}

std::string networkCellTooltip(const NetworkSummary& s, int beacon, int band, bool miles) {
  const NetworkCell& c = s.cell(beacon, band);
  if (c.listenedBy == 0) return "No station reported these slots";
  std::string t = "Heard by " + std::to_string(c.heardBy) + " of " + std::to_string(c.listenedBy) +
                  (c.listenedBy == 1 ? " station" : " stations");
  for (const int i : c.heardStations) {
    const NetworkStationView& v = s.stations[static_cast<std::size_t>(i)];
    t += "\n" + v.callsign + "  " + v.locator;
    if (v.km) t += "  " + distanceText(*v.km, miles);
  }
  return t;
}

std::string networkStationText(const NetworkStationView& s, bool miles) {
  std::string t = s.callsign + "  " + s.locator;
  if (s.km) t += "  " + distanceText(*s.km, miles);
  t += "\nheard " + std::to_string(s.heard) + " of " + std::to_string(s.reported) + " slots";
  if (s.clockOff && s.clockAheadMs) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "\nclock %.1f s %s the beacons: results not merged",
                  std::fabs(*s.clockAheadMs) / 1000.0, *s.clockAheadMs > 0 ? "ahead of" : "behind");
    t += buf;
  } else if (s.clockOffReports > 0) {
    t += "\n" + std::to_string(s.clockOffReports) + " slots left out (clock off the beacons)";
  }
  return t;
}

}  // namespace harkola
