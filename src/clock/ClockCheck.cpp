#include "clock/ClockCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace harkola {

void ClockCheck::add(double offsetMs) {
  if (!std::isfinite(offsetMs)) return;
  m_offsets.push_back(offsetMs);
  if (m_offsets.size() > kSlots) m_offsets.pop_front();
}

std::optional<double> ClockCheck::pcClockAheadMs(double latencyMs) const {
  if (m_offsets.empty()) return std::nullopt;
  std::vector<double> v(m_offsets.begin(), m_offsets.end());
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
  return median - latencyMs;
}

std::string ClockCheck::text(double latencyMs) const {
  const auto ahead = pcClockAheadMs(latencyMs);
  if (!ahead) return "Beacons: no slot heard yet";
  char buf[80];
  const char* unit = m_offsets.size() == 1 ? "slot" : "slots";
  if (std::abs(*ahead) < 5.0)
    std::snprintf(buf, sizeof buf, "Beacons: PC clock on time, %zu %s", m_offsets.size(), unit);
  else
    std::snprintf(buf, sizeof buf, "Beacons: PC clock %.2f s %s, %zu %s", std::abs(*ahead) / 1000.0,
                  *ahead > 0 ? "fast" : "slow", m_offsets.size(), unit);
  return buf;
}

}  // namespace harkola
