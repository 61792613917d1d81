#pragma once
// The heart of the sensitive detector: given the complex baseband around one slot, find
// the scheduled beacon's transmission by matching its keying (callsign at 22 wpm and
// the four-dash ladder) against the audio, reject what is not that beacon, and measure
// what was found.
//
// How it decides:
// - The noise is measured per short cell as the median power over the 600 Hz band, so
//   a carrier or a morse signal (a few bins) does not raise it, and a static crash
//   (all bins) raises it only where it is, which takes that moment's weight away.
// - The tone is searched over -250..+250 Hz from the baseband centre among the strongest
//   candidates of a 2.9 Hz spectrum, each tried at three fine frequencies, and the
//   keying start over -1.2..+1.2 s of the slot boundary.
// - Every key-down element is summed coherently (callsign elements whole, each dash in
//   three pieces of a third of a second, so a tone whose phase wanders over a second
//   still adds up); the
//   element energies, in units of the noise, are combined non-coherently, weighted by
//   the energy each element should carry. The score is that sum in standard
//   deviations of the noise-only sum.
// - A match is rejected when its key-up gaps hold power comparable to its key-down
//   elements (a steady carrier, chatter), when the 1 W or 0.1 W dash stands out at a
//   fifth of the 100 W one or more instead of 20 or 30 dB under it (a carrier, chatter), when a strong callsign has no 100 W dash after it (chatter), or
//   when the same keying fits better a little off the tone (the match is leakage of a
//   stronger signal near by), or when another beacon's keying fits the tone better.

#include <array>
#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "audio/Baseband.h"
#include "audio/BeaconKeying.h"

namespace harkola {

// Why the best match was not taken as the beacon.
enum class Rejection { None, WeakScore, KeyUpPower, NoLadderStep, NoDash, StrongerNearby, OtherCallsign };

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
  double callSnrDb = 0.0;      // of the callsign (100 W), for diagnostics
  double toneAmplitude = 0.0;  // peak amplitude of the 100 W tone, sample units
  double noiseRms = 0.0;       // of the white noise the audio carries, sample units
  Rejection rejection = Rejection::WeakScore;
  // Diagnostics: the best score of the keying 15..100 Hz off the tone, as a share of
  // `score`; the key-up power as a share of the key-down power.
  double nearby = 0.0;
  double keyUpShare = 0.0;
};

class KeyingMatcher {
 public:
  // callsigns[i] is beacon i + 1's.
  explicit KeyingMatcher(const std::vector<std::string>& callsigns);

  // The longest transmission of all the beacons, seconds.
  double longestTransmission() const { return m_longest; }
  // The window a slot's analysis needs, seconds from the slot boundary.
  static constexpr double kSearchSeconds = 1.2;
  static constexpr double kMarginSeconds = 0.3;
  double windowStart() const { return -kSearchSeconds - kMarginSeconds; }
  double windowEnd(int beacon) const;

  // `samples` is baseband at kBasebandRate; samples[0] lies `firstTime` seconds from the
  // slot boundary; the window should cover windowStart()..windowEnd(beacon).
  MatchResult match(const Cf* samples, std::size_t count, double firstTime, int beacon) const;

  // Score above which a match counts (noise alone stays below it).
  static constexpr double kScoreThreshold = 9.0;

 private:
  struct Piece {
    int start = 0, end = 0;  // samples from the first key-down
    int group = 0;           // 0 callsign, 1..4 dash of the ladder, 5 key-up gap
    float weight = 0.0f;     // energy the piece should carry, relative
    bool tapered = false;    // summed with tapered edges
    float gain = 0.0f;       // what the sum collects of a unit tone filling the piece
    float noise = 1.0f;      // noise energy it collects, per sample of the piece
  };
  struct Template {
    std::vector<Piece> search;  // the pieces scored in the search (callsign, dashes 1, 2)
    std::vector<Piece> all;     // every piece and gap
    std::vector<Piece> call;    // the callsign alone
    double searchNorm = 1.0, callNorm = 1.0;  // sqrt of the sum of squared weights
    int span = 0;               // samples from first key-down to the end of the last dash
  };
  static Template buildTemplate(const BeaconKeying& k);

  std::vector<Template> m_templates;  // index beacon - 1
  double m_longest = 0.0;
};

}  // namespace harkola
