#pragma once
// One slot's result as the propagation view keeps it, and the two record layouts it is
// read from:
// - the slot log ("Harkola 5 Slot Log.csv"), one record per slot the sensitive detector
//   analysed, heard or not: "UTC start","band","beacon","callsign","heard","dashes",
//   "snr100W","snr10W","snr1W","snr0.1W","tone Hz","offset ms","score","S" + CR LF,
//   start in ISO 8601 ("2026-12-07T04:30:10Z"; a blank for the T, fractions of a second
//   and a "+00:00" zone are accepted too), numbers as decimal text, empty when unknown;
// - the heard log, one record per heard slot: "date","hour","band","callsign","S" with
//   the local date ("07-Dec-26") and hour, so a heard-log result is known to the hour.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace harkola {

struct SlotResult {
  std::int64_t startUtc = 0;  // seconds since 1970-01-01 UTC (slot start, or hour start)
  int band = 0;               // 0..4
  int beacon = 0;             // 1..18
  bool heard = false;
  int dashes = 0;             // dashes heard, 0..4
  std::array<float, 4> dashSnrDb{};  // 100 W, 10 W, 1 W, 0.1 W; NaN when not heard
  float toneHz = 0;           // NaN when unknown
  float offsetMs = 0;         // NaN when unknown
  float score = 0;            // NaN when unknown
  int sLevel = 0;             // 1..9 when known, else 0
  // True for a heard-log result: time known to the hour, no SNR, no "not heard".
  bool fromHeardLog = false;
};

// Parses one slot-log line (without its line end). False, leaving `out` unspecified,
// when the line is not a sound record: fewer than 14 fields, a start that is not an ISO
// 8601 UTC time, a band other than 14/18/21/24/28, a beacon outside 1..18, heard not 0
// or 1, a number field that is neither empty nor a number, dashes outside 0..4.
bool parseSlotLogLine(std::string_view line, SlotResult& out);

// Parses one heard-log line. `callsigns` holds the 18 beacons' callsigns (index =
// number - 1); the record's callsign is matched without regard to case. Local date and
// hour are turned into UTC with the process's time zone. False for a line that is not
// a record of one of the 18 beacons on one of the five bands.
bool parseHeardLogLine(std::string_view line, const std::vector<std::string>& callsigns,
                       SlotResult& out);

// Splits a line of the program's record files into fields: comma separated, each field
// optionally in double quotes (the quotes are removed). At most `maxFields` are kept;
// returns the number of fields found (which may be larger).
std::size_t splitRecordFields(std::string_view line, std::string_view* fields, std::size_t maxFields);

// "2026-12-07T04:30:10Z" and its relatives (see above) to seconds since the epoch.
bool parseIsoUtc(std::string_view text, std::int64_t& out);
// The ISO form written back, "2026-12-07T04:30:10Z".
std::string isoUtcText(std::int64_t utcSeconds);

}  // namespace harkola
