#pragma once
// What the network says about the beacons: the reports of the last 24 hours from every
// station (this one included, as the broker hands its own back), each once by its key
// (station, slot start, band), summarised for a period: per beacon and band how many
// stations heard it and which; per station where it is and which paths it heard.
//
// Reports of a station whose clock was more than kClockToleranceMs off the beacons
// (by its own clock check) are kept apart: the station is listed and marked, its
// reports are counted but not merged, since its slots may belong to another beacon.
//
// Memory: about 16 bytes per report plus the station's names once; a network of 50
// stations on five bands over a day is about 35 MB.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "data/GeoPoint.h"
#include "network/SlotReport.h"

namespace harkola {

struct NetworkFilter {
  std::int64_t periodSeconds = 15 * 60;
  std::optional<GeoPoint> home;  // "me", for distances
  double withinKm = 0;           // only stations this near home; 0: all
};

// A path a station heard in the period: beacon, band, how often, and the best SNR of
// the 100 W dash (unknown when no report gave one).
struct HeardPath {
  int beacon = 0;  // 1..18
  int band = 0;    // 0..4
  int heard = 0;
  std::optional<double> bestSnrDb;
};

struct NetworkStationView {
  std::string callsign;
  std::string locator;               // of its latest report
  std::optional<GeoPoint> where;     // the locator's centre
  std::optional<double> km;          // from home, when home and locator are known
  std::optional<double> clockAheadMs;  // of its latest report
  bool clockOff = false;             // its latest report's clock is beyond the tolerance
  int reported = 0;                  // its merged reports (slots) in the period
  int heard = 0;                     // of them heard
  int clockOffReports = 0;           // its reports in the period left out for the clock
  std::int64_t lastSlotUtc = 0;      // its newest report's slot, any period
  std::vector<HeardPath> paths;      // by beacon, then band
};

struct NetworkCell {
  int heardBy = 0;        // stations that heard the beacon on the band in the period
  int listenedBy = 0;     // stations that reported the beacon's slots on the band
  std::vector<int> heardStations;  // indexes into NetworkSummary::stations
};

struct NetworkSummary {
  std::vector<NetworkStationView> stations;  // with reports in the period, by callsign
  std::array<NetworkCell, 18 * 5> cells{};
  std::size_t reports = 0;          // merged in the period
  std::size_t clockOffReports = 0;  // left out for the clock
  int farStations = 0;              // left out by the distance filter
  int clockOffStations = 0;
  const NetworkCell& cell(int beacon, int band) const {
    return cells[static_cast<std::size_t>((beacon - 1) * 5 + band)];
  }
};

class NetworkPicture {
 public:
  static constexpr std::int64_t kKeepSeconds = 24 * 3600;

  // Adds a (checked) report; false when it is held already or out of range.
  bool add(const SlotReport& r);
  // Forgets reports whose slot is older than kKeepSeconds before `nowUtc`.
  void prune(std::int64_t nowUtc);
  void clear();
  std::size_t size() const { return m_count; }
  std::size_t stationCount() const { return m_stations.size(); }

  NetworkSummary summarise(const NetworkFilter& filter, std::int64_t nowUtc) const;

 private:
  struct Compact {
    std::int64_t start;
    std::int8_t band;
    std::int8_t beacon;
    bool heard;
    bool clockOff;
    float snr100;  // NaN when unknown
  };
  struct Station {
    std::string callsign;
    std::string locator;
    std::optional<double> clockAheadMs;
    std::int64_t lastStart = 0;
    std::deque<Compact> reports;        // by slot start
    std::unordered_set<std::int64_t> keys;  // start * 8 + band
  };
  std::map<std::string, Station> m_stations;
  std::size_t m_count = 0;
};

// The cell's text for the grid ("3/5": heard by 3 of the 5 stations that listened; ""
// when none listened) and its tooltip (who heard it, where, how far from home).
std::string networkCellText(const NetworkCell& c);
std::string networkCellTooltip(const NetworkSummary& s, int beacon, int band, bool miles);
// The hover text of a station: "OH2XYZ  KP20  1830 km\nheard 12 of 40 slots\n..." and,
// when marked, why.
std::string networkStationText(const NetworkStationView& s, bool miles);

}  // namespace harkola
