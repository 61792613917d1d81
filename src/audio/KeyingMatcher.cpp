#include "audio/KeyingMatcher.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "audio/KeyingJudge.h"
#include "audio/KeyingSums.h"

namespace harkola {

using namespace keying;

namespace {

using Cd = std::complex<double>;
using Piece = KeyingMatcher::Piece;
using Template = KeyingMatcher::Template;

// Candidate tones: the strongest local maxima of the detection spectrum, each at least
// kPeakApartBins from a stronger one (a strong signal's own shoulders are not new tones).
constexpr int kCandidates = 8;
constexpr int kPeakApartBins = 3;
// A busy band: see SlotSearch::belowBusyBar.
constexpr double kBusyMedian = 6.0, kBusyFactor = 3.0;
constexpr double kShoulderHz = 50.0, kBusyPassband = 0.5;
// Score from which a match is refined as a strong signal (see SlotSearch::refine).
constexpr double kStrongScore = 300.0;
constexpr int kSearchStep = 6;  // samples (8 ms) between tried start times, refined later
// The timings tried around the published one: the element this much longer or shorter
// (a controller whose clock runs off), each key-down this much longer or shorter (a
// transmitter's keying).
constexpr double kElementScales[] = {0.98, 0.99, 1.0, 1.01, 1.02};
constexpr double kKeyDownExtrasS[] = {-0.006, 0.0, 0.006};
// How far the refinement moves the start of a timing variant (the ladder of a 2 %
// faster controller ends some 60 samples earlier than the published one's).
constexpr int kRefineReach = 36;
// How far another callsign is moved around its place in front of the ladder found.
constexpr int kAnchorReach = 4;
// A dash is summed in kDashPieces coherent pieces: short enough for a tone whose phase
// wanders and drifts on the path, long enough to gather energy.
constexpr int kDashPieces = 3;
// Key-up gaps are measured this far inside their edges (plus the taper's reach, which
// weighs the samples next to the edge lightly): a strong signal's keying edges and the
// filters' smear stay out, a transmitter's few milliseconds of extra key-down too.
constexpr int kGapGuard = 12;
constexpr int kMinGap = 6;
// Before the first key-down and after the last dash: up to this many samples, in
// tapered blocks of kOutsideBlock (a fifth of a second: narrow enough that a carrier
// near by does not leak in).
constexpr int kOutsideSpan = 441;
constexpr int kOutsideBlock = 110;
// Offsets from the tone where a stronger signal whose leakage the match may be, or a
// tone keyed against it (FSK), is looked for; the first kNearbyOffsets are the near ones.
// The finer ones after them are for FSK only: data modes shift by a few hertz (FT8 6.25,
// RTTY 170, PSK and MFSK from 4 up), closer than leakage matters.
constexpr double kOffsetsHz[] = {15,  -15,  25,  -25,  35,  -35,  50,  -50,  70,  -70,  100, -100,
                                 150, -150, 200, -200, 250, -250, 6,   -6,   10,  -10,  20,  -20,
                                 30,  -30,  40,  -40,  45,  -45,  170, -170};
constexpr int kNearbyOffsets = 12;
// The SNR's noise: bins within kToneNoiseBins of the tone (+-14 Hz) over at least
// kToneNoiseCells long cells away from the transmission (about 90 powers or more).
constexpr int kToneNoiseBins = 5, kToneNoiseCells = 8;
// Offsets up to this close lie inside a callsign element's main lobe: their key-up gaps
// are the match's own, a few hertz off.
constexpr double kCloseHz = 10.0;
constexpr double kPassbandHz = 290.0;

// Energy a piece carries relative to a callsign element of its length: the ladder
// steps 10 dB each.
constexpr float kGroupPower[5] = {1.0f, 1.0f, 0.1f, 0.01f, 0.001f};

int samplesAt(double s) { return static_cast<int>(std::lround(s * kBasebandRate)); }

Template buildTemplate(const BeaconKeying& k, double scale, double extraS, std::map<int, TaperGain>& gains) {
  Template t;
  t.elementMs = kDitSeconds * scale * 1000.0;
  t.keyDownExtraMs = extraS * 1000.0;
  std::vector<std::pair<int, int>> keyed;  // [start, end) of each key-down, samples
  int callPieces = 0;
  for (const KeyInterval& e : k.on) {
    const int s = samplesAt(e.start * scale), end = samplesAt(e.start * scale + e.length * scale + extraS);
    keyed.push_back({s, end});
    if (e.dash < 0) {
      t.all.push_back({s, end, KeyingMatcher::kCallGroup});
      ++callPieces;
      continue;
    }
    if (e.dash == 0) t.ladderStart = s;
    for (int q = 0; q < kDashPieces; ++q)
      t.all.push_back({s + (end - s) * q / kDashPieces, s + (end - s) * (q + 1) / kDashPieces, 1 + e.dash});
    t.span = end;
  }
  // Key-up gaps between the key-downs, each with its neighbouring key-down pieces.
  const int keyDownPieces = static_cast<int>(t.all.size());
  int piece = 0;  // the key-down piece that ends key-down i
  for (std::size_t i = 0; i + 1 < keyed.size(); ++i) {
    piece += i < static_cast<std::size_t>(callPieces) ? 1 : kDashPieces;
    const int s = keyed[i].second + kGapGuard, e = keyed[i + 1].first - kGapGuard;
    if (e - s < kMinGap) continue;
    Piece g{s, e, KeyingMatcher::kGapGroup};
    g.before = piece - 1;
    g.after = std::min(piece, keyDownPieces - 1);
    t.all.push_back(g);
  }
  double ss = 0.0, cs = 0.0;
  for (Piece& p : t.all) {
    const int len = p.end - p.start;
    auto it = gains.find(len);
    if (it == gains.end()) it = gains.emplace(len, taperGain(len)).first;
    p.gain = it->second.gain;
    p.noise = it->second.noise;
    if (p.group == KeyingMatcher::kGapGroup) continue;
    p.weight = static_cast<float>(len) * kGroupPower[p.group];
    if (p.group <= 2) {
      t.search.push_back(p);
      ss += static_cast<double>(p.weight) * p.weight;
    }
    if (p.group == KeyingMatcher::kCallGroup) {
      t.call.push_back(p);
      cs += static_cast<double>(p.weight) * p.weight;
    }
  }
  t.searchNorm = std::sqrt(std::max(ss, 1.0));
  t.callNorm = std::sqrt(std::max(cs, 1.0));
  return t;
}

struct Hit {
  double score = -1e300;
  double hz = 0.0;
  int b = 0;
  int timing = 0;  // index into the beacon's templates
  double flatNoise = 0.0;  // the noise the fit was weighed by, when not the moment's own
};

// One slot's search: candidates, starts and timings, then the judgement of the best
// fits in turn until one is the beacon.
class SlotSearch {
 public:
  SlotSearch(const Cf* x, std::size_t count, double firstTime, const std::vector<std::vector<Template>>& templates,
             int beacon)
      : m_x(x), m_count(count), m_firstTime(firstTime), m_all(templates), m_mine(templates[beacon - 1]),
        m_beacon(beacon), m_nf(noiseField(x, count)) {
    m_bFirst = std::max(0, static_cast<int>(std::ceil((-KeyingMatcher::kSearchSeconds - firstTime) * kBasebandRate)));
  }

