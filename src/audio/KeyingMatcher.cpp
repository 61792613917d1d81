#include "audio/KeyingMatcher.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace harkola {

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
  int size() const { return m_n; }

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

constexpr int kLongSeg = 256, kLongHop = 128;
constexpr int kShortSeg = 32, kShortHop = 16;
constexpr double kNoiseBandHz = 270.0;  // the filters are flat well beyond this
constexpr double kToneSearchHz = 262.0;
constexpr int kCandidates = 8;
constexpr int kSearchStep = 6;  // samples (8 ms) between tried start times, refined later
// A short cell's noise replaces the long one's when this much higher (a static crash).
constexpr double kCrashRatio = 3.0;
constexpr int kGapGroup = 5;
constexpr double kNearbyShare = 0.5;
// Another beacon's keying must fit this much better before the match is given to it
// (noise alone lets a partly overlapping keying come close to a weak match).
constexpr double kOtherShare = 1.15;
// A dash is summed in kDashPieces coherent pieces of a third of a second: short enough
// for a tone whose phase wanders and drifts on the path, long enough to gather energy.
constexpr int kDashPieces = 3;
constexpr int kPieceSamples = 245;

// The per-cell noise of a window: low-quantile bin power over the flat band of the filters,
// in units of power per baseband sample, and the detection spectrum of the long cells.
struct NoiseField {
  std::vector<double> prefix;   // prefix sums of the noise power per sample
  std::vector<double> longCells;  // noise of long cell s (samples s*hop .. s*hop+len)
  std::vector<double> spectrum; // long-cell bin k at index k + half: sum of (p/noise - 1)
  int half = 0;                 // bins -half..half are searched
};

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
  std::vector<float> pw;
  for (std::size_t s = 0; s + n <= count; s += hop) {
    for (int i = 0; i < n; ++i) buf[i] = x[s + i] * w[i];
    fft.run(buf.data());
    pw.clear();
    for (int k = -binsFlat; k <= binsFlat; ++k) pw.push_back(std::norm(buf[(k + n) % n]));
    std::vector<float> tmp = pw;
    // The quantile q of exponentially distributed bin powers is -ln(1 - q) times their mean.
    const double v = std::max(quantileOf(tmp) / (-std::log(1.0 - kNoiseQuantile) * wsq), 1e-6);
    noise.push_back(v);
    if (spectrum)
      for (int k = -half; k <= half; ++k) (*spectrum)[k + half] += pw[k + binsFlat] / (v * wsq) - 1.0;
  }
  if (noise.empty()) noise.push_back(1e-6);
  return noise;
}

NoiseField noiseField(const Cf* x, std::size_t count, const SmallFft& fftLong, const SmallFft& fftShort) {
  NoiseField f;
  f.half = static_cast<int>(kToneSearchHz / (kBasebandRate / kLongSeg));
  f.spectrum.assign(2 * f.half + 1, 0.0);
  static const std::vector<float> wl = hann(kLongSeg), ws = hann(kShortSeg);
  const std::vector<double> vl = segmentNoise(x, count, kLongSeg, kLongHop, fftLong, wl, &f.spectrum, f.half);
  const std::vector<double> vs = segmentNoise(x, count, kShortSeg, kShortHop, fftShort, ws, nullptr, 0);
  f.longCells = vl;
  f.prefix.assign(count + 1, 0.0);
  for (std::size_t n = 0; n < count; ++n) {
    // The segment whose centre is nearest.
    auto nearest = [n](const std::vector<double>& v, int len, int hop) {
      const long s = std::lround((static_cast<double>(n) - len / 2.0) / hop);
      return v[static_cast<std::size_t>(std::clamp<long>(s, 0, static_cast<long>(v.size()) - 1))];
    };
    const double l = nearest(vl, kLongSeg, kLongHop), s = nearest(vs, kShortSeg, kShortHop);
    f.prefix[n + 1] = f.prefix[n] + (s > kCrashRatio * l ? s : l);
  }
  return f;
}

// Sums of the window turned down by `hz` between any two indices, so that a tone at
// `hz` adds up coherently: plain (rectangular window) or with tapered edges. The
// taper (the element convolved with boxes of 8 and 12 samples) cuts the leakage of a
// strong signal tens of hertz away (chatter, a carrier) by 20..35 dB, which would
// otherwise vary with each element's edges and mimic keying.
constexpr int kPad = 32, kR1 = 8, kR2 = 12, kShift = (kR1 + kR2 - 2) / 2;

