#pragma once
// The slot report on the wire: an MQTT message on
//
//   harkola/v1/slot/<band MHz>/<beacon callsign>/<station callsign>
//
// (a "/" in a callsign is written "_" in the topic, where "/" separates levels) whose
// payload is one JSON object:
//
//   {"schema":1,"slot_start":"2026-12-07T08:00:10Z","band":14,"beacon":2,
//    "beacon_call":"VE8AT","heard":true,"dashes":3,"snr_db":[-17.5,-27.0,null,null],
//    "tone_hz":842.0,"offset_ms":-311.0,"detector":"sensitive","station":"OH2XYZ",
//    "locator":"KP20","version":"5.0.0","clock_ms":12.0}
//
// tone_hz and offset_ms are null when not heard, clock_ms when the station has not heard
// a beacon yet. Fields not named here are ignored (a later minor revision may add some);
// a different "schema" is refused.
//
// The decoder is the gate of everything that arrives from the network: it never
// throws, never trusts a size or a type, and says why it refused.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "network/SlotReport.h"

namespace harkola {

inline constexpr int kSlotSchema = 1;
inline constexpr std::string_view kSlotTopicRoot = "harkola/v1/slot";
inline constexpr std::string_view kSlotTopicFilter = "harkola/v1/slot/#";
// A report is about 350 bytes; anything far larger is not one.
inline constexpr std::size_t kMaxPayloadBytes = 2048;
inline constexpr std::size_t kMaxTopicBytes = 128;
// Reports wait in a station's spool for at most this long, so nothing older can be
// genuine news; a slot more than kFutureSlack ahead of the receiver's clock is refused
// too (stations whose clocks are that far off are no use to anyone).
inline constexpr std::int64_t kMaxReportAgeSeconds = 7 * 24 * 3600;
inline constexpr std::int64_t kFutureSlackSeconds = 300;

enum class Refusal {
  None,
  Oversized,      // payload or topic longer than allowed
  Malformed,      // not a JSON object
  UnknownSchema,  // "schema" missing or not ours
  WrongType,      // a field missing, of the wrong type, or out of its range
  FutureSlot,     // slot start after the receiver's clock (plus the slack)
  TooOld,         // slot start older than the spool keeps reports
  TopicMismatch,  // topic not ours, or naming another band, beacon or station
};
inline constexpr int kRefusalKinds = 8;
// "malformed JSON", "wrong type", ...: for log lines and the window.
const char* refusalText(Refusal r);

// The topic of a report.
std::string slotTopic(const SlotReport& r);
// The payload of a report (compact JSON, no line end).
std::string encodeSlotReport(const SlotReport& r);

struct DecodeResult {
  Refusal refusal = Refusal::None;
  std::string detail;  // which field, for a log line
  SlotReport report;
  bool ok() const { return refusal == Refusal::None; }
};
// Checks and decodes a message received on `topic` at `nowUtc` (seconds since 1970).
DecodeResult decodeSlotMessage(std::string_view topic, std::string_view payload, std::int64_t nowUtc);

// A station callsign as the network takes it: 3..16 of A-Z, 0-9, "/" and "-", upper
// case (input in either case); empty when it is not one.
std::string normalisedStation(std::string_view text);
// A locator for the network: the first 4 characters, or 6 when `sixCharacters`; field
// letters upper case, subsquare lower case. Empty when `text` is not a locator.
std::string networkLocator(std::string_view text, bool sixCharacters);

}  // namespace harkola