  MatchResult run();

 private:
  int lastStart(const Template& t) const {
    return std::min(static_cast<int>(m_count) - t.span,
                    static_cast<int>(std::floor((KeyingMatcher::kSearchSeconds - m_firstTime) * kBasebandRate)));
  }
  Cd sumOf(const Piece& p, int b) const { return m_P.tapered(b + p.start, b + p.end); }
  double noiseOf(const Piece& p, int b) const {
    const double level = m_flatNoise > 0 ? m_flatNoise * (p.end - p.start) : m_nf.between(b + p.start, b + p.end);
    return level * m_shape * p.noise;
  }
  double scoreOf(const std::vector<Piece>& pieces, double norm, int b) const {
    double z = 0.0;
    for (const Piece& p : pieces) z += p.weight * (std::norm(sumOf(p, b)) / noiseOf(p, b) - 1.0);
    return z / norm;
  }
  double scoreAt(const Template& t, int b) const { return scoreOf(t.search, t.searchNorm, b); }
  double callScoreAt(const Template& t, int b) const { return scoreOf(t.call, t.callNorm, b); }
  // The key-down score less what the key-up gaps collect, on the same scale: a strong
  // signal scores highly wherever its elements overlap the template, so its true start is
  // the one whose gaps are empty.
  double contrastAt(const Template& t, int b) const {
    double on = 0.0, off = 0.0, w = 0.0;
    int gaps = 0;
    for (const Piece& p : t.all) {
      const double z = std::norm(sumOf(p, b)) / noiseOf(p, b) - 1.0;
      if (p.group == KeyingMatcher::kGapGroup) {
        off += z;
        ++gaps;
      } else {
        on += p.weight * z;
        w += p.weight;
      }
    }
    return gaps == 0 ? on : on - off * w / gaps;
  }
  // The start of the keying on the tone of `h` whose gaps are emptiest, over the whole search.
  Hit byContrast(const Hit& h) {
    m_flatNoise = h.flatNoise;
    tune(h.hz);
    const Template& t = m_mine.front();
    Hit best = h;
    best.score = -1e300;
    for (int b = m_bFirst; b <= lastStart(t); b += kSearchStep) {
      const double z = contrastAt(t, b);
      if (z > best.score) best = {z, h.hz, b, 0, h.flatNoise};
    }
    best.score = scoreAt(t, best.b);
    return best;
  }
  // The best start of `t` in [from, to] in steps of `step`.
  std::pair<double, int> bestStart(const Template& t, int from, int to, int step) const {
    std::pair<double, int> best{-1e300, from};
    for (int b = from; b <= to; b += step) best = std::max(best, {scoreAt(t, b), b});
    return best;
  }
  std::vector<int> candidatePeaks() const;
  bool belowBusyBar(const std::vector<Hit>& hits, std::size_t i) const;
  Hit coarse(int peak);
  Hit refine(const Hit& h);
  MatchResult judged(const Hit& hit, Rejection& why);
  double quietNoise(const Template& t, int b) const;
  double noiseAtTone(const Template& t, int b, double hz) const;
  SpanSums spanSums(const Piece& p, int b, double perSample) const;
  void outside(int from, int to, double perSample, SpanSums& s) const;
  KeyingEvidence shape(const Hit& h, double perSample) const;
  void neighbourhood(const Hit& h, double perSample, KeyingEvidence& e);
  // The sums turned down to `hz`, and the noise shape there.
  void tune(double hz) {
    m_P.build(m_x, m_count, hz);
    m_shape = m_nf.shapeAt(hz);
  }
  bool filledFit(const Template& t, int b, double perSample, bool callOnly) const;
  void others(const Hit& h, double perSample, KeyingEvidence& e);
  MatchResult result(const Hit& h, const KeyingEvidence& e, double perSample, Rejection why) const;

