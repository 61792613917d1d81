#pragma once
// What a beacon sends in its slot, as a timetable of key-down and key-up intervals:
// its callsign in morse with a 54 ms element (22.2 wpm; a dash is three elements, the
// space inside a character one, between characters three, the word space seven), then
// four one-second dashes at 100 W, 10 W, 1 W and 0.1 W separated by character spaces.
// Times are seconds from the first key-down.
//
// The detector matches this timetable against the audio, and the test generator keys
// its simulated beacons from it, so both share one definition of the transmission.

#include <string>
#include <vector>

namespace harkola {

constexpr double kDitSeconds = 0.054;
constexpr double kDashSeconds = 1.0;
// Key-up before the first dash and between dashes, in dits.
constexpr double kGapBeforeDashesDits = 7.0;
constexpr double kGapBetweenDashesDits = 3.0;
constexpr int kLadderSteps = 4;  // 100 W, 10 W, 1 W, 0.1 W

struct KeyInterval {
  double start = 0.0;  // seconds from the first key-down
  double length = 0.0;
  // -1: a callsign element (100 W); 0..3: dash of the ladder (0 = 100 W, 3 = 0.1 W).
  int dash = -1;
};

struct BeaconKeying {
  std::vector<KeyInterval> on;   // key-down intervals in time order
  std::vector<KeyInterval> off;  // key-up intervals between them (dash = -1)
  double length = 0.0;           // first key-down to last key-up, seconds
};

// Dots and dashes of one character (".-" for A), empty for a character morse lacks.
std::string morseOf(char c);

// The transmission of a beacon with this callsign. Characters without a morse code are
// skipped (an empty or unknown callsign gives the four dashes alone).
BeaconKeying beaconKeying(const std::string& callsign);

}  // namespace harkola
