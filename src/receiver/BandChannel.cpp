#include "receiver/BandChannel.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include <liquid/liquid.h>

namespace harkola {

namespace {
constexpr unsigned kResampSemiLength = 32;  // input samples each side
constexpr unsigned kBandPassTaps = 127;
constexpr double kPassLowHz = 100.0, kPassHighHz = 3000.0;
constexpr double kGapSamples = 0.05 * kAudioRate;
constexpr double kSteerSeconds = 5.0;  // the sample count follows the time over this
}  // namespace

struct BandChannel::Dsp {
  nco_crcf nco = nullptr;
  resamp_crcf resamp = nullptr;
  firfilt_cccf bandPass = nullptr;
  ~Dsp() {
    if (nco) nco_crcf_destroy(nco);
    if (resamp) resamp_crcf_destroy(resamp);
    if (bandPass) firfilt_cccf_destroy(bandPass);
  }
};

BandChannel::BandChannel(double inputRate, double carrierHz) : m_inRate(inputRate), m_dsp(new Dsp) {
  const double dialHz = carrierHz - kToneHz;
  m_dsp->nco = nco_crcf_create(LIQUID_VCO);
  nco_crcf_set_frequency(m_dsp->nco, static_cast<float>(2.0 * M_PI * dialHz / inputRate));
  const double ratio = kAudioRate / inputRate;
  // Cut at 0.45 of the lower of the two rates.
  const double fc = 0.45 * std::min(1.0, ratio);
  m_dsp->resamp = resamp_crcf_create(static_cast<float>(ratio), kResampSemiLength, static_cast<float>(fc), 70.0f, 64);
  std::vector<float> low(kBandPassTaps);
  liquid_firdes_kaiser(kBandPassTaps, static_cast<float>((kPassHighHz - kPassLowHz) / 2.0 / kAudioRate), 70.0f, 0.0f,
                       low.data());
  float sum = 0.0f;
  for (float t : low) sum += t;
  std::vector<IqSample> taps(kBandPassTaps);
  const double centre = (kPassLowHz + kPassHighHz) / 2.0;
  for (unsigned i = 0; i < kBandPassTaps; ++i)
    taps[i] = std::polar(low[i] / sum, static_cast<float>(2.0 * M_PI * centre * i / kAudioRate));
  m_dsp->bandPass = firfilt_cccf_create(taps.data(), kBandPassTaps);
  m_delayS = kResampSemiLength / inputRate + (kBandPassTaps - 1) / 2.0 / kAudioRate;
}

BandChannel::~BandChannel() { delete m_dsp; }


SysTime BandChannel::push(const IqSample* in, std::size_t n, SysTime first, std::vector<std::int16_t>& audio) {
  using Seconds = std::chrono::duration<double>;
  const auto delay = std::chrono::duration_cast<SysTime::duration>(Seconds(m_delayS));
  if (!m_started) {
    m_started = true;
    m_audioStart = first - delay;
  }
  // Where the audio should stand when this input begins.
  const double due = Seconds(first - delay - m_audioStart).count() * kAudioRate;
  double drop = 0.0;
  if (due - static_cast<double>(m_count) > kGapSamples) {
    const auto fill = static_cast<long long>(std::llround(due - static_cast<double>(m_count)));
    audio.insert(audio.end(), static_cast<std::size_t>(fill), 0);
    m_count += fill;
    ++m_gaps;
  } else if (static_cast<double>(m_count) - due > kGapSamples) {
    drop = static_cast<double>(m_count) - due;
  }
  const double e = due - static_cast<double>(m_count);
  const double steer = std::clamp(e / (kAudioRate * kSteerSeconds), -1e-3, 1e-3);
  resamp_crcf_set_rate(m_dsp->resamp, static_cast<float>(kAudioRate / m_inRate * (1.0 + steer)));

  m_mixed.resize(n);
  nco_crcf_mix_block_down(m_dsp->nco, const_cast<IqSample*>(in), m_mixed.data(), static_cast<unsigned>(n));
  m_resampled.resize(static_cast<std::size_t>(n * kAudioRate / m_inRate * 1.01) + 8);
  unsigned made = 0;
  // Block by block so the output buffer bound holds for any rate.
  for (std::size_t done = 0; done < n;) {
    const std::size_t chunk = std::min<std::size_t>(n - done, 4096);
    unsigned got = 0;
    const std::size_t room = m_resampled.size() - made;
    if (room < static_cast<std::size_t>(chunk * kAudioRate / m_inRate * 1.01) + 8)
      m_resampled.resize(m_resampled.size() + chunk + 8);
    resamp_crcf_execute_block(m_dsp->resamp, m_mixed.data() + done, static_cast<unsigned>(chunk),
                              m_resampled.data() + made, &got);
    made += got;
    done += chunk;
  }
  m_filtered.resize(made);
  if (made) firfilt_cccf_execute_block(m_dsp->bandPass, m_resampled.data(), made, m_filtered.data());
  std::size_t skip = std::min<std::size_t>(made, static_cast<std::size_t>(drop));
  m_real.resize(made - skip);
  for (std::size_t i = skip; i < made; ++i) m_real[i - skip] = m_filtered[i].real();
  m_level.scale(m_real.data(), m_real.size(), audio);
  m_count += static_cast<long long>(m_real.size());
  return m_audioStart + std::chrono::duration_cast<SysTime::duration>(Seconds(m_count / kAudioRate));
}

}  // namespace harkola
