#pragma once
// The PC clock checked against the beacons: every beacon starts keying on its slot
// boundary, so the median start offset of recently heard slots (measured on the PC
// clock, capture latency taken off) is how far the PC clock is ahead of the beacons.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace harkola {

class ClockCheck {
 public:
  static constexpr std::size_t kSlots = 20;
  // A heard slot's start offset (first key-down minus slot boundary on the PC clock), ms.
  void add(double offsetMs);
  std::size_t count() const { return m_offsets.size(); }
  // Median of the last kSlots offsets minus `latencyMs` (how late captured audio is
  // stamped); empty before the first heard slot.
  std::optional<double> pcClockAheadMs(double latencyMs = 0.0) const;
  // "Beacons: PC clock 0.35 s fast, 14 slots" ("slow", "on time" within 5 ms;
  // "Beacons: no slot heard yet" before the first).
  std::string text(double latencyMs = 0.0) const;

 private:
  std::deque<double> m_offsets;
};

}  // namespace harkola
