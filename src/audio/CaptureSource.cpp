#include "audio/CaptureSource.h"

#include <algorithm>

namespace harkola {

void CaptureSource::feed(const std::int16_t* samples, std::size_t count) {
  while (count > 0) {
    const std::size_t n = std::min<std::size_t>(count, kBlockSamples - m_fill);
    std::copy_n(samples, n, m_block.begin() + m_fill);
    m_fill += static_cast<int>(n);
    samples += n;
    count -= n;
    if (m_fill == kBlockSamples) {
      m_fill = 0;
      m_delivered += kBlockSamples;
      emit blockReady(m_block);
      // A handler may have stopped the source: deliver nothing more.
      if (!isRunning()) return;
    }
  }
}

}  // namespace harkola
