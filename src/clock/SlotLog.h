#pragma once
// The slot log, "Harkola 5 Slot Log.csv" in the log folder beside the heard log: one
// record per slot the sensitive detector analysed, heard or not, in the heard log's
// conventions (every field in double quotes, comma separated, CR LF, flushed per
// record; HeardLogFile writes it). Fields:
//
//   "2026-12-07T08:00:10Z","14","2","4U1UN","1","3","-17.5","-27.1","","","842","310","12.3","4"
//
// slot start (UTC, ISO 8601), band, beacon number, callsign, heard 1/0, dashes heard,
// SNR in dB (in 2.5 kHz) of the 100 W, 10 W, 1 W and 0.1 W dash (one decimal, empty
// when that dash was not heard), tone Hz, offset ms (first key-down minus slot start),
// score (one decimal), S level (0 when not heard). Tone and offset are empty when the
// beacon was not heard: they would describe noise.

#include <string>
#include <vector>

#include "clock/SlotMeasurement.h"

namespace harkola {

inline constexpr const char* kSlotLogFileName = "Harkola 5 Slot Log.csv";

// The record line (CR LF included).
std::string slotRecord(const SlotMeasurement& m);

// The analyser's one-line summary of a slot: "VK6RBP  -17.5 dB  3 dashes  +42 Hz  +310 ms"
// (SNR of the 100 W dash, tone relative to 800 Hz, start offset), or "VK6RBP  not heard".
std::string resultLine(const SlotMeasurement& m);

// "2026-12-07T08:00:10Z"; false from the parser for anything else.
std::string isoUtc(SysTime t);
bool parseIsoUtc(const std::string& text, SysTime& out);

struct SlotLogContents {
  std::vector<SlotMeasurement> records;
  std::vector<int> badLines;  // 1-based numbers of lines that are not slot records
};

// Reads the text of a slot log. The slot's local time is left default: the reader
// knows the instant (slot.start), not the zone it was logged in.
SlotLogContents readSlotLog(const std::string& text);

}  // namespace harkola
