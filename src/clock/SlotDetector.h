#pragma once
// The detector: it takes the receiver's audio and answers the clock's question "was
// this slot's beacon heard, and how strongly?".
//
// Who calls what, all on one thread:
// - the clock calls beginSlot() in every new-slot sequence (the selected band's beacon
//   changed: a new slot, or a band change);
// - the audio side (the analyser window live, the replay command from a recording) calls
//   addBlock() for every captured block, in order;
// - the clock calls decide() on every tick, after the blocks that completed before it.
//
// A detector never reads a clock or a device: times come with the calls. A detector
// that decides only after the slot's transmission has ended (up to a few seconds into
// the next slot) keeps what it needs of the previous slot when beginSlot() is called and
// answers for that slot later; SlotDecision::slot says which slot an answer is about.

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "common/LocalTime.h"

namespace harkola {

using SysTime = std::chrono::system_clock::time_point;

// One slot of the selected band.
struct SlotRef {
  SysTime start{};       // the slot's ten-second boundary
  LocalTime startLocal;  // the same instant on the local clock (heard-log records)
  int band = 0;          // 0..4 = 14, 18, 21, 24, 28 MHz
  int beacon = 0;        // 1..18: the beacon the schedule puts on the air
};

struct SlotDecision {
  // The slot's beacon is heard (so far, for a detector that decides as it goes).
  bool heard = false;
  // 1..9 (S-meter offset applied and clamped) when heard; 0 otherwise.
  int sLevel = 0;
  // True when the answer is about an earlier slot (`slot`), decided after it ended; the
  // clock then writes that slot's record even though a new slot runs.
  bool late = false;
  SlotRef slot;
};

class SlotDetector {
 public:
  virtual ~SlotDetector() = default;
  // A new slot begins: the per-slot state starts afresh.
  virtual void beginSlot(const SlotRef& slot) = 0;
  // `count` mono 16-bit samples at 11025 Hz (512 live); `end` is the instant just after
  // the last sample.
  virtual void addBlock(const std::int16_t* samples, std::size_t count, SysTime end) = 0;
  // The decision as it stands at `now`.
  virtual SlotDecision decide(SysTime now) = 0;
};

}  // namespace harkola