  const Cf* m_x;
  std::size_t m_count;
  double m_firstTime;
  const std::vector<std::vector<Template>>& m_all;
  const std::vector<Template>& m_mine;
  int m_beacon;
  NoiseField m_nf;
  ShiftedSums m_P;
  int m_bFirst = 0;
  // Noise level per sample the search weighs by instead of the moment's own, when non-zero.
  double m_flatNoise = 0.0;
  double m_shape = 1.0;  // the noise shape at the tone tuned to
};

std::vector<int> SlotSearch::candidatePeaks() const {
  const std::vector<double>& S = m_nf.spectrum;
  const int n = static_cast<int>(S.size());
  std::vector<int> maxima;
  for (int i = 0; i < n; ++i)
    if ((i == 0 || S[i] >= S[i - 1]) && (i + 1 == n || S[i] > S[i + 1]) &&
        m_nf.shape[i - m_nf.half + m_nf.flat] >= kPassbandShape)
      maxima.push_back(i);
  std::sort(maxima.begin(), maxima.end(), [&](int a, int b) { return S[a] > S[b]; });
  std::vector<int> peaks;
  for (int m : maxima) {
    const bool apart = std::none_of(peaks.begin(), peaks.end(), [&](int p) { return std::abs(p - m) < kPeakApartBins; });
    if (apart) peaks.push_back(m);
    if (peaks.size() == kCandidates) break;
  }
  return peaks;
}

Hit SlotSearch::coarse(int peak) {
  const Template& t = m_mine.front();
  m_flatNoise = 0.0;
  Hit h;
  for (int d = -1; d <= 1; ++d) {
    const double hz = (peak - m_nf.half + d / 3.0) * kSpectrumBinHz;
    tune(hz);
    const auto [z, b] = bestStart(t, m_bFirst, lastStart(t), kSearchStep);
    if (z > h.score) h = {z, hz, b, 0};
  }
  if (h.score <= kStrongScore) return h;
  // A strong signal raises the noise estimate of the moments it is keyed in (its keying
  // sidebands fill the band's lower bins), more at some edges than others, so weighing by
  // the moment's noise pulls the fit off its elements. The noise away from the
  // transmission weighs its start instead (on its tone: that does not move); static
  // crashes do not matter at this strength.
  m_flatNoise = quietNoise(t, h.b);
  tune(h.hz);
  const auto [z, b] = bestStart(t, m_bFirst, lastStart(t), kSearchStep);
  const Hit strong{z, h.hz, b, 0, m_flatNoise};
  m_flatNoise = 0.0;
  return strong;
}

Hit SlotSearch::refine(const Hit& h) {
  tune(h.hz);
  m_flatNoise = h.flatNoise;
  Hit best = h;
  best.score = -1e300;
  for (std::size_t v = 0; v < m_mine.size(); ++v) {
    const Template& t = m_mine[v];
    const int from = std::max(m_bFirst, h.b - kRefineReach), to = std::min(lastStart(t), h.b + kRefineReach);
    if (to < from) continue;
    auto [z, b] = bestStart(t, from, to, 2);
    std::tie(z, b) = bestStart(t, std::max(from, b - 1), std::min(to, b + 1), 1);
    if (z > best.score) best = {z, h.hz, b, static_cast<int>(v), h.flatNoise};
  }
  return best.score > -1e300 ? best : h;
}

// The noise per sample at the tone `hz` itself where the transmission starting at `b` is
// not: the mean power of the bins about the tone over the cells away from it. A strong
// beacon's keying sidebands lift the quiet moments the noise shape is read from near its
// tone, so its SNR is measured against this instead; 0 when too few cells are away.
double SlotSearch::noiseAtTone(const Template& t, int b, double hz) const {
  const int centre = static_cast<int>(std::lround(hz / kSpectrumBinHz)) + m_nf.flat;
  const int from = std::max(0, centre - kToneNoiseBins);
  const int to = std::min(2 * m_nf.flat, centre + kToneNoiseBins);
  double sum = 0.0;
  int n = 0, cells = 0;
  for (std::size_t c = 0; c < m_nf.cellPowers.size(); ++c) {
    const long s0 = static_cast<long>(c) * kLongHop, s1 = s0 + kLongSeg;
    if (s1 >= b - 8 && s0 <= b + t.span + 8) continue;
    ++cells;
    for (int k = from; k <= to; ++k) sum += m_nf.cellPowers[c][k], ++n;
  }
  return cells >= kToneNoiseCells ? sum / n : 0.0;
}

// Noise per sample away from the transmission: a strong keyed tone spreads its keying
// sidebands over the whole band and lifts the cells' noise estimates where it is.
double SlotSearch::quietNoise(const Template& t, int b) const {
  double quiet = 0.0;
  int cells = 0;
  for (std::size_t c = 0; c < m_nf.longCells.size(); ++c) {
    const long s0 = static_cast<long>(c) * kLongHop, s1 = s0 + kLongSeg;
    if (s1 < b - 8 || s0 > b + t.span + 8) quiet += m_nf.longCells[c], ++cells;
  }
  return cells >= 2 ? quiet / cells : m_nf.prefix[m_count] / static_cast<double>(m_count);
}

SpanSums SlotSearch::spanSums(const Piece& p, int b, double level) const {
  const double a2 = std::norm(sumOf(p, b)), v = noiseOf(p, b), len = p.end - p.start;
  const double perSample = level * m_shape;
  SpanSums s;
  s.excess = a2 - len * p.noise * perSample;
  s.gainSq = static_cast<double>(p.gain) * p.gain;
  s.lenNoise = s.gainSq * perSample;
  s.zNorm = len * len;
  s.z = len * (a2 / v - 1.0);
  return s;
}

// Tapered blocks over [from, to): what is at the tone there.
void SlotSearch::outside(int from, int to, double perSample, SpanSums& s) const {
  from = std::max(from, kTaperReach);
  to = std::min(to, static_cast<int>(m_count) - kTaperReach - 2);
  static const TaperGain g = taperGain(kOutsideBlock);
  for (int a = from; a + kOutsideBlock <= to; a += kOutsideBlock) {
    Piece p{0, kOutsideBlock};
    p.gain = g.gain, p.noise = g.noise;
    s.add(spanSums(p, a, perSample));
  }
}

KeyingEvidence SlotSearch::shape(const Hit& h, double perSample) const {
  const Template& t = m_mine[h.timing];
  KeyingEvidence e;
  e.score = h.score;
  std::vector<SpanSums> pieces;
  pieces.reserve(t.all.size());
  for (const Piece& p : t.all) {
    pieces.push_back(spanSums(p, h.b, perSample));
    SpanSums& into = p.group == KeyingMatcher::kCallGroup ? e.call
                     : p.group == KeyingMatcher::kGapGroup ? e.gaps
                                                           : e.dash[p.group - 1];
    into.add(pieces.back());
  }
  // Each gap against its own neighbours, so a fading signal is judged where it is.
  // The callsign's own gaps on their own too: beside the strong dash a callsign that is
  // not keyed as this one (human CW under a long "dah") would pass in the sum.
  double inGaps[2] = {0.0, 0.0}, aside[2] = {0.0, 0.0};
  for (std::size_t i = 0; i < t.all.size(); ++i) {
    const Piece& p = t.all[i];
    if (p.group != KeyingMatcher::kGapGroup) continue;
    const SpanSums &l = pieces[p.before], &r = pieces[p.after];
    const double len = p.end - p.start;
    const bool inCall = t.all[p.before].group == KeyingMatcher::kCallGroup &&
                        t.all[p.after].group == KeyingMatcher::kCallGroup;
    if (inCall) e.callGaps.add(pieces[i]);
    for (int k = 0; k < (inCall ? 2 : 1); ++k) {
      inGaps[k] += len * pieces[i].power();
      aside[k] += len * (l.excess + r.excess) / std::max(l.gainSq + r.gainSq, 1e-9);
    }
  }
  auto share = [](double in, double by) { return by > 0 ? in / by : (in > 0 ? 1e9 : 0.0); };
  e.gapShare = share(inGaps[0], aside[0]);
  e.callGapShare = share(inGaps[1], aside[1]);
  const int guard = kGapGuard + kTaperReach;
  outside(h.b - kOutsideSpan, h.b - guard, perSample, e.before);
  outside(h.b + t.span + guard, h.b + t.span + kOutsideSpan, perSample, e.after);
  return e;
}

void SlotSearch::neighbourhood(const Hit& h, double perSample, KeyingEvidence& e) {
  const Template& t = m_mine[h.timing];
  SpanSums on = e.call;
  on.add(e.dash[0]);
  const double ref = std::max(on.power(), 1e-12);
  bool antiFound = false;
  for (int i = 0; i < static_cast<int>(std::size(kOffsetsHz)); ++i) {
    const double hz = h.hz + kOffsetsHz[i];
    if (std::abs(hz) > kPassbandHz) continue;
    tune(hz);
    if (i < kNearbyOffsets) e.nearby = std::max(e.nearby, scoreAt(t, h.b) / h.score);
    SpanSums keyed, gaps;
    for (const Piece& p : t.all) {
      if (p.group == KeyingMatcher::kGapGroup) gaps.add(spanSums(p, h.b, perSample));
      else if (p.group <= 1) keyed.add(spanSums(p, h.b, perSample));
    }
    if (std::abs(kOffsetsHz[i]) <= kCloseHz && gaps.score() > e.closeGapScore)
      e.closeGapScore = gaps.score(), e.closeGaps = gaps.power() / ref;
    const double anti = gaps.power() - keyed.power();
    const double sum = std::max(gaps.power(), 0.0) + std::max(keyed.power(), 0.0);
    const double contrast = sum > 0 ? anti / sum : 0.0;
    // The strongest of the tones keyed against the match; of any, when none is.
    // How many standard deviations the gaps stand above the elements there (noise alone
    // at one of the many offsets looked at fills gaps and elements alike).
    const double difference = (gaps.z / std::max(gaps.zNorm, 1.0) - keyed.z / std::max(keyed.zNorm, 1.0)) /
                              std::sqrt(1.0 / std::max(gaps.zNorm, 1.0) + 1.0 / std::max(keyed.zNorm, 1.0));
    const bool against = keyedAgainst(contrast, difference);
    if (against < antiFound || (against == antiFound && anti / ref <= e.antiShare)) continue;
    antiFound = against;
    e.antiShare = anti / ref;
    e.antiContrast = contrast;
    e.antiScore = difference;
  }
}

// Whether another keying's fit of `t` at `b` has its own key-up gaps filled (of the
// callsign alone, or of the whole transmission): a strong signal keyed otherwise scores
// highly under any template that overlaps it, so only a fit as clean as a beacon's own
// says the audio is that keying.
bool SlotSearch::filledFit(const Template& t, int b, double perSample, bool callOnly) const {
  SpanSums gaps, keyed;
  for (const Piece& p : t.all) {
    if (p.group == KeyingMatcher::kGapGroup) {
      const bool inCall = t.all[p.before].group == KeyingMatcher::kCallGroup &&
                          t.all[p.after].group == KeyingMatcher::kCallGroup;
      if (inCall || !callOnly) gaps.add(spanSums(p, b, perSample));
    } else if (p.group == KeyingMatcher::kCallGroup || (!callOnly && p.group == 1)) {
      keyed.add(spanSums(p, b, perSample));
    }
  }
  return gapsStandOut(gaps, keyed);
}

void SlotSearch::others(const Hit& h, double perSample, KeyingEvidence& e) {
  tune(h.hz);
  for (std::size_t o = 0; o < m_all.size(); ++o) {
    if (static_cast<int>(o) == m_beacon - 1) continue;
    const Template& t = m_all[o].front();
    if (lastStart(t) < m_bFirst) continue;
    const auto [z, b] = bestStart(t, m_bFirst, lastStart(t), kSearchStep);
    if (z > e.other && !filledFit(t, b, perSample, false)) e.other = z;
  }
  // Each other callsign in front of the ladder found: the dashes are the same for every
  // beacon, so the callsigns alone, at the same place, say whose transmission it is.
  const Template& mine = m_mine[h.timing];
  e.ownCall = callScoreAt(mine, h.b);
  e.otherCall = -1e300;
  for (std::size_t o = 0; o < m_all.size(); ++o) {
    if (static_cast<int>(o) == m_beacon - 1) continue;
    const Template& t = m_all[o].front();
    const int at = h.b + mine.ladderStart - t.ladderStart;
    for (int b = std::max(at - kAnchorReach, kTaperReach + 1); b <= at + kAnchorReach; ++b) {
      const double z = callScoreAt(t, b);
      if (z > e.otherCall && !filledFit(t, b, perSample, true)) e.otherCall = z;
    }
  }
}

MatchResult SlotSearch::result(const Hit& h, const KeyingEvidence& e, double perSample, Rejection why) const {
  const Template& t = m_mine[h.timing];
  auto snrDb = [](double ratio) { return 10.0 * std::log10(std::max(ratio, 1e-6) * kBasebandRate / 2500.0); };
  SpanSums on = e.call;
  on.add(e.dash[0]);
  MatchResult m;
  m.score = h.score;
  m.toneHz = kMixHz + h.hz;
  m.offsetS = m_firstTime + h.b / kBasebandRate;
  m.toneAmplitude = 2.0 * std::sqrt(std::max(on.power(), 0.0));
  // The noise the match was judged against, and the noise at the tone away from it, by
  // which the SNR is reported when it can be measured.
  const double judgedNoise = perSample * m_nf.shapeAt(h.hz);
  const double toneNoise = noiseAtTone(t, h.b, h.hz);
  const double noise = toneNoise > 0 ? toneNoise : judgedNoise;
  // Baseband noise per sample is the audio's noise power times 735 / 11025.
  m.noiseRms = std::sqrt(noise * kDecimation);
  m.rejection = why;
  m.heard = why == Rejection::None;
  m.elementMs = t.elementMs;
  m.keyDownExtraMs = t.keyDownExtraMs;
  m.nearby = e.nearby;
  m.keyUpShare = e.gapShare;
  if (!m.heard) return m;
  for (int d = 0; d < kLadderSteps; ++d) {
    if (!dashMeasured(e.dash[d])) continue;
    m.dashSnrDb[d] = snrDb(e.dash[d].ratio() * judgedNoise / noise);
    ++m.dashes;
  }
  return m;
}

MatchResult SlotSearch::judged(const Hit& h, Rejection& why) {
  m_flatNoise = h.flatNoise;
  const double perSample = quietNoise(m_mine[h.timing], h.b);
  KeyingEvidence e = shape(h, perSample);
  why = judgeShape(e, KeyingMatcher::kScoreThreshold);
  if (why == Rejection::None) neighbourhood(h, perSample, e), why = judgeNeighbourhood(e);
  if (why == Rejection::None) others(h, perSample, e), why = judgeOthers(e);

  return result(h, e, perSample, why);
}

// In a busy band (the other candidates' median score over kBusyMedian: white noise
// gives about 4 and seldom over 6, a crowded CW band 7..30) a candidate must stand
// kBusyFactor times over that median: weak keying of every kind there fits any
// template about that well.
// A strong signal's shoulders (candidates within kShoulderHz of one scoring over
// kStrongScore) are that signal, not the band's keying: for a candidate in the
// passband they leave the median, so a beacon beside a strong station is judged
// against the band. In a filter's skirt (noise shape under kBusyPassband) they stay:
// there the noise follows the strong station's keying (the AGC it pumps) and fits
// templates like weak keying does. Fewer than three candidates left: all count.
bool SlotSearch::belowBusyBar(const std::vector<Hit>& hits, std::size_t i) const {
  if (hits.size() < 4) return false;
  const bool passband = m_nf.shapeAt(hits[i].hz) >= kBusyPassband;
  auto shoulder = [&](const Hit& h) {
    return passband && std::any_of(hits.begin(), hits.end(), [&](const Hit& s) {
             return s.score > std::max(h.score, kStrongScore) && std::abs(s.hz - h.hz) < kShoulderHz;
           });
  };
  std::vector<double> rest, all;
  for (std::size_t j = 0; j < hits.size(); ++j) {
    if (j == i) continue;
    all.push_back(hits[j].score);
    if (!shoulder(hits[j])) rest.push_back(hits[j].score);
  }
  if (rest.size() < 3) rest = all;
  std::nth_element(rest.begin(), rest.begin() + static_cast<long>(rest.size() / 2), rest.end());
  const double median = rest[rest.size() / 2];
  return median > kBusyMedian && hits[i].score < kBusyFactor * median;
}

MatchResult SlotSearch::run() {
  if (lastStart(m_mine.front()) < m_bFirst) return {};
  std::vector<Hit> hits;
  for (int peak : candidatePeaks()) hits.push_back(coarse(peak));
  std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.score > b.score; });
  MatchResult first;
  for (std::size_t i = 0; i < hits.size(); ++i) {
    if (i > 0 && hits[i].score < KeyingMatcher::kScoreThreshold) break;
    if (belowBusyBar(hits, i)) {
      // It does not stand out of the band's other keying: reported as weak.
      if (i == 0) first = result(hits[i], {}, quietNoise(m_mine[hits[i].timing], hits[i].b), Rejection::WeakScore);
      continue;
    }
    Rejection why = Rejection::None;
    MatchResult m = judged(refine(hits[i]), why);
    // Key-up power at the best start may be the keying misplaced, not something else
    // keyed: the start whose gaps are emptiest is judged once more.
    if (why == Rejection::KeyUpPower) {
      Rejection again = Rejection::None;
      const MatchResult m2 = judged(refine(byContrast(hits[i])), again);
      if (m2.heard) return m2;
    }
    if (m.heard) return m;
    if (i == 0) first = m;
  }
  return first;
}

}  // namespace

