#pragma once
// Unattended band scanning: while it is on, the selected band steps 14 -> 18 -> 21 ->
// 24 -> 28 -> 14 MHz at the start of each 3-minute cycle, so that every beacon is heard
// on every band once in 15 minutes. It never steps while follow mode is on (the two
// exclude each other: the window that offers both switches one off when the other is
// chosen), and it is off while rig control is off.
//
// The clock asks on every tick; the answer is the band to select now, if any. Cycles
// start at minute 0, 3, ... 57, second 0 of every hour (UTC and every whole-quarter-hour
// time zone agree on that).

#include <cstdint>
#include <optional>

namespace harkola {

class BandScan {
 public:
  // A tick later than this into a cycle does not step any more: a clock that jumped or
  // a program that stalled must not retune in the middle of a cycle.
  static constexpr std::int64_t kLateLimitSeconds = 10;

  // Switches scanning on. The first step comes at the next cycle start, not at once.
  void start(std::int64_t nowUtc);
  void stop() { m_active = false; }
  bool active() const { return m_active; }

  // Called on every clock tick with the instant (seconds since the epoch, UTC) and the
  // band selected now (0..4). Returns the band to select, at most once per cycle.
  std::optional<int> onTick(std::int64_t nowUtc, int selectedBand, bool followMode);

  static std::int64_t cycleOf(std::int64_t utc);

 private:
  bool m_active = false;
  std::int64_t m_lastCycle = 0;
};

}  // namespace harkola
