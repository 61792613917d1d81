#include "audio/KeyingSums.h"

#include <algorithm>
#include <cmath>
#include <utility>

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

// The power of bins -flat..flat of every segment (start s*hop, length n), the window's
// power gain folded in.
std::vector<std::vector<float>> segmentPowers(const Cf* x, std::size_t count, int n, int hop, const SmallFft& fft,
                                              const std::vector<float>& w, int flat) {
  double wsq = 0.0;
  for (float f : w) wsq += static_cast<double>(f) * f;
  std::vector<std::vector<float>> out;
  std::vector<Cf> buf(n);
  for (std::size_t s = 0; s + n <= count; s += hop) {
    for (int i = 0; i < n; ++i) buf[i] = x[s + i] * w[i];
    fft.run(buf.data());
    std::vector<float> pw;
    pw.reserve(2 * flat + 1);
    for (int k = -flat; k <= flat; ++k) pw.push_back(static_cast<float>(std::norm(buf[(k + n) % n]) / wsq));
    out.push_back(std::move(pw));
  }
  return out;
}

// The noise level of each segment: the lower quarter of its bins, each over its shape.
// The quantile q of exponentially distributed bin powers is -ln(1 - q) times their mean.
// Only bins inside the receiver's passband count (see kPassbandShape): beyond a CW
// filter's edge the noise does not follow the AGC.
std::vector<double> levels(const std::vector<std::vector<float>>& powers, const std::vector<double>& shape) {
  std::vector<std::size_t> inside;
  for (std::size_t k = 0; k < shape.size(); ++k)
    if (shape[k] >= kPassbandShape) inside.push_back(k);
  if (inside.size() < shape.size() / 4) {
    inside.resize(shape.size());
    for (std::size_t k = 0; k < shape.size(); ++k) inside[k] = k;
  }
  std::vector<double> out;
  std::vector<float> tmp;
  for (const std::vector<float>& pw : powers) {
    tmp.clear();
    for (std::size_t k : inside) tmp.push_back(static_cast<float>(pw[k] / shape[k]));
    out.push_back(std::max(quantileOf(tmp) / -std::log(1.0 - kNoiseQuantile), 1e-6));
  }
  if (out.empty()) out.push_back(1e-6);
  return out;
}

// Each bin's quiet moments: the mean of its lower third over the window, over the mean of
// the lowest share q of exponentially distributed powers, (1 - (1 - q)(1 - ln(1 - q))) / q.
constexpr double kQuietShare = 1.0 / 3.0;
const double kQuietMean = (1.0 - (1.0 - kQuietShare) * (1.0 - std::log(1.0 - kQuietShare))) / kQuietShare;
// The shape is smoothed over bins (2.9 Hz) by two one-sided running medians, kSideBins
// each. A signal narrower than a side (a station keyed all through the window, a
// carrier, a beacon's own tone) lifts neither median. At a filter's edge the side toward
// the passband reads the passband and the other the stopband: the larger of the two is
// the noise a tone is judged against (never under the true noise, so the edge does not
// make noise look like keying), the smaller the shape the level is read over (a bin
// beyond the edge whose shape were read too high would drag the level down).
// Where the two sides agree within kEdgeRatio (more than their scatter) the band is
// flat there and both are their mean.
constexpr int kSideBins = 24;
constexpr double kEdgeRatio = 1.25;

double medianOf(std::vector<double>::const_iterator from, std::vector<double>::const_iterator to) {
  std::vector<double> win(from, to);
  std::nth_element(win.begin(), win.begin() + static_cast<long>(win.size() / 2), win.end());
  return win[win.size() / 2];
}

struct Shapes {
  std::vector<double> upper, lower;
};

Shapes smoothed(const std::vector<double>& raw) {
  const int bins = static_cast<int>(raw.size());
  Shapes out{std::vector<double>(bins), std::vector<double>(bins)};
  for (int k = 0; k < bins; ++k) {
    const int from = std::max(0, k - kSideBins), to = std::min(bins, k + kSideBins + 1);
    double below = medianOf(raw.begin() + from, raw.begin() + k + 1);
    double above = medianOf(raw.begin() + k, raw.begin() + to);
    // Near an end of the band a side is cut short; the whole other side stands for both.
    if (k < kSideBins) below = above;
    else if (k + kSideBins >= bins) above = below;
    const bool edge = std::max(below, above) > kEdgeRatio * std::min(below, above);
    out.upper[k] = edge ? std::max(below, above) : std::sqrt(below * above);
    out.lower[k] = edge ? std::min(below, above) : out.upper[k];
  }
  return out;
}

