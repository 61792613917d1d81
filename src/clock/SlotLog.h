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

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "clock/SlotMeasurement.h"

namespace harkola {

inline constexpr const char* kSlotLogFileName = "Harkola 5 Slot Log.csv";

// The record line (CR LF included).
std::string slotRecord(const SlotMeasurement& m);

// The analyser's one-line summary of a slot: "VK6RBP  -17.5 dB  3 dashes  +42 Hz  +310 ms"
// (SNR of the 100 W dash, tone relative to 800 Hz, start offset), or "VK6RBP  not heard".
std::string resultLine(const SlotMeasurement& m);

// Slot starts: "2026-12-07T08:00:10Z" as written. Read back are also a blank in place of
// the "T" (as spreadsheets write it), fractions of a second, and "+00:00", "+0000",
// "-00:00" or no zone at all (the log's times are UTC); anything else is no time.
std::string isoUtcText(std::int64_t utcSeconds);
bool parseIsoUtc(std::string_view text, std::int64_t& utcSeconds);
std::string isoUtc(SysTime t);
// A time the system clock cannot hold (after the year 2262) is no time for it.
bool parseIsoUtc(std::string_view text, SysTime& out);
bool sysTimeOfUtc(std::int64_t utcSeconds, SysTime& out);

// One slot-log record as read back. Unknown figures (empty fields) are NaN.
struct SlotLogRecord {
  std::int64_t startUtc = 0;  // seconds since 1970-01-01 UTC
  int band = 0;               // 0..4
  int beacon = 0;             // 1..18
  std::string_view callsign;  // points into the line
  bool heard = false;
  int dashes = 0;             // 0..4 (an empty field is 0)
  std::array<double, 4> dashSnrDb{};
  double toneHz = 0, offsetMs = 0, score = 0;
  int sLevel = 0;             // 1..9 when known, else 0
};

// Reads one line of the slot log (without its line end). Fields may be quoted or not;
// blanks around them and fields after the fourteenth are ignored. False, leaving `out`
// unspecified, when the line is no record: fewer than 14 fields, a start that is no
// time (above), a band other than 14/18/21/24/28, a beacon outside 1..18, heard not 0
// or 1, dashes outside 0..4, a figure that is neither empty nor a number. An S level
// outside 1..9 reads as 0 (unknown).
bool parseSlotLogLine(std::string_view line, SlotLogRecord& out);

// The same decision as parseSlotLogLine at a fraction of its cost, for reading years of
// history where only a few records need their figures: start, band, beacon, callsign,
// heard and dashes are read, the figures and the S level only checked (unspecified).
bool scanSlotLogLine(std::string_view line, SlotLogRecord& out);

// Splits a line of the program's record files into fields: comma separated, each field
// optionally in double quotes (the quotes are removed, and what follows the closing
// quote up to the comma is ignored). At most `maxFields` are kept; returns the number
// of fields found (which may be larger).
std::size_t splitRecordFields(std::string_view line, std::string_view* fields, std::size_t maxFields);

struct SlotLogContents {
  std::vector<SlotMeasurement> records;
  std::vector<int> badLines;  // 1-based numbers of lines that are not slot records
};

// Reads the text of a slot log. The slot's local time is left default: the reader
// knows the instant (slot.start), not the zone it was logged in.
SlotLogContents readSlotLog(const std::string& text);

}  // namespace harkola