class ShiftedSums {
 public:
  void build(const Cf* x, std::size_t count, double hz) {
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
  Cd rect(int s, int e) const { return m_p1[e + kPad] - m_p1[s + kPad]; }
  Cd tapered(int s, int e) const { return (g(e - kShift) - g(s - kShift)) * (1.0 / (kR1 * kR2)); }

 private:
  Cd g(int m) const {
    m += kPad;
    return m_p3[m + kR1 + kR2] - m_p3[m + kR1] - m_p3[m + kR2] + m_p3[m];
  }
  std::vector<Cd> m_p1, m_p3;
};

}  // namespace

KeyingMatcher::Template KeyingMatcher::buildTemplate(const BeaconKeying& k) {
  Template t;
  auto at = [](double s) { return static_cast<int>(std::lround(s * kBasebandRate)); };
  for (const KeyInterval& e : k.on) {
    if (e.dash < 0) {
      t.all.push_back({at(e.start), at(e.start + e.length), 0});
      continue;
    }
    // A dash in coherent pieces.
    const int s = at(e.start);
    for (int q = 0; q < kDashPieces; ++q)
      t.all.push_back({s + q * kPieceSamples, s + (q + 1) * kPieceSamples, 1 + e.dash});
    t.span = s + kDashPieces * kPieceSamples;
  }
  // Key-up gaps, their edges trimmed against keying shape and timing error.
  for (const KeyInterval& g : k.off) {
    const int s = at(g.start) + 4, e = at(g.start + g.length) - 4;
    if (e - s >= 8) t.all.push_back({s, e, kGapGroup});
  }
  // Key-down pieces are summed with tapered edges (see ShiftedSums): how much of a
  // tone inside the piece the window collects, and how much noise it collects.
  for (Piece& p : t.all) {
    const int len = p.end - p.start;
    if (p.group == kGapGroup) {
      p.gain = static_cast<float>(len);
      p.noise = 1.0f;
      continue;
    }
    p.tapered = true;
    std::vector<double> w(len + kR1 + kR2, 0.0);  // index i is sample p.start - kShift + i
    for (int a = 0; a < kR1; ++a)
      for (int c = 0; c < kR2; ++c)
        for (int i = 0; i < len; ++i) w[i + a + c] += 1.0 / (kR1 * kR2);
    double in = 0.0, sq = 0.0;
    for (std::size_t i = 0; i < w.size(); ++i) {
      const int n = static_cast<int>(i) - kShift;
      if (n >= 0 && n < len) in += w[i];
      sq += w[i] * w[i];
    }
    p.gain = static_cast<float>(in);
    p.noise = static_cast<float>(sq / len);
  }
  // Weight: the energy a piece carries, its length times the power of its step.
  static constexpr float kPower[5] = {1.0f, 1.0f, 0.1f, 0.01f, 0.001f};
  double ss = 0.0, cs = 0.0;
  for (Piece& p : t.all) {
    if (p.group == kGapGroup) continue;
    p.weight = static_cast<float>(p.end - p.start) * kPower[p.group];
    if (p.group <= 2) {
      t.search.push_back(p);
      ss += static_cast<double>(p.weight) * p.weight;
    }
    if (p.group == 0) {
      t.call.push_back(p);
      cs += static_cast<double>(p.weight) * p.weight;
    }
  }
  t.searchNorm = std::sqrt(std::max(ss, 1.0));
  t.callNorm = std::sqrt(std::max(cs, 1.0));
  return t;
}

KeyingMatcher::KeyingMatcher(const std::vector<std::string>& callsigns) {
  for (const std::string& c : callsigns) {
    const BeaconKeying k = beaconKeying(c);
    m_longest = std::max(m_longest, k.length);
    m_templates.push_back(buildTemplate(k));
  }
}

double KeyingMatcher::windowEnd(int beacon) const {
  const double len = beacon >= 1 && beacon <= static_cast<int>(m_templates.size())
                         ? m_templates[beacon - 1].span / kBasebandRate
                         : m_longest;
  return kSearchSeconds + len + kMarginSeconds;
}

namespace {

struct GroupSum {
  double excess = 0.0;    // sum of |A|^2 - noise
  double lenNoise = 0.0;  // sum of length * noise
  double lenSq = 0.0;     // sum of squared coherent gains
  double zNorm = 0.0;     // sum of length^2
  double z = 0.0;         // sum of length * (E - 1)
  double ratio() const { return lenNoise > 0 ? excess / lenNoise : 0.0; }  // tone power / noise
  double power() const { return lenSq > 0 ? excess / lenSq : 0.0; }         // tone power, absolute
  double score() const { return zNorm > 0 ? z / std::sqrt(zNorm) : 0.0; }
  void add(const GroupSum& o) {
    excess += o.excess, lenNoise += o.lenNoise, lenSq += o.lenSq, zNorm += o.zNorm, z += o.z;
  }
};

}  // namespace