Shapes noiseShape(const std::vector<std::vector<float>>& powers, const std::vector<double>& level, int bins) {
  std::vector<double> raw(bins, 1.0);
  if (powers.size() < 3) return {raw, raw};
  std::vector<double> col(powers.size());
  for (int k = 0; k < bins; ++k) {
    for (std::size_t c = 0; c < powers.size(); ++c) col[c] = powers[c][k] / level[c];
    const std::size_t m = std::max<std::size_t>(1, static_cast<std::size_t>(kQuietShare * col.size()));
    std::nth_element(col.begin(), col.begin() + static_cast<long>(m), col.end());
    double sum = 0.0;
    for (std::size_t c = 0; c < m; ++c) sum += col[c];
    raw[k] = sum / m / kQuietMean;
  }
  Shapes out = smoothed(raw);
  // 1 is the upper quarter's level: the passband's, where the filter's edges leave less.
  std::vector<double> sorted = out.upper;
  const long top = static_cast<long>(3 * bins / 4);
  std::nth_element(sorted.begin(), sorted.begin() + top, sorted.end());
  const double mid = std::max(sorted[top], 1e-12);
  for (std::vector<double>* v : {&out.upper, &out.lower})
    for (double& x : *v) x = std::max(x / mid, 1e-3);
  return out;
}

// A band whose smoothed shape stays within kFlatSpread of its middle over all but a tenth
// at each end (white noise scatters by a few per cent) is taken as flat, as it is: the
// scatter of a shape read from a few seconds would only blur the noise at each tone.
constexpr double kFlatSpread = 1.1;

bool flatBand(std::vector<double> shape) {
  std::sort(shape.begin(), shape.end());
  const std::size_t tenth = shape.size() / 10;
  const double middle = shape[shape.size() / 2];
  return shape[tenth] * kFlatSpread >= middle && shape[shape.size() - 1 - tenth] <= kFlatSpread * middle;
}

// Where the passband lies inside the band (the shape at kLinePassband of the top or
// more, every bin within kSideBins as well; the band's own ends do not count as an edge),
// its smoothed shape following a straight line in decibels within kFlatSpread (an SSB
// filter's slope, a CW filter's flat top, white noise scattering about it) is read as
// that line: it is smoother than the running medians and leans on neither side. The line
// is fitted over those bins at least kSideBins from the band's ends (nearer them a side
// of the medians is cut short) and read at all of them. A filter's skirt keeps the
// medians. At least kLineBins (140 Hz) must be fitted for a line.
constexpr double kLinePassband = 0.5;
constexpr int kLineBins = 48;

void passbandLine(Shapes& shapes) {
  const std::vector<double>& upper = shapes.upper;
  const int bins = static_cast<int>(upper.size());
  int lastOut = -kSideBins - 1;
  std::vector<int> distance(bins, bins);  // to the nearest bin that is not passband
  for (int k = 0; k < bins; ++k) {
    if (upper[k] < kLinePassband) lastOut = k;
    distance[k] = k - lastOut;
  }
  lastOut = bins + kSideBins;
  for (int k = bins - 1; k >= 0; --k) {
    if (upper[k] < kLinePassband) lastOut = k;
    distance[k] = std::min(distance[k], lastOut - k);
  }
  double n = 0.0, sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
  for (int k = kSideBins; k + kSideBins < bins; ++k) {
    if (distance[k] <= kSideBins) continue;
    const double y = std::log(upper[k]);
    n += 1.0, sx += k, sy += y, sxx += static_cast<double>(k) * k, sxy += k * y;
  }
  if (n < kLineBins) return;
  const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx), at0 = (sy - slope * sx) / n;
  std::vector<double> off;
  for (int k = kSideBins; k + kSideBins < bins; ++k)
    if (distance[k] > kSideBins) off.push_back(upper[k] / std::exp(at0 + slope * k));
  if (!flatBand(off)) return;
  for (int k = 0; k < bins; ++k)
    if (distance[k] > kSideBins) shapes.upper[k] = shapes.lower[k] = std::exp(at0 + slope * k);
}

