#include "audio/KeyingSums.h"

#include <algorithm>
#include <cmath>

namespace harkola::keying {

namespace {

using Cd = std::complex<double>;

// In-place radix-2 transform of n = 2^m points.
class SmallFft {
 public:
  explicit SmallFft(int n) : m_n(n), m_tw(n / 2), m_rev(n) {
    for (int k = 0; k < n / 2; ++k) m_tw[k] = std::polar(1.0f, static_cast<float>(-2.0 * M_PI * k / n));
    int bits = 0;
    while ((1 << bits) < n) ++bits;
    for (int i = 0; i < n; ++i) {
      int r = 0;
      for (int b = 0; b < bits; ++b) r |= ((i >> b) & 1) << (bits - 1 - b);
      m_rev[i] = r;
    }
  }
  void run(Cf* a) const {
    for (int i = 0; i < m_n; ++i)
      if (i < m_rev[i]) std::swap(a[i], a[m_rev[i]]);
    for (int len = 2; len <= m_n; len <<= 1) {
      const int step = m_n / len;
      for (int i = 0; i < m_n; i += len)
        for (int k = 0; k < len / 2; ++k) {
          const Cf t = a[i + k + len / 2] * m_tw[k * step];
          a[i + k + len / 2] = a[i + k] - t;
          a[i + k] += t;
        }
    }
  }

 private:
  int m_n;
  std::vector<Cf> m_tw;
  std::vector<int> m_rev;
};

std::vector<float> hann(int n) {
  std::vector<float> w(n);
  for (int i = 0; i < n; ++i) w[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * M_PI * (i + 0.5) / n));
  return w;
}

constexpr int kShortSeg = 32, kShortHop = 16;
constexpr double kNoiseBandHz = 270.0;  // the filters are flat well beyond this
// A short cell's noise replaces the long one's when this much higher (a static crash).
constexpr double kCrashRatio = 3.0;
// The noise power is read from the lower quarter of the bins: a strong keyed tone and
// its keying sidebands may cover half of a short cell's bins.
constexpr double kNoiseQuantile = 0.25;

double quantileOf(std::vector<float>& v) {
  const auto at = v.begin() + static_cast<long>(kNoiseQuantile * (v.size() - 1) + 0.5);
  std::nth_element(v.begin(), at, v.end());
  return *at;
}

// Noise power per sample of each segment start s*hop, segment length n.
std::vector<double> segmentNoise(const Cf* x, std::size_t count, int n, int hop, const SmallFft& fft,
                                 const std::vector<float>& w, std::vector<double>* spectrum, int half) {
  const int binsFlat = static_cast<int>(kNoiseBandHz / (kBasebandRate / n));
  double wsq = 0.0;
  for (float f : w) wsq += static_cast<double>(f) * f;
  std::vector<double> noise;
  std::vector<Cf> buf(n);
  std::vector<float> pw, tmp;
  for (std::size_t s = 0; s + n <= count; s += hop) {
    for (int i = 0; i < n; ++i) buf[i] = x[s + i] * w[i];
    fft.run(buf.data());
    pw.clear();
    for (int k = -binsFlat; k <= binsFlat; ++k) pw.push_back(std::norm(buf[(k + n) % n]));
    tmp = pw;
    // The quantile q of exponentially distributed bin powers is -ln(1 - q) times their mean.
    const double v = std::max(quantileOf(tmp) / (-std::log(1.0 - kNoiseQuantile) * wsq), 1e-6);
    noise.push_back(v);
    if (spectrum)
      for (int k = -half; k <= half; ++k) (*spectrum)[k + half] += pw[k + binsFlat] / (v * wsq) - 1.0;
  }
  if (noise.empty()) noise.push_back(1e-6);
  return noise;
}

}  // namespace

NoiseField noiseField(const Cf* x, std::size_t count) {
  static const SmallFft fftLong(kLongSeg), fftShort(kShortSeg);
  static const std::vector<float> wl = hann(kLongSeg), ws = hann(kShortSeg);
  NoiseField f;
  f.half = static_cast<int>(kToneSearchHz / kSpectrumBinHz);
  f.spectrum.assign(2 * f.half + 1, 0.0);
  const std::vector<double> vl = segmentNoise(x, count, kLongSeg, kLongHop, fftLong, wl, &f.spectrum, f.half);
  const std::vector<double> vs = segmentNoise(x, count, kShortSeg, kShortHop, fftShort, ws, nullptr, 0);
  f.longCells = vl;
  f.prefix.assign(count + 1, 0.0);
  // The segment whose centre is nearest.
  auto nearest = [](const std::vector<double>& v, std::size_t n, int len, int hop) {
    const long s = std::lround((static_cast<double>(n) - len / 2.0) / hop);
    return v[static_cast<std::size_t>(std::clamp<long>(s, 0, static_cast<long>(v.size()) - 1))];
  };
  for (std::size_t n = 0; n < count; ++n) {
    const double l = nearest(vl, n, kLongSeg, kLongHop), s = nearest(vs, n, kShortSeg, kShortHop);
    f.prefix[n + 1] = f.prefix[n] + (s > kCrashRatio * l ? s : l);
  }
  return f;
}

void ShiftedSums::build(const Cf* x, std::size_t count, double hz) {
  const std::size_t n = count + 2 * kPad;
  m_p1.assign(n + 1, 0.0);
  m_p3.assign(n + 1, 0.0);
  const Cd step = std::polar(1.0, -2.0 * M_PI * hz / kBasebandRate);
  Cd rot = 1.0, p2 = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    Cd z = 0.0;
    if (i >= kPad && i < count + kPad) {
      z = rot * Cd(x[i - kPad].real(), x[i - kPad].imag());
      rot *= step;
      if ((i & 1023) == 1023) rot /= std::abs(rot);
    }
    m_p3[i + 1] = m_p3[i] + p2;
    p2 += m_p1[i];
    m_p1[i + 1] = m_p1[i] + z;
  }
}

TaperGain taperGain(int length) {
  // The window: index i is sample start - kTaperShift + i.
  std::vector<double> w(length + kTaperA + kTaperB, 0.0);
  for (int a = 0; a < kTaperA; ++a)
    for (int c = 0; c < kTaperB; ++c)
      for (int i = 0; i < length; ++i) w[i + a + c] += 1.0 / (kTaperA * kTaperB);
  double in = 0.0, sq = 0.0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    const int n = static_cast<int>(i) - kTaperShift;
    if (n >= 0 && n < length) in += w[i];
    sq += w[i] * w[i];
  }
  return {static_cast<float>(in), static_cast<float>(sq / std::max(length, 1))};
}

}  // namespace harkola::keying
