#include "audio/ClassicDetector.h"

#include <algorithm>
#include <cmath>

namespace harkola {

void ClassicDetector::beginSlot(const SlotRef& slot) {
  m_slot = slot;
  m_count = MorseCount{};
  d.MorseHits = 0;
  d.MorsePeakSum = 0.0f;
}

void ClassicDetector::addBlock(const std::int16_t* samples, std::size_t count, SysTime) {
  while (count > 0) {
    const std::size_t n = std::min(count, static_cast<std::size_t>(kBlockSamples) - m_fill);
    std::copy_n(samples, n, m_block.begin() + static_cast<std::ptrdiff_t>(m_fill));
    m_fill += n;
    samples += n;
    count -= n;
    if (m_fill == static_cast<std::size_t>(kBlockSamples)) analyseBuffered();
  }
}

void ClassicDetector::analyseBuffered() {
  m_fill = 0;
  m_fft.Transform(m_block, m_spectrum);
  m_last = analyseFrame(m_spectrum, d.NoiseFilter, &m_count);
  d.MorseHits = m_count.MorseHits;
  d.MorsePeakSum = m_count.MorsePeakSum;
}

SlotDecision ClassicDetector::decide(SysTime) {
  SlotDecision r;
  r.slot = m_slot;
  r.heard = m_count.MorseHits > d.MorseThreshold;
  if (r.heard) {
    const double average = std::fabs(static_cast<double>(m_count.MorsePeakSum) / m_count.MorseHits);
    const long level = static_cast<long>(std::floor(std::sqrt(average) / 100.0)) + d.SMeterOffset;
    r.sLevel = static_cast<int>(std::clamp(level, 1L, 9L));
  }
  return r;
}

}  // namespace harkola
