#include "audio/Baseband.h"

#include <cmath>

namespace harkola {

namespace {

// Windowed-sinc low pass with unity gain at 0 Hz: Blackman window (deep stop band,
// wide transition) or Hamming (narrow transition).
std::vector<float> lowPass(int taps, double cutoffHz, double rate, bool blackman) {
  std::vector<double> h(taps);
  double sum = 0.0;
  const double mid = (taps - 1) / 2.0;
  for (int k = 0; k < taps; ++k) {
    const double x = k - mid;
    const double sinc = x == 0.0 ? 2.0 * cutoffHz / rate
                                 : std::sin(2.0 * M_PI * cutoffHz / rate * x) / (M_PI * x);
    const double c = std::cos(2.0 * M_PI * k / (taps - 1));
    const double w = blackman ? 0.42 - 0.5 * c + 0.08 * std::cos(4.0 * M_PI * k / (taps - 1))
                              : 0.54 - 0.46 * c;
    h[k] = sinc * w;
    sum += h[k];
  }
  std::vector<float> out(taps);
  for (int k = 0; k < taps; ++k) out[k] = static_cast<float>(h[k] / sum);
  return out;
}

constexpr int kMixPeriod = 441;  // 800 / 11025 = 32 / 441

}  // namespace

// Stage 1: 11025 -> 2205 Hz, stage 2: 2205 -> 735 Hz.
Baseband::Baseband()
    : m_stage1(lowPass(kTaps1, 1060.0, kInputRate, true)), m_stage2(lowPass(kTaps2, 345.0, kInputRate / 5.0, false)) {
  m_mix.resize(kMixPeriod);
  for (int n = 0; n < kMixPeriod; ++n) {
    const double ph = -2.0 * M_PI * kMixHz * n / kInputRate;
    m_mix[n] = Cf(static_cast<float>(std::cos(ph)), static_cast<float>(std::sin(ph)));
  }
  reset();
}

void Baseband::reset() {
  m_stage1.reset();
  m_stage2.reset();
  m_n = 0;
}

double Baseband::centreOf(long long m) {
  // Stage 1 output j is centred on input 5 j + 4 - (taps1 - 1) / 2, stage 2 output m
  // on stage-1 output 3 m + 2 - (taps2 - 1) / 2.
  return 5.0 * (3.0 * m + 2 - (kTaps2 - 1) / 2) + 4 - (kTaps1 - 1) / 2;
}

void Baseband::push(const std::int16_t* samples, std::size_t count, std::vector<Cf>& out) {
  for (std::size_t i = 0; i < count; ++i) {
    const Cf v = m_mix[m_n % kMixPeriod] * static_cast<float>(samples[i]);
    ++m_n;
    Cf once, twice;
    if (m_stage1.push(v, once) && m_stage2.push(once, twice)) out.push_back(twice);
  }
}

}  // namespace harkola
