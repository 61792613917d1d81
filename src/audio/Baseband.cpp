#include "audio/Baseband.h"

#include <liquid/liquid.h>

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

Baseband::Decimator::Decimator(const std::vector<float>& taps, int factor)
    : m_filter(firdecim_crcf_create(static_cast<unsigned>(factor), const_cast<float*>(taps.data()),
                                    static_cast<unsigned>(taps.size()))),
      m_factor(factor) {
  reset();
}

Baseband::Decimator::~Decimator() { firdecim_crcf_destroy(m_filter); }

// The library computes a block's output when the block's first input comes in. A
// leading zero (one more of the zeros the filter starts with) in the first block puts
// the inputs behind it, so every later block begins with input factor*k - 1, the one
// that completes output k; the first block's own output (of the zeros) is dropped.
void Baseband::Decimator::reset() {
  firdecim_crcf_reset(m_filter);
  m_pending.assign(1, Cf{});
  m_dropNext = true;
}

void Baseband::Decimator::block(const Cf* in, std::vector<Cf>& out) {
  Cf y;
  firdecim_crcf_execute(m_filter, const_cast<Cf*>(in), &y);
  if (m_dropNext) m_dropNext = false;
  else out.push_back(y);
}

void Baseband::Decimator::push(const Cf* in, std::size_t count, std::vector<Cf>& out) {
  const std::size_t m = static_cast<std::size_t>(m_factor);
  std::size_t i = 0;
  if (!m_pending.empty()) {
    while (i < count && m_pending.size() < m) m_pending.push_back(in[i++]);
    if (m_pending.size() < m) return;
    block(m_pending.data(), out);
    m_pending.clear();
  }
  for (; i + m <= count; i += m) block(in + i, out);
  m_pending.assign(in + i, in + count);
}

// Stage 1: 11025 -> 2205 Hz, stage 2: 2205 -> 735 Hz.
Baseband::Baseband()
    : m_stage1(lowPass(kTaps1, 1060.0, kInputRate, true), 5),
      m_stage2(lowPass(kTaps2, 345.0, kInputRate / 5.0, false), 3) {
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
  m_mixed.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    m_mixed[i] = m_mix[m_n % kMixPeriod] * static_cast<float>(samples[i]);
    ++m_n;
  }
  m_between.clear();
  m_stage1.push(m_mixed.data(), count, m_between);
  m_stage2.push(m_between.data(), m_between.size(), out);
}

}  // namespace harkola
