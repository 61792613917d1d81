#pragma once
// Whether a match of a beacon's keying is that beacon: the evidence the matcher measures
// at its best fit, and the decision. Every test compares the audio with the signal's
// own strength at that moment, so it holds for a signal 40 dB over the noise as for
// one at the noise, and each asks for significance first, so that noise alone in a
// weak beacon's gaps does not refuse it.
//
// The evidence comes in three stages, cheapest first; the matcher measures a stage only
// when the ones before it found nothing wrong.

#include <cmath>

#include "audio/KeyingMatcher.h"

namespace harkola {

// Power sums over a group of spans at the match's tone.
struct SpanSums {
  double excess = 0.0;    // sum of |A|^2 minus the noise energy expected in it
  double gainSq = 0.0;    // sum of squared coherent gains
  double lenNoise = 0.0;  // sum of squared gains times the noise per sample
  double z = 0.0, zNorm = 0.0;  // sum of length * (E / noise - 1), sum of length^2
  // Tone power over the noise per sample; tone power in sample units; how many standard
  // deviations of the noise the group's energy stands above it.
  double ratio() const { return lenNoise > 0 ? excess / lenNoise : 0.0; }
  double power() const { return gainSq > 0 ? excess / gainSq : 0.0; }
  double score() const { return zNorm > 0 ? z / std::sqrt(zNorm) : 0.0; }
  void add(const SpanSums& o) {
    excess += o.excess, gainSq += o.gainSq, lenNoise += o.lenNoise, z += o.z, zNorm += o.zNorm;
  }
};

struct KeyingEvidence {
  // Stage 1: the shape of the match.
  double score = 0.0;  // the matched score
  SpanSums call;       // the callsign's key-down elements
  SpanSums dash[4];    // the ladder's dashes, 100 W first
  SpanSums gaps;       // every key-up gap, its edges guarded
  // Key-up power as a share of the key-down power of each gap's own neighbours; the
  // same over the gaps inside the callsign.
  double gapShare = 0.0;
  SpanSums callGaps;
  double callGapShare = 0.0;
  // Before the first key-down and after the last dash, edges guarded.
  SpanSums before, after;
  // Stage 2: the neighbourhood of the tone.
  // The keying a little off the tone: the best score there as a share of `score`.
  double nearby = 0.0;
  // The tone near by most keyed against the match (on in its gaps, off in its
  // elements, as FSK is): its gap power minus its key-down power as a share of the
  // match's key-down power; that difference over the sum; the gaps' significance there.
  double antiShare = 0.0, antiContrast = 0.0, antiScore = 0.0;
  // The key-up gaps a few hertz off the tone where they stand out most: their power as a
  // share of the match's key-down power, and their significance.
  double closeGaps = 0.0, closeGapScore = 0.0;
  // Stage 3: the best score of another beacon's keying on this tone.
  double other = 0.0;
  // The callsign's score at the match, and the best of the other callsigns put in front
  // of the same ladder.
  double ownCall = 0.0, otherCall = 0.0;
};

// The first test of a stage the evidence fails; None when it passes them all.
Rejection judgeShape(const KeyingEvidence& e, double threshold);
Rejection judgeNeighbourhood(const KeyingEvidence& e);
Rejection judgeOthers(const KeyingEvidence& e);

// A tone near by is keyed against a match when it is on in the match's gaps (standing
// out by kAntiScore) and off in its elements (contrast: gap power at least 2.3 times the
// key-down power there). Judged by its strength in judgeNeighbourhood.
constexpr double kAntiScore = 6.0;
constexpr double kAntiContrast = 0.4;
inline bool keyedAgainst(double contrast, double gapScore) { return gapScore > kAntiScore && contrast > kAntiContrast; }

// Key-up gaps standing out of the noise with a share of the key-down power next to them
// that a beacon's gaps never carry (kGapScore, kGapShare in KeyingJudge.cpp).
bool gapsStandOut(const SpanSums& gaps, const SpanSums& keyed);

// A dash counts as measured when it stands out of the noise by this much.
constexpr double kDashScore = 4.0;
inline bool dashMeasured(const SpanSums& d) { return d.score() > kDashScore && d.ratio() > 0.0; }

}  // namespace harkola
