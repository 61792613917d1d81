#include "WideIq.h"

#include <cmath>
#include <cstring>
#include <random>

#include <fftw3.h>
#include <liquid/liquid.h>

#include "common/Bands.h"
#include "receiver/BandChannel.h"
#include "receiver/BandReceiver.h"

namespace harkola::testiq {

namespace {
constexpr unsigned kHilbertSemi = 16, kResampSemi = 16;
}

struct WideSynth::Band {
  std::vector<IqSample> narrow;  // the band's analytic signal at the narrow rate
  int bin = 0;
};

struct WideSynth::Fft {
  IqSample *small = nullptr, *smallOut = nullptr, *wide = nullptr, *wideOut = nullptr;
  fftwf_plan forward = nullptr, inverse = nullptr;
  ~Fft() {
    fftwf_destroy_plan(forward);
    fftwf_destroy_plan(inverse);
    for (IqSample* p : {small, smallOut, wide, wideOut}) fftwf_free(p);
  }
};

WideSynth::WideSynth(double rate, double centreHz, double backgroundRms, std::uint32_t seed)
    : m_rate(rate), m_centre(centreHz), m_background(backgroundRms), m_m(128), m_fft(std::make_unique<Fft>()),
      m_seed(seed) {
  m_n = m_m * 2;
  while (rate * m_m / m_n >= 48000.0) m_n *= 2;
  Fft& f = *m_fft;
  f.small = static_cast<IqSample*>(fftwf_malloc(sizeof(IqSample) * m_m));
  f.smallOut = static_cast<IqSample*>(fftwf_malloc(sizeof(IqSample) * m_m));
  f.wide = static_cast<IqSample*>(fftwf_malloc(sizeof(IqSample) * m_n));
  f.wideOut = static_cast<IqSample*>(fftwf_malloc(sizeof(IqSample) * m_n));
  f.forward = fftwf_plan_dft_1d(m_m, reinterpret_cast<fftwf_complex*>(f.small),
                                reinterpret_cast<fftwf_complex*>(f.smallOut), FFTW_FORWARD, FFTW_ESTIMATE);
  f.inverse = fftwf_plan_dft_1d(m_n, reinterpret_cast<fftwf_complex*>(f.wide),
                                reinterpret_cast<fftwf_complex*>(f.wideOut), FFTW_BACKWARD, FFTW_ESTIMATE);
  m_out.assign(static_cast<std::size_t>(m_n), {});
  std::mt19937 rng(seed);
  std::normal_distribution<float> g(0.0f, static_cast<float>(backgroundRms / std::sqrt(2.0)));
  m_noise.resize(1 << 16);
  for (auto& v : m_noise) v = {g(rng), g(rng)};
}

WideSynth::~WideSynth() = default;

void WideSynth::addBand(int band, const std::vector<std::int16_t>& audio, double scale) {
  auto b = std::make_unique<Band>();
  const double narrowRate = m_rate * m_m / m_n;
  const double dial = static_cast<double>(bandInfo(band).hz) - kToneHz - m_centre;
  const long k = std::lround(dial / m_rate * m_n);
  b->bin = static_cast<int>(((k % m_n) + m_n) % m_n);
  const double residual = dial - static_cast<double>(k) * m_rate / m_n;
  // Analytic signal at 11025 Hz: positive frequencies only, the audio as its real part.
  firhilbf hilbert = firhilbf_create(kHilbertSemi, 70.0f);
  std::vector<IqSample> analytic(audio.size());
  for (std::size_t i = 0; i < audio.size(); ++i) {
    IqSample y;
    firhilbf_r2c_execute(hilbert, static_cast<float>(audio[i] * scale), &y);
    analytic[i] = y;
  }
  firhilbf_destroy(hilbert);
  const float ratio = static_cast<float>(narrowRate / kAudioRate);
  resamp_crcf resamp = resamp_crcf_create(ratio, kResampSemi, 0.45f, 70.0f, 64);
  std::vector<IqSample> narrow(static_cast<std::size_t>(analytic.size() * ratio) + 64);
  unsigned made = 0;
  for (std::size_t i = 0; i < analytic.size(); i += 1024) {
    unsigned got = 0;
    resamp_crcf_execute_block(resamp, analytic.data() + i,
                              static_cast<unsigned>(std::min<std::size_t>(1024, analytic.size() - i)),
                              narrow.data() + made, &got);
    made += got;
  }
  resamp_crcf_destroy(resamp);
  narrow.resize(made);
  // Take off the filters' delays so narrow sample 0 is audio time 0, and shift by what
  // the bin does not reach.
  // (Measured: the Hilbert filter's 2m samples, the resampler's m and 22 more.)
  const auto lead =
      static_cast<std::size_t>(std::lround((2.0 * kHilbertSemi + kResampSemi + 22) / kAudioRate * narrowRate));
  narrow.erase(narrow.begin(), narrow.begin() + static_cast<long>(std::min(lead, narrow.size())));
  for (std::size_t i = 0; i < narrow.size(); ++i)
    narrow[i] *= std::polar(1.0f, static_cast<float>(2.0 * M_PI * residual * static_cast<double>(i) / narrowRate));
  b->narrow = std::move(narrow);
  m_bands.push_back(std::move(b));
}

void WideSynth::hop() {
  Fft& f = *m_fft;
  std::memset(static_cast<void*>(f.wide), 0, sizeof(IqSample) * m_n);
  const long long narrowStart = m_hops * (m_m / 2) - m_m / 2;
  for (const auto& b : m_bands) {
    bool any = false;
    for (int i = 0; i < m_m; ++i) {
      const long long p = narrowStart + i;
      const float w = 0.5f - 0.5f * std::cos(static_cast<float>(2.0 * M_PI * i / m_m));
      const bool in = p >= 0 && p < static_cast<long long>(b->narrow.size());
      f.small[i] = in ? b->narrow[static_cast<std::size_t>(p)] * w : IqSample{};
      any = any || in;
    }
    if (!any) continue;
    fftwf_execute(f.forward);
    // Frame h starts at wide sample h N/2: its carrier phase turns by pi * bin * h.
    const float sign = ((static_cast<long long>(b->bin) * m_hops) % 2) ? -1.0f : 1.0f;
    for (int j = -m_m / 2; j < m_m / 2; ++j)
      f.wide[((b->bin + j) % m_n + m_n) % m_n] += f.smallOut[(j + m_m) % m_m] * (sign / m_m);
  }
  fftwf_execute(f.inverse);
  // The accumulator holds N samples: the first half is complete after this frame.
  const int half = m_n / 2;
  for (int i = 0; i < half; ++i) m_out[static_cast<std::size_t>(i)] = m_out[static_cast<std::size_t>(i + half)];
  for (int i = half; i < m_n; ++i) m_out[static_cast<std::size_t>(i)] = {};
  for (int i = 0; i < m_n; ++i) m_out[static_cast<std::size_t>(i)] += f.wideOut[i];
  if (m_background > 0) {
    m_seed = m_seed * 6364136223846793005ULL + 1442695040888963407ULL;
    std::size_t at = static_cast<std::size_t>(m_seed >> 40) % m_noise.size();
    for (int i = 0; i < half; ++i, at = (at + 1) % m_noise.size()) m_out[static_cast<std::size_t>(i)] += m_noise[at];
  }
  ++m_hops;
  m_ready = static_cast<std::size_t>(half);
  m_readPos = 0;
}

void WideSynth::produce(IqSample* out, std::size_t n) {
  while (n > 0) {
    if (m_readPos == m_ready) hop();
    const std::size_t take = std::min(n, m_ready - m_readPos);
    std::memcpy(static_cast<void*>(out), m_out.data() + m_readPos, take * sizeof(IqSample));
    out += take;
    n -= take;
    m_readPos += take;
  }
}

std::unique_ptr<WideSynth> makeSynth(const WideScene& scene, std::uint32_t seed) {
  const double centre = scene.centreHz > 0 ? scene.centreHz : suggestedCentre(scene.rate);
  // Audio noise of 1000 rms spread over 5.5 kHz; the band's scale puts it 20 dB over
  // the background's density.
  const double scale = 1e-5;
  const double bandDensity = 2.0 * std::pow(1000.0 * scale, 2) / (kAudioRate / 2);
  const double background = std::sqrt(bandDensity / 100.0 * scene.rate);
  auto synth = std::make_unique<WideSynth>(scene.rate, centre, background, seed);
  for (std::size_t b = 0; b < scene.audio.size(); ++b)
    if (!scene.audio[b].empty()) synth->addBand(static_cast<int>(b), scene.audio[b], scale);
  return synth;
}

}  // namespace harkola::testiq
