#include "receiver/ChannelLevel.h"

#include <algorithm>
#include <cmath>

namespace harkola {

namespace {
constexpr double kTargetRms = 700.0;
constexpr int kFrame = 551;  // 50 ms at 11025 Hz
constexpr std::size_t kFrames = 400;
constexpr std::size_t kFloorRank = kFrames / 20;
}  // namespace

ChannelLevel::ChannelLevel() : m_powers(kFrames, 0.0) {}

double ChannelLevel::noiseDbfs() const { return m_framesSeen ? 10.0 * std::log10(2.0 * m_floor + 1e-30) : -200.0; }
double ChannelLevel::peakDbfs() const { return m_framesSeen ? 10.0 * std::log10(2.0 * m_peak + 1e-30) : -200.0; }

void ChannelLevel::scale(const float* a, std::size_t n, std::vector<std::int16_t>& audio) {
  if (m_framesSeen == 0 && m_frameFill == 0 && n > 0) {
    // A first gain from whatever came, until the first frame is complete.
    double p = 0.0;
    for (std::size_t i = 0; i < n; ++i) p += static_cast<double>(a[i]) * a[i];
    if (p > 1e-20 * n) m_gain = kTargetRms / std::sqrt(p / n);
  }
  for (std::size_t i = 0; i < n; ++i) {
    const double v = a[i];
    m_frameSum += v * v;
    if (++m_frameFill == kFrame) {
      endFrame(m_frameSum / kFrame);
      m_frameSum = 0.0;
      m_frameFill = 0;
    }
    audio.push_back(static_cast<std::int16_t>(
        std::clamp(std::lround(v * (m_fixedGain > 0 ? m_fixedGain : m_gain)), -32767L, 32767L)));
  }
}

void ChannelLevel::endFrame(double power) {
  m_powers[m_powerPos] = power;
  m_powerPos = (m_powerPos + 1) % kFrames;
  ++m_framesSeen;
  const std::size_t have = std::min<std::size_t>(kFrames, static_cast<std::size_t>(m_framesSeen));
  std::vector<double> sorted(m_powers.begin(), m_powers.begin() + static_cast<long>(have));
  const std::size_t q = have * kFloorRank / kFrames;
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(q), sorted.end());
  m_floor = sorted[q];
  m_peak = *std::max_element(sorted.begin(), sorted.end());
  if (m_floor > 1e-20) {
    const double want = kTargetRms / std::sqrt(m_floor);
    // At once while the first second fills, then slowly (about 20 s).
    m_gain = m_framesSeen <= 20 ? want : m_gain * std::pow(want / m_gain, 1.0 / kFrames);
  }
}

}  // namespace harkola
