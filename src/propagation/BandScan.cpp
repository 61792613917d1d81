#include "propagation/BandScan.h"

namespace harkola {

std::int64_t BandScan::cycleOf(std::int64_t utc) {
  return utc >= 0 ? utc / 180 : -((-utc + 179) / 180);
}

void BandScan::start(std::int64_t nowUtc) {
  m_active = true;
  m_lastCycle = cycleOf(nowUtc);
}

std::optional<int> BandScan::onTick(std::int64_t nowUtc, int selectedBand, bool followMode) {
  if (!m_active) return std::nullopt;
  const std::int64_t cycle = cycleOf(nowUtc);
  if (followMode) {
    // Follow mode owns the band; should scanning be resumed, it waits for a new cycle.
    m_lastCycle = cycle;
    return std::nullopt;
  }
  if (cycle == m_lastCycle) return std::nullopt;
  m_lastCycle = cycle;
  if (nowUtc - cycle * 180 >= kLateLimitSeconds) return std::nullopt;
  if (selectedBand < 0 || selectedBand > 4) return 0;
  return (selectedBand + 1) % 5;
}

}  // namespace harkola