KeyingMatcher::KeyingMatcher(const std::vector<std::string>& callsigns) {
  std::map<int, TaperGain> gains;
  for (const std::string& c : callsigns) {
    const BeaconKeying k = beaconKeying(c);
    std::vector<Template> variants{buildTemplate(k, 1.0, 0.0, gains)};
    for (double scale : kElementScales)
      for (double extra : kKeyDownExtrasS)
        if (scale != 1.0 || extra != 0.0) variants.push_back(buildTemplate(k, scale, extra, gains));
    for (const Template& t : variants) m_longest = std::max(m_longest, t.span / kBasebandRate);
    m_templates.push_back(std::move(variants));
  }
}

double KeyingMatcher::windowEnd(int beacon) const {
  double len = m_longest;
  if (beacon >= 1 && beacon <= static_cast<int>(m_templates.size())) {
    len = 0.0;
    for (const Template& t : m_templates[beacon - 1]) len = std::max(len, t.span / kBasebandRate);
  }
  return kSearchSeconds + len + kMarginSeconds;
}

MatchResult KeyingMatcher::match(const Cf* samples, std::size_t count, double firstTime, int beacon) const {
  if (beacon < 1 || beacon > static_cast<int>(m_templates.size()) || count < 2 * kLongSeg) return {};
  return SlotSearch(samples, count, firstTime, m_templates, beacon).run();
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
  return "?";
}

}  // namespace harkola