double interpolated(const std::vector<double>& shape, int flat, double hz) {
  if (shape.empty()) return 1.0;
  const double at = std::clamp(hz / kSpectrumBinHz + flat, 0.0, static_cast<double>(shape.size() - 1));
  const std::size_t i = static_cast<std::size_t>(at);
  if (i + 1 >= shape.size()) return shape.back();
  const double f = at - static_cast<double>(i);
  return shape[i] * (1.0 - f) + shape[i + 1] * f;
}

}  // namespace

double NoiseField::shapeAt(double hz) const { return interpolated(shape, flat, hz); }

NoiseField noiseField(const Cf* x, std::size_t count) {
  static const SmallFft fftLong(kLongSeg), fftShort(kShortSeg);
  static const std::vector<float> wl = hann(kLongSeg), ws = hann(kShortSeg);
  NoiseField f;
  f.half = static_cast<int>(kToneSearchHz / kSpectrumBinHz);
  f.flat = static_cast<int>(kNoiseBandHz / kSpectrumBinHz);
  const int bins = 2 * f.flat + 1;
  auto longPowers = segmentPowers(x, count, kLongSeg, kLongHop, fftLong, wl, f.flat);
  // The shape from levels read as if the band were flat, then the levels again over it.
  const std::vector<double> flatShape(bins, 1.0);
  const std::vector<double> flatLevels = levels(longPowers, flatShape);
  Shapes shapes = noiseShape(longPowers, flatLevels, bins);
  const bool flat = flatBand(shapes.upper);
  if (flat) shapes = {flatShape, flatShape};
  else passbandLine(shapes);
  f.shape = shapes.upper;
  const std::vector<double> vl = flat ? flatLevels : levels(longPowers, shapes.lower);
  f.spectrum.assign(2 * f.half + 1, 0.0);
  for (std::size_t c = 0; c < longPowers.size(); ++c)
    for (int k = -f.half; k <= f.half; ++k)
      f.spectrum[k + f.half] += longPowers[c][k + f.flat] / (vl[c] * f.shape[k + f.flat]) - 1.0;
  // A short spectrum's bin spans kLongSeg / kShortSeg long ones: the smooth shape at its centre.
  const int shortFlat = static_cast<int>(kNoiseBandHz / (kBasebandRate / kShortSeg));
  std::vector<double> shortShape(2 * shortFlat + 1);
  for (int j = -shortFlat; j <= shortFlat; ++j)
    shortShape[j + shortFlat] = interpolated(shapes.lower, f.flat, j * (kBasebandRate / kShortSeg));
  const std::vector<double> vs = levels(segmentPowers(x, count, kShortSeg, kShortHop, fftShort, ws, shortFlat), shortShape);
  f.longCells = vl;
  f.cellPowers = std::move(longPowers);
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
  // Every element is written below: no clearing first (it took as long as the sums). The
  // arithmetic is a complex product and sums written out in real parts, in the same order.
  const std::size_t n = count + 2 * kPad;
  m_p1.resize(n + 1);
  m_p3.resize(n + 1);
  m_p1[0] = m_p3[0] = 0.0;
  const double stepRe = std::cos(-2.0 * M_PI * hz / kBasebandRate);
  const double stepIm = std::sin(-2.0 * M_PI * hz / kBasebandRate);
  double rotRe = 1.0, rotIm = 0.0;
  double p1Re = 0.0, p1Im = 0.0, p2Re = 0.0, p2Im = 0.0, p3Re = 0.0, p3Im = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    double zRe = 0.0, zIm = 0.0;
    if (i >= kPad && i < count + kPad) {
      const double xRe = x[i - kPad].real(), xIm = x[i - kPad].imag();
      zRe = rotRe * xRe - rotIm * xIm;
      zIm = rotRe * xIm + rotIm * xRe;
      const double nextRe = rotRe * stepRe - rotIm * stepIm;
      rotIm = rotRe * stepIm + rotIm * stepRe;
      rotRe = nextRe;
      if ((i & 1023) == 1023) {
        const double a = std::hypot(rotRe, rotIm);
        rotRe /= a;
        rotIm /= a;
      }
    }
    p3Re += p2Re;
    p3Im += p2Im;
    p2Re += p1Re;
    p2Im += p1Im;
    p1Re += zRe;
    p1Im += zIm;
    m_p1[i + 1] = Cd(p1Re, p1Im);
    m_p3[i + 1] = Cd(p3Re, p3Im);
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
