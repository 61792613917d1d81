#include "audio/KeyingJudge.h"

#include <algorithm>

namespace harkola {

namespace {

// Key-up gaps: a beacon's gaps hold noise alone, so gaps whose power stands out of the
// noise (kGapScore) and reaches kGapShare of their neighbouring elements' power are
// filled by something keyed otherwise (human CW, a carrier, chatter on the tone). The
// gaps' edges are guarded by the matcher, so a strong clean signal's key clicks and
// the filters' smear do not count.
constexpr double kGapScore = 5.0;
constexpr double kGapShare = 0.12;
// Gaps carrying kHalfGapShare of their neighbours' power count at a lower significance
// (kHalfGapScore): a burst on the tone (a data mode's tones hopping) fills elements and
// gaps alike; a weak beacon's gaps filled that far by chance are rare.
constexpr double kHalfGapScore = 2.0;
constexpr double kHalfGapShare = 0.6;

// Before the first key-down and after the last dash a beacon is silent (the slot's
// neighbours are more than a second away): power there standing out (kOutsideScore) at
// kOutsideShare of the 100 W power or more (as strong as the 10 W dash) is a signal
// that started before the "beacon" or went on after it.
constexpr double kOutsideScore = 5.0;
constexpr double kOutsideShare = 0.1;

// The 1 W and 0.1 W dashes stand 20 and 30 dB under the 100 W one: either standing out
// (kLadderScore) at kLadderShare of it (or of the callsign, if stronger) or more is a
// carrier or chatter, not the ladder.
constexpr double kLadderScore = 6.0;
constexpr double kLadderShare = 0.2;

// The callsign and the 100 W dash are sent at the same power. Fading may part them by
// 10..15 dB, not by kPartsApart (20 dB): a strong "dash" under a callsign that is not
// there, or a strong "callsign" without its dash, is something else. Each part must
// also fit on its own (kPartScore) when the other is strong.
constexpr double kPartsApart = 100.0;
constexpr double kStrongPart = 8.0;
constexpr double kPartScore = 2.5;

// The same keying fitting a little off the tone at kNearbyShare of the score or more:
// the match is leakage or key clicks of a stronger signal near by.
constexpr double kNearbyShare = 0.5;

// A tone near by keyed against the match (FSK, multi-tone data; see keyedAgainst) at
// kAntiShare of the match's power or more. A carrier near by (no contrast) or chatter
// (contrast both ways) does not count.
constexpr double kAntiShare = 0.25;

// The gaps a few hertz off the tone (still inside the callsign elements' main lobe)
// filled, standing out (kGapScore), with more power than the match's elements carry:
// the match sits beside a stronger signal keyed otherwise, whose energy only misses the
// gaps at the exact tone.
constexpr double kCloseGapShare = 1.0;

// Another beacon's keying fitting this tone as well or better: the audio is that
// beacon (the PC clock a slot off) or keying that fits any callsign, not this one.
constexpr double kOtherShare = 1.15;
constexpr double kOtherMargin = 1.0;
// Another callsign in front of the same ladder fitting better by kOtherCallMargin (the
// best of seventeen tries stands about that far above noise): keying that fits any
// callsign, or another beacon's.
constexpr double kOtherCallShare = 1.1;
constexpr double kOtherCallMargin = 2.0;

bool gapsFilled(const KeyingEvidence& e) {
  auto filled = [](const SpanSums& gaps, double share) {
    return (gaps.score() > kGapScore && share > kGapShare) || (gaps.score() > kHalfGapScore && share > kHalfGapShare);
  };
  return filled(e.gaps, e.gapShare) || filled(e.callGaps, e.callGapShare);
}

// What comes before is weighed against the callsign, what comes after against the
// 100 W dash: the part of the transmission next to it, in the same fade.
bool outsideFilled(const KeyingEvidence& e) {
  auto filled = [&](const SpanSums& s, const SpanSums& by) {
    return s.score() > kOutsideScore && s.power() > kOutsideShare * std::max(by.power(), 0.0);
  };
  return filled(e.before, e.call) || filled(e.after, e.dash[0]);
}

bool ladderBroken(const KeyingEvidence& e) {
  // Against the stronger of the 100 W dash and the callsign (sent at the same power): a
  // fade may take the 100 W dash alone down.
  const double top = std::max(e.dash[0].ratio(), e.call.ratio());
  auto standsUp = [&](const SpanSums& d) { return d.score() > kLadderScore && d.ratio() > kLadderShare * top; };
  return standsUp(e.dash[2]) || standsUp(e.dash[3]);
}

bool partsApart(const KeyingEvidence& e) {
  const SpanSums &call = e.call, &dash = e.dash[0];
  if (dash.score() > kStrongPart && (call.score() < kPartScore || call.ratio() * kPartsApart < dash.ratio()))
    return true;
  if (call.score() > kStrongPart && (dash.score() < kPartScore || dash.ratio() * kPartsApart < call.ratio()))
    return true;
  return std::none_of(std::begin(e.dash), std::end(e.dash), dashMeasured);
}

}  // namespace

bool gapsStandOut(const SpanSums& gaps, const SpanSums& keyed) {
  return gaps.score() > kGapScore && gaps.power() > kGapShare * std::max(keyed.power(), 0.0);
}

Rejection judgeShape(const KeyingEvidence& e, double threshold) {
  if (e.score < threshold) return Rejection::WeakScore;
  if (gapsFilled(e) || outsideFilled(e)) return Rejection::KeyUpPower;
  if (ladderBroken(e)) return Rejection::NoLadderStep;
  if (partsApart(e)) return Rejection::NoDash;
  return Rejection::None;
}

Rejection judgeNeighbourhood(const KeyingEvidence& e) {
  if (e.closeGapScore > kGapScore && e.closeGaps > kCloseGapShare) return Rejection::KeyUpPower;
  if (e.nearby > kNearbyShare) return Rejection::StrongerNearby;
  if (keyedAgainst(e.antiContrast, e.antiScore) && e.antiShare > kAntiShare)
    return Rejection::StrongerNearby;
  return Rejection::None;
}

Rejection judgeOthers(const KeyingEvidence& e) {
  if (e.other > kOtherShare * e.score + kOtherMargin) return Rejection::OtherCallsign;
  return e.otherCall > kOtherCallShare * e.ownCall + kOtherCallMargin ? Rejection::OtherCallsign : Rejection::None;
}

}  // namespace harkola
