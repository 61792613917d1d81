#include "network/NetworkReport.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>

#include "clock/BeaconSchedule.h"

namespace harkola {

double greatCircleKm(const GeoPoint& a, const GeoPoint& b) {
  constexpr double kRad = 3.14159265358979323846 / 180.0;
  const double dLat = (b.latitude - a.latitude) * kRad, dLon = (b.longitude - a.longitude) * kRad;
  const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(a.latitude * kRad) * std::cos(b.latitude * kRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
  return 2.0 * 6371.0 * std::asin(std::min(1.0, std::sqrt(h)));
}

NetworkReportResult writeNetworkReport(SlotStore& store, const NetworkReportOptions& options, std::ostream& out) {
  NetworkReportResult res;
  struct Cell {
    std::string callsign;
    std::uint64_t slots = 0, heard = 0;
  };
  // station, locator, band, beacon, hour
  std::map<std::tuple<std::string, std::string, int, int, int>, Cell> cells;
  std::map<std::string, bool> nearByLocator;
  const bool ok = store.read(options.fromUtc, options.toUtc, [&](const SlotReport& r) {
    if (r.clockAheadMs && std::fabs(*r.clockAheadMs) > kClockToleranceMs) {
      ++res.clockOff;
      return true;
    }
    if (options.near) {
      auto it = nearByLocator.find(r.locator);
      if (it == nearByLocator.end()) {
        const auto p = locatorCentre(r.locator);
        it = nearByLocator.emplace(r.locator, p && greatCircleKm(*p, *options.near) <= options.km).first;
      }
      if (!it->second) {
        ++res.farAway;
        return true;
      }
    }
    const int hour = static_cast<int>(((r.slotStartUtc % 86400) + 86400) % 86400 / 3600);
    Cell& c = cells[{r.station, r.locator, bandMHz(r.band), r.beacon, hour}];
    c.callsign = r.beaconCall;
    ++c.slots;
    if (r.heard) ++c.heard;
    ++res.reports;
    return true;
  });
  if (!ok) {
    res.error = store.error();
    return res;
  }
  auto q = [](std::string s) {
    for (char& ch : s)
      if (ch == '"') ch = '\'';
    return "\"" + s + "\"";
  };
  out << "\"station\",\"locator\",\"band\",\"beacon\",\"callsign\",\"hour\",\"slots\",\"heard\",\"heard %\"\r\n";
  for (const auto& [key, c] : cells) {
    const auto& [station, locator, mhz, beacon, hour] = key;
    char share[16];
    std::snprintf(share, sizeof share, "%.1f", 100.0 * static_cast<double>(c.heard) / static_cast<double>(c.slots));
    out << q(station) << ',' << q(locator) << ',' << q(std::to_string(mhz)) << ',' << q(std::to_string(beacon)) << ','
        << q(c.callsign) << ',' << q(std::to_string(hour)) << ',' << q(std::to_string(c.slots)) << ','
        << q(std::to_string(c.heard)) << ',' << q(share) << "\r\n";
    ++res.rows;
  }
  res.ok = static_cast<bool>(out);
  if (!res.ok) res.error = "The report could not be written.";
  return res;
}

}  // namespace harkola
