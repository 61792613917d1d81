#include "receiver/FastChannelizer.h"

#include <cmath>
#include <complex>
#include <cstring>
#include <mutex>

#include <fftw3.h>
#include <liquid/liquid.h>

namespace harkola {

namespace {

std::mutex& planMutex() {
  static std::mutex m;
  return m;
}

int transformSizeFor(double rate) {
  int n = FastChannelizer::kBins * 2;
  while (rate * FastChannelizer::kBins / n >= 2 * FastChannelizer::kMinOutputRate && n < (1 << 24)) n *= 2;
  return n;
}

}  // namespace

struct FastChannelizer::Plans {
  IqSample* in = nullptr;    // N: the overlap-save buffer
  IqSample* spectrum = nullptr;  // N: its transform
  IqSample* bins = nullptr;  // kBins: one channel's bins
  IqSample* time = nullptr;  // kBins: their inverse transform
  fftwf_plan forward = nullptr, inverse = nullptr;
  ~Plans() {
    std::lock_guard lock(planMutex());
    if (forward) fftwf_destroy_plan(forward);
    if (inverse) fftwf_destroy_plan(inverse);
    for (IqSample* p : {in, spectrum, bins, time}) fftwf_free(p);
  }
};

FastChannelizer::FastChannelizer(double rate, const std::vector<double>& offsetsHz, bool measure)
    : m_rate(rate), m_n(transformSizeFor(rate)), m_advance(3 * m_n / 4), m_plans(std::make_unique<Plans>()) {
  for (double f : offsetsHz) {
    Channel c;
    c.askedHz = f;
    const long k = std::lround(f / rate * m_n);
    c.bin = static_cast<int>(((k % m_n) + m_n) % m_n);
    // The buffer starts N/4 samples (zeros) before input sample 0.
    c.phase = ((static_cast<long long>(c.bin) * (m_n - m_n / 4)) % m_n);
    m_chan.push_back(c);
  }
  // The channel filter at the output rate: a Kaiser-window low-pass cutting at a quarter
  // of that rate, unity gain at 0 Hz, as its response on the channel's bins.
  std::vector<float> taps(kTaps);
  liquid_firdes_kaiser(kTaps, 0.25f, 70.0f, 0.0f, taps.data());
  float sum = 0.0f;
  for (float t : taps) sum += t;
  m_response.resize(kBins);
  for (int k = 0; k < kBins; ++k) {
    std::complex<double> acc = 0.0;
    for (int i = 0; i < kTaps; ++i) acc += static_cast<double>(taps[i] / sum) * std::polar(1.0, -2.0 * M_PI * k * i / kBins);
    // 1/N: FFTW's transforms are unscaled.
    m_response[k] = IqSample(static_cast<float>(acc.real() / m_n), static_cast<float>(acc.imag() / m_n));
  }
  {
    std::lock_guard lock(planMutex());
    Plans& p = *m_plans;
    p.in = static_cast<IqSample*>(fftwf_malloc(sizeof(IqSample) * m_n));
    p.spectrum = static_cast<IqSample*>(fftwf_malloc(sizeof(IqSample) * m_n));
    p.bins = static_cast<IqSample*>(fftwf_malloc(sizeof(IqSample) * kBins));
    p.time = static_cast<IqSample*>(fftwf_malloc(sizeof(IqSample) * kBins));
    const unsigned flags = measure ? FFTW_MEASURE : FFTW_ESTIMATE;
    p.forward = fftwf_plan_dft_1d(m_n, reinterpret_cast<fftwf_complex*>(p.in), reinterpret_cast<fftwf_complex*>(p.spectrum),
                                  FFTW_FORWARD, flags);
    p.inverse = fftwf_plan_dft_1d(kBins, reinterpret_cast<fftwf_complex*>(p.bins),
                                  reinterpret_cast<fftwf_complex*>(p.time), FFTW_BACKWARD, flags);
  }
  // Planning may have written over the buffer.
  std::memset(static_cast<void*>(m_plans->in), 0, sizeof(IqSample) * m_n);
  m_fill = static_cast<std::size_t>(m_n / 4);
}

FastChannelizer::~FastChannelizer() = default;

void FastChannelizer::planAhead(double rate) { [[maybe_unused]] const FastChannelizer measured(rate, {}, true); }

double FastChannelizer::residualHz(std::size_t c) const {
  const int b = m_chan[c].bin;
  const double binHz = (b <= m_n / 2 ? b : b - m_n) * m_rate / m_n;
  return binHz - m_chan[c].askedHz;
}

void FastChannelizer::push(const IqSample* in, std::size_t n, std::vector<std::vector<IqSample>>& out) {
  out.resize(m_chan.size());
  while (n > 0) {
    const std::size_t take = std::min(n, static_cast<std::size_t>(m_n) - m_fill);
    std::memcpy(static_cast<void*>(m_plans->in + m_fill), in, take * sizeof(IqSample));
    m_fill += take;
    in += take;
    n -= take;
    if (m_fill == static_cast<std::size_t>(m_n)) step(out);
  }
}

void FastChannelizer::step(std::vector<std::vector<IqSample>>& out) {
  Plans& p = *m_plans;
  fftwf_execute(p.forward);
  const int half = kBins / 2;
  for (std::size_t c = 0; c < m_chan.size(); ++c) {
    Channel& ch = m_chan[c];
    for (int j = -half; j < half; ++j) {
      const int src = ((ch.bin + j) % m_n + m_n) % m_n;
      const int dst = (j + kBins) % kBins;
      p.bins[dst] = p.spectrum[src] * m_response[dst];
    }
    fftwf_execute(p.inverse);
    // Turn the step's output to the phase of its place in the stream.
    const IqSample turn = std::polar(1.0f, static_cast<float>(-2.0 * M_PI * static_cast<double>(ch.phase) / m_n));
    std::vector<IqSample>& o = out[c];
    for (int m = kBins / 4; m < kBins; ++m) o.push_back(p.time[m] * turn);
    ch.phase = (ch.phase + static_cast<long long>(ch.bin) * m_advance) % m_n;
  }
  // Keep the last N/4 samples as the next step's history.
  std::memmove(static_cast<void*>(p.in), p.in + m_advance, sizeof(IqSample) * (m_n - m_advance));
  m_fill = static_cast<std::size_t>(m_n - m_advance);
  ++m_steps;
}

}  // namespace harkola
