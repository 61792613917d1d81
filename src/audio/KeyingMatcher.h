#pragma once
// The heart of the sensitive detector: given the complex baseband around one slot, find
// the scheduled beacon's transmission by matching its keying (callsign at 54 ms per
// element and the four-dash ladder) against the audio, reject what is not that beacon,
// and measure what was found.
//
// How it decides:
// - The noise is measured per short cell as a low quantile of the power over the
//   600 Hz band, so a carrier or a morse signal (a few bins) does not raise it, and a
//   static crash (all bins) raises it only where it is, which takes that moment's
//   weight away.
// - The tone is searched over -250..+250 Hz from the baseband centre among the strongest
//   candidates of a 2.9 Hz spectrum, each tried at three fine frequencies, and the
//   keying start over -1.2..+1.2 s of the slot boundary, at the published timing. The
//   best starts are then refined together with the timing: the element a few per cent
//   long or short (a controller running off) and every key-down a few milliseconds
//   longer or shorter (what a transmitter's keying does to it).
// - Every key-down element is summed coherently (callsign elements whole, each dash in
//   three pieces of a third of a second, so a tone whose phase wanders over a second
//   still adds up); the element energies, in units of the noise, are combined
//   non-coherently, weighted by the energy each element should carry. The score is that
//   sum in standard deviations of the noise-only sum.
// - A match is then judged against the signal's own strength (KeyingJudge): its key-up
//   gaps, what comes before and after it, the ladder, callsign and dashes agreeing, the
//   tones near by and the other beacons' keyings. A refused candidate hands over to
//   the next, so a carrier or other signal in the passband does not hide the beacon.

#include <array>
#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "audio/Baseband.h"
#include "audio/BeaconKeying.h"

namespace harkola {

// Why the best match was not taken as the beacon.
enum class Rejection {
  None,
  WeakScore,       // nothing fits well enough to stand out of the noise
  KeyUpPower,      // power in the key-up gaps, or before the first key-down or after the last dash
  NoLadderStep,    // the weak dashes as strong as the 100 W one: no ladder
  NoDash,          // callsign and dashes do not belong together (one missing, or no dash at all)
  StrongerNearby,  // the same keying fits off the tone, or a tone near by is keyed against it (FSK)
  OtherCallsign    // another beacon's keying fits as well
};

// Why the matcher did not take a slot's best match as the beacon, as one word for the
// trace: weak (nothing there strong enough), keyup (power in the key-up gaps: a carrier
// or other keying), ladder (the weak dashes as strong as the first), nodash (a callsign
// with no dash after it), nearby (leakage of a stronger signal near the tone), other
// (another beacon's keying fits better); none for a slot heard.
const char* rejectionWord(Rejection r);

struct MatchResult {
  bool heard = false;
  double score = 0.0;     // of the best match (before rejection)
  double toneHz = 0.0;    // audio frequency of the best match
  double offsetS = 0.0;   // first key-down minus slot boundary, seconds
  int dashes = 0;
  std::array<std::optional<double>, 4> dashSnrDb{};
  double toneAmplitude = 0.0;  // peak amplitude of the 100 W tone, sample units
  double noiseRms = 0.0;       // of the white noise the audio carries, sample units
  Rejection rejection = Rejection::WeakScore;
  // The timing that fitted best: the element length (54 ms published) and how much
  // longer each key-down was than the published timing says (negative: shorter).
  double elementMs = 0.0;
  double keyDownExtraMs = 0.0;
  // Diagnostics: the best score of the keying 15..100 Hz off the tone, as a share of
  // `score`; the key-up power as a share of the neighbouring key-down power.
  double nearby = 0.0;
  double keyUpShare = 0.0;
};

class KeyingMatcher {
 public:
  // callsigns[i] is beacon i + 1's.
  explicit KeyingMatcher(const std::vector<std::string>& callsigns);

  // The longest transmission of all the beacons, seconds.
  double longestTransmission() const { return m_longest; }
  // The window a slot's analysis needs, seconds from the slot boundary: the start
  // search, the longest timing the search tries, and room before and after the
  // transmission to see that nothing else is keyed there.
  static constexpr double kSearchSeconds = 1.2;
  static constexpr double kMarginSeconds = 0.6;
  double windowStart() const { return -kSearchSeconds - kMarginSeconds; }
  double windowEnd(int beacon) const;

  // `samples` is baseband at kBasebandRate; samples[0] lies `firstTime` seconds from the
  // slot boundary; the window should cover windowStart()..windowEnd(beacon). A window
  // that begins later (a recording that starts on the boundary) is searched from where
  // it begins.
  MatchResult match(const Cf* samples, std::size_t count, double firstTime, int beacon) const;

  // Score above which a match counts: noise alone, the whole search over tones, starts
  // and timings taken, stays below it in all but about one slot in 20000.
  static constexpr double kScoreThreshold = 9.0;

  struct Piece {
    int start = 0, end = 0;  // samples from the first key-down
    int group = 0;           // kCallGroup, 1..4 dash of the ladder, kGapGroup
    float weight = 0.0f;     // energy the piece should carry, relative
    float gain = 0.0f;       // what the sum collects of a unit tone filling the piece
    float noise = 1.0f;      // noise energy it collects, per sample of the piece
    int before = -1, after = -1;  // a gap's neighbouring key-down pieces (index in `all`)
  };
  struct Template {
    std::vector<Piece> search;  // the pieces scored in the search (callsign, dashes 1, 2)
    std::vector<Piece> all;     // every piece and gap
    std::vector<Piece> call;    // the callsign's pieces alone
    double searchNorm = 1.0;    // sqrt of the sum of squared weights
    double callNorm = 1.0;      // the same over the callsign's pieces
    int ladderStart = 0;        // samples from the first key-down to the 100 W dash
    int span = 0;               // samples from first key-down to the end of the last dash
    double elementMs = 0.0, keyDownExtraMs = 0.0;
  };
  static constexpr int kCallGroup = 0, kGapGroup = 5;

 private:
  // Templates of beacon b - 1: [0] at the published timing, then the timing variants.
  std::vector<std::vector<Template>> m_templates;
  double m_longest = 0.0;
};

}  // namespace harkola
