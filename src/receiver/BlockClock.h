#pragma once
// The time of a live source's samples. A device's sample clock runs a little fast or
// slow (tens of ppm on a cheap receiver: seconds a day), and blocks reach the program
// late by a varying buffering delay. BlockClock puts sample positions on the system
// clock (kept right by NTP) with a second-order loop on the least-delayed arrivals:
// the sample count gives the fine timing, the arrival times keep it from drifting.
//
// Over a day with a sample clock 100 ppm off and arrival delays scattered over tens of
// milliseconds, the stamped times stay within a few milliseconds of the true ones
// plus the shortest delay (which the beacon clock check shows).

#include <chrono>
#include <cstddef>

#include "receiver/IqSource.h"

namespace harkola {

class BlockClock {
 public:
  explicit BlockClock(double nominalRate);

  // A block of `count` samples starting at stream position `index` was handed over at
  // `arrival` (just after its last sample came). Returns the instant of sample `index`.
  // Positions must not go back; a jump forward is a gap of known length.
  SysTime place(long long index, std::size_t count, SysTime arrival);
  // Samples were lost and how many is unknown: the next block starts the model afresh.
  void restart() { m_started = false; }

  // The instant of stream position `index` on the current model.
  SysTime timeOf(long long index) const;
  // The measured sample rate over the nominal one (1 + error).
  double rateRatio() const { return m_nominalPeriod / m_period; }
  double nominalRate() const { return 1.0 / m_nominalPeriod; }
  // Corrections so far (steps of more than kStepSeconds count as restarts).
  long steps() const { return m_steps; }

  static constexpr double kWindowSeconds = 5.0;  // arrivals compared per loop step
  static constexpr double kStepSeconds = 0.1;    // an error this large is stepped, not slewed
  static constexpr double kMaxRateError = 500e-6;

 private:
  double secondsOf(SysTime t) const;

  double m_nominalPeriod;
  double m_period;
  bool m_started = false;
  SysTime m_base{};              // arrival of the first block; times below are seconds from it
  long long m_anchorIndex = 0;
  double m_anchorTime = 0.0;     // instant of m_anchorIndex
  long long m_windowStart = 0;
  double m_windowMin = 0.0;
  bool m_windowEmpty = true;
  long m_steps = 0;
};

}  // namespace harkola
