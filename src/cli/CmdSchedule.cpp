// now, table, distaz: the beacon clock and the distance table from the command line.
#include <chrono>
#include <cstdio>

#include "cli/CliJson.h"
#include "cli/CliSupport.h"
#include "clock/BeaconSchedule.h"
#include "common/LocalTime.h"
#include "common/UtcTime.h"
#include "data/Beacons.h"

namespace harkola::cli {

namespace {

// Reads --at (default: the present local time); false with a message on `err`.
bool timeOption(const ParsedArgs& p, LocalTime& t, std::ostream& err) {
  if (auto at = p.value("--at")) {
    if (!parseLocalTime(*at, t)) {
      err << "harkola-cli: --at wants a local time as \"YYYY-MM-DD HH:MM:SS\", not \"" << *at
          << "\"\n";
      return false;
    }
    return true;
  }
  t = localTimeAt(std::chrono::system_clock::now());
  return true;
}

bool parseOrComplain(ParsedArgs& p, const Args& args, const std::set<std::string>& withValue,
                     const std::set<std::string>& flags, std::ostream& err) {
  std::string error;
  if (!p.parse(args, withValue, flags, error)) {
    err << "harkola-cli: " << error << " (try --help)\n";
    return false;
  }
  if (!p.positional().empty()) {
    err << "harkola-cli: unexpected argument '" << p.positional().front() << "' (try --help)\n";
    return false;
  }
  return true;
}

std::string timestamp(const LocalTime& t) { return isoText(t); }

// The same instant in UTC.
std::string utcStamp(const LocalTime& local) { return isoText(utcTimeAt(timePointOf(local))); }

// "2026-12-06 10:00:00 local  2026-12-06 15:00:00 UTC"
std::string bothTimes(const LocalTime& t) {
  return timestamp(t) + " local  " + utcStamp(t) + " UTC";
}

}  // namespace

int runNow(const Args& args, std::ostream& out, std::ostream& err) {
  ParsedArgs p;
  if (!parseOrComplain(p, args, {"--band", "--at", "--data-folder"}, {"--json"}, err)) return 2;
  const std::string bandWord = p.value("--band").value_or("14");
  const int band = bandFromText(bandWord);
  if (band < 0) {
    err << "harkola-cli: --band must be 14, 18, 21, 24 or 28, not \"" << bandWord << "\"\n";
    return 2;
  }
  LocalTime t;
  if (!timeOption(p, t, err)) return 2;

  PublicDecs d;
  loadDataReadOnly(p.value("--data-folder").value_or(""), d, &err);
  const SlotPosition s = slotPosition(t.minute, t.second, band);
  const int mhz = bandMHz(band);
  const Beacons beacons(d.BeaconTable);
  const int row = s.stationNumber, next = s.nextStation;
  const DistAz& da = d.DistAzTable[s.stationNumber];
  const std::string unit = d.Home.unitText();

  if (p.has("--json")) {
    out << jsonLine({{"time", timestamp(t)},
                     {"utc", utcStamp(t)},
                     {"slot", s.slotNumber},
                     {"band", mhz},
                     {"beacon", s.stationNumber},
                     {"callsign", jsonText(beacons.callsign(row))},
                     {"country", jsonText(beacons.country(row))},
                     {"status", jsonText(beacons.status(row, band))},
                     {"distance", da.distance},
                     {"unit", jsonText(unit)},
                     {"azimuth", da.azimuth},
                     {"seconds_into_slot", s.secondsIntoSlot},
                     {"next_beacon", s.nextStation},
                     {"next_callsign", jsonText(beacons.callsign(next))},
                     {"next_country", jsonText(beacons.country(next))},
                     {"next_status", jsonText(beacons.status(next, band))}});
    return 0;
  }
  out << bothTimes(t) << "  slot " << s.slotNumber << "  " << mhz << " MHz\n"
      << "Now:  beacon " << s.stationNumber << "  " << beacons.callsign(row) << "  " << beacons.country(row) << "  ("
      << beacons.status(row, band) << ")  " << da.distance << " " << unit << "  azimuth " << da.azimuth
      << "\n"
      << "      " << s.secondsIntoSlot << " s into the slot\n"
      << "Next: beacon " << s.nextStation << "  " << beacons.callsign(next) << "  " << beacons.country(next) << "  ("
      << beacons.status(next, band) << ")\n";
  return 0;
}

int runTable(const Args& args, std::ostream& out, std::ostream& err) {
  ParsedArgs p;
  if (!parseOrComplain(p, args, {"--at", "--data-folder"}, {"--json"}, err)) return 2;
  LocalTime t;
  if (!timeOption(p, t, err)) return 2;
  PublicDecs d;
  loadDataReadOnly(p.value("--data-folder").value_or(""), d, &err);

  const bool json = p.has("--json");
  Json bands = Json::array();
  if (!json) {
    out << bothTimes(t) << "  slot " << slotPosition(t.minute, t.second, 0).slotNumber << "\n";
  }
  for (int band = 0; band < kBandCount; ++band) {
    const SlotPosition s = slotPosition(t.minute, t.second, band);
    const Beacons beacons(d.BeaconTable);
    const int row = s.stationNumber;
    if (json) {
      bands.push_back({{"band", bandMHz(band)},
                       {"beacon", s.stationNumber},
                       {"callsign", jsonText(beacons.callsign(row))},
                       {"country", jsonText(beacons.country(row))},
                       {"status", jsonText(beacons.status(row, band))}});
    } else {
      char line[160];
      std::snprintf(line, sizeof line, "%2d MHz  %2d  %-11s %-14s %s\n", bandMHz(band),
                    s.stationNumber, beacons.callsign(row).c_str(), beacons.country(row).c_str(), beacons.status(row, band).c_str());
      out << line;
    }
  }
  if (json)
    out << jsonLine({{"time", timestamp(t)},
                     {"utc", utcStamp(t)},
                     {"slot", slotPosition(t.minute, t.second, 0).slotNumber},
                     {"bands", std::move(bands)}});
  return 0;
}

int runDistaz(const Args& args, std::ostream& out, std::ostream& err) {
  ParsedArgs p;
  if (!parseOrComplain(p, args, {"--data-folder"}, {"--json"}, err)) return 2;
  PublicDecs d;
  loadDataReadOnly(p.value("--data-folder").value_or(""), d, &err);
  const std::string unit = d.Home.unitText();
  const bool json = p.has("--json");
  Json rows = Json::array();
  if (!json) out << "Home: " << d.Home.name() << "\n";
  for (int n = 1; n <= kBeaconCount; ++n) {
    const Beacons beacons(d.BeaconTable);
    const int row = n;
    const DistAz& da = d.DistAzTable[n];
    if (json) {
      rows.push_back({{"beacon", n},
                      {"callsign", jsonText(beacons.callsign(row))},
                      {"country", jsonText(beacons.country(row))},
                      {"distance", da.distance},
                      {"unit", jsonText(unit)},
                      {"azimuth", da.azimuth}});
    } else {
      char line[160];
      std::snprintf(line, sizeof line, "%2d  %-11s %-14s %6ld %-2s %3d\n", n, beacons.callsign(row).c_str(),
                    beacons.country(row).c_str(), da.distance, unit.c_str(), da.azimuth);
      out << line;
    }
  }
  if (json) out << jsonLine(rows);
  return 0;
}

}  // namespace harkola::cli