MatchResult KeyingMatcher::match(const Cf* samples, std::size_t count, double firstTime, int beacon) const {
  MatchResult r;
  if (beacon < 1 || beacon > static_cast<int>(m_templates.size()) || count < 2 * kLongSeg) return r;
  static const SmallFft fftLong(kLongSeg), fftShort(kShortSeg);
  const Cf* x = samples;
  const NoiseField nf = noiseField(x, count, fftLong, fftShort);
  const Template& me = m_templates[beacon - 1];

  // Candidate tones: the strongest local maxima of the detection spectrum.
  std::vector<int> peaks;
  const std::vector<double>& S = nf.spectrum;
  for (int i = 0; i < static_cast<int>(S.size()); ++i) {
    const bool left = i == 0 || S[i] >= S[i - 1];
    const bool right = i + 1 == static_cast<int>(S.size()) || S[i] > S[i + 1];
    if (left && right) peaks.push_back(i);
  }
  std::sort(peaks.begin(), peaks.end(), [&](int a, int b) { return S[a] > S[b]; });
  if (peaks.size() > kCandidates) peaks.resize(kCandidates);

  // Start indices: first key-down between -1.2 s and +1.2 s.
  const int bFirst = std::max(0, static_cast<int>(std::ceil((-kSearchSeconds - firstTime) * kBasebandRate)));
  auto lastStart = [&](const Template& t) {
    return std::min(static_cast<int>(count) - t.span,
                    static_cast<int>(std::floor((kSearchSeconds - firstTime) * kBasebandRate)));
  };
  const int bLast = lastStart(me);
  if (bLast < bFirst) return r;

  auto sumOf = [](const ShiftedSums& P, const Piece& p, int b) {
    return p.tapered ? P.tapered(b + p.start, b + p.end) : P.rect(b + p.start, b + p.end);
  };
  // Noise energy a piece's sum collects.
  auto noiseOf = [](const NoiseField& f, const Piece& p, int b) {
    return (f.prefix[b + p.end] - f.prefix[b + p.start]) * p.noise;
  };
  ShiftedSums P;
  auto scoreAt = [&](const std::vector<Piece>& pieces, double norm, int b) {
    double z = 0.0;
    for (const Piece& p : pieces) z += p.weight * (std::norm(sumOf(P, p, b)) / noiseOf(nf, p, b) - 1.0);
    return z / norm;
  };
  auto bestOver = [&](const Template& t, int from, int to, int step, int& bestB) {
    double best = -1e300;
    for (int b = from; b <= to; b += step) {
      const double z = scoreAt(t.search, t.searchNorm, b);
      if (z > best) best = z, bestB = b;
    }
    return best;
  };

  struct Hit {
    double score = -1e300;
    double hz = 0.0;
    int b = 0;
  };
  std::vector<Hit> hits;
  const double binHz = kBasebandRate / kLongSeg;
  for (int pk : peaks) {
    Hit h;
    for (int d = -1; d <= 1; ++d) {
      const double hz = (pk - nf.half + d / 3.0) * binHz;
      P.build(x, count, hz);
      int b = bFirst;
      const double z = bestOver(me, bFirst, bLast, kSearchStep, b);
      if (z > h.score) h = {z, hz, b};
    }
    hits.push_back(h);
  }
  std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.score > b.score; });

  bool first = true;
  for (const Hit& h : hits) {
    if (!first && h.score < kScoreThreshold) break;
    P.build(x, count, h.hz);
    int b = h.b;
    const double z = bestOver(me, std::max(bFirst, h.b - kSearchStep), std::min(bLast, h.b + kSearchStep), 1, b);

    // Group sums at the best start. A strong keyed tone spreads
    // its keying sidebands over the whole band and lifts the cells' noise estimates;
    // the noise outside the transmission is the clean figure for the ratios.
    double quiet = 0.0;
    int quietCells = 0;
    for (std::size_t c = 0; c < nf.longCells.size(); ++c) {
      const long s0 = static_cast<long>(c) * kLongHop, s1 = s0 + kLongSeg;
      if (s1 < b - 8 || s0 > b + me.span + 8) quiet += nf.longCells[c], ++quietCells;
    }
    if (quietCells >= 2) quiet /= quietCells;
    std::array<GroupSum, 6> g{};
    for (const Piece& p : me.all) {
      const double a2 = std::norm(sumOf(P, p, b));
      const double v = noiseOf(nf, p, b);
      const double len = p.end - p.start;
      const double perSample = quietCells >= 2 ? quiet : v / (len * p.noise);
      GroupSum& s = g[p.group];
      s.excess += a2 - len * p.noise * perSample;
      s.lenNoise += static_cast<double>(p.gain) * p.gain * perSample;
      s.lenSq += static_cast<double>(p.gain) * p.gain;
      s.zNorm += len * len;
      s.z += len * (a2 / v - 1.0);
    }
    GroupSum on = g[0];
    on.add(g[1]);

    MatchResult m;
    m.score = z;
    m.toneHz = kMixHz + h.hz;
    m.offsetS = firstTime + b / kBasebandRate;
    m.callSnrDb = 10.0 * std::log10(std::max(g[0].ratio(), 1e-6) * kBasebandRate / 2500.0);
    m.toneAmplitude = 2.0 * std::sqrt(std::max(on.power(), 0.0));
    {
      // Baseband noise per sample is the audio's noise power times 735 / 11025.
      const double perSample = quietCells >= 2 ? quiet : nf.prefix[count] / static_cast<double>(count);
      m.noiseRms = std::sqrt(perSample * kDecimation);
    }
    m.keyUpShare = on.ratio() > 0 ? g[kGapGroup].ratio() / on.ratio() : 0.0;
    if (z < kScoreThreshold)
      m.rejection = Rejection::WeakScore;
    else if (g[kGapGroup].score() > 5.0 && g[kGapGroup].ratio() > 0.2 * on.ratio())
      m.rejection = Rejection::KeyUpPower;
    else if ((g[3].score() > 6.0 && g[3].ratio() > 0.2 * g[1].ratio()) ||
             (g[4].score() > 6.0 && g[4].ratio() > 0.2 * g[1].ratio()))
      m.rejection = Rejection::NoLadderStep;
    else if (g[0].score() > 8.0 && g[1].ratio() < 0.1 * g[0].ratio())
      m.rejection = Rejection::NoDash;
    else {
      m.rejection = Rejection::None;
      // A stronger signal near by whose leakage or key clicks the match may be: the
      // same keying must fit clearly worse a little off the tone (a real beacon's own
      // keying leaves well under half its score 15 Hz away).
      m.nearby = -1e9;
      for (double off : {-100.0, -70.0, -50.0, -35.0, -25.0, -15.0, 15.0, 25.0, 35.0, 50.0, 70.0, 100.0}) {
        P.build(x, count, h.hz + off);
        const double near = scoreAt(me.search, me.searchNorm, b);
        m.nearby = std::max(m.nearby, near / z);
        if (near > kNearbyShare * z) {
          m.rejection = Rejection::StrongerNearby;
          break;
        }
      }
      if (m.rejection == Rejection::None) {
        // Another beacon's keying (callsign and ladder) fitting this tone clearly better.
        P.build(x, count, h.hz);
        for (std::size_t o = 0; o < m_templates.size(); ++o) {
          if (static_cast<int>(o) == beacon - 1) continue;
          const Template& t = m_templates[o];
          int ob = bFirst;
          if (lastStart(t) >= bFirst && bestOver(t, bFirst, lastStart(t), kSearchStep, ob) > kOtherShare * z + 1.0) {
            m.rejection = Rejection::OtherCallsign;
            break;
          }
        }
      }
    }
    m.heard = m.rejection == Rejection::None;
    if (m.heard) {
      for (int d = 0; d < kLadderSteps; ++d) {
        const GroupSum& s = g[1 + d];
        if (s.score() > 4.0 && s.ratio() > 0.0) {
          m.dashSnrDb[d] = 10.0 * std::log10(s.ratio() * kBasebandRate / 2500.0);
          ++m.dashes;
        }
      }
    }
    if (first || m.heard) r = m;
    first = false;
    if (m.heard) break;
  }
  return r;
}

const char* rejectionWord(Rejection r) {
  switch (r) {
    case Rejection::None: return "none";
    case Rejection::WeakScore: return "weak";
    case Rejection::KeyUpPower: return "keyup";
    case Rejection::NoLadderStep: return "ladder";
    case Rejection::NoDash: return "nodash";
    case Rejection::StrongerNearby: return "nearby";
    case Rejection::OtherCallsign: return "other";
  }
  return "unknown";
}

}  // namespace harkola
