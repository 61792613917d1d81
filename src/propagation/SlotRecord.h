#pragma once
// One slot's result as the propagation view keeps it, and the two record layouts it is
// read from:
// - the slot log, one record per slot the sensitive detector analysed, heard or not
//   (clock/SlotLog.h writes and reads it);
// - the heard log, one record per heard slot: "date","hour","band","callsign","S" with
//   the local date ("07-Dec-26") and hour, so a heard-log result is known to the hour.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "clock/SlotLog.h"

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

// The result of a slot-log record.
SlotResult slotResultOf(const SlotLogRecord& r);
// One slot-log line read by the slot log's reader (parseSlotLogLine, clock/SlotLog.h).
bool parseSlotLogLine(std::string_view line, SlotResult& out);

// Parses one heard-log line. `callsigns` holds the 18 beacons' callsigns (index =
// number - 1); the record's callsign is matched without regard to case. Local date and
// hour are turned into UTC with the process's time zone. False for a line that is not
// a record of one of the 18 beacons on one of the five bands.
bool parseHeardLogLine(std::string_view line, const std::vector<std::string>& callsigns,
                       SlotResult& out);

}  // namespace harkola
