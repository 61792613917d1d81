#include "receiver/BlockClock.h"

#include <algorithm>
#include <cmath>

namespace harkola {

namespace {
// Loop gains per window: a phase error is taken out over about three windows, a rate
// error over a few minutes, without following the scatter of single arrivals.
constexpr double kPhaseGain = 0.3;
constexpr double kRateGain = 0.05;
}  // namespace

BlockClock::BlockClock(double nominalRate) : m_nominalPeriod(1.0 / nominalRate), m_period(1.0 / nominalRate) {}

double BlockClock::secondsOf(SysTime t) const { return std::chrono::duration<double>(t - m_base).count(); }

SysTime BlockClock::timeOf(long long index) const {
  const double s = m_anchorTime + static_cast<double>(index - m_anchorIndex) * m_period;
  return m_base + std::chrono::duration_cast<SysTime::duration>(std::chrono::duration<double>(s));
}

SysTime BlockClock::place(long long index, std::size_t count, SysTime arrival) {
  const long long end = index + static_cast<long long>(count);
  if (!m_started) {
    m_started = true;
    m_base = arrival;
    m_anchorIndex = end;
    m_anchorTime = 0.0;
    m_windowStart = end;
    m_windowEmpty = true;
    return timeOf(index);
  }
  const double predicted = m_anchorTime + static_cast<double>(end - m_anchorIndex) * m_period;
  const double residual = secondsOf(arrival) - predicted;
  m_windowMin = m_windowEmpty ? residual : std::min(m_windowMin, residual);
  m_windowEmpty = false;
  const double span = static_cast<double>(end - m_windowStart) * m_period;
  if (span >= kWindowSeconds) {
    const double e = m_windowMin;
    m_anchorIndex = end;
    if (std::abs(e) > kStepSeconds) {
      m_anchorTime = predicted + e;
      ++m_steps;
    } else {
      m_anchorTime = predicted + kPhaseGain * e;
      // e > 0: the samples arrive later and later, the clock is slower than assumed.
      const double ratio = std::clamp(m_nominalPeriod / (m_period * (1.0 + kRateGain * e / span)),
                                      1.0 - kMaxRateError, 1.0 + kMaxRateError);
      m_period = m_nominalPeriod / ratio;
    }
    m_windowStart = end;
    m_windowEmpty = true;
  }
  return timeOf(index);
}

}  // namespace harkola
