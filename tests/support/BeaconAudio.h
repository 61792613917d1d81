#pragma once
// Realistic receiver audio around one beacon slot, for the detector's tests and
// benchmarks: white noise, a beacon keyed as it really keys (callsign at 22 wpm, the
// four-dash ladder), fading (QSB), a tone whose phase wanders and drifts as over an
// ionospheric path, static crashes, steady carriers and random morse chatter, each at a
// level given as SNR in 2.5 kHz. Deterministic: a scene and its seed always give the
// same samples.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/BeaconKeying.h"
#include "audio/SensitiveDetector.h"

namespace harkola::testaudio {

constexpr int kRate = 11025;

struct Channel {
  double noiseRms = 1000.0;     // Gaussian white noise, sample units
  double qsbDepthDb = 0.0;      // peak-to-peak depth of a sinusoidal fade, dB
  double qsbHz = 0.1;           // fade rate
  // Off: the fade swings qsbDepthDb/2 above and below the nominal level. On: it takes
  // the level from the nominal one down to qsbDepthDb below it and back, so the
  // nominal SNR is the unfaded peak (as a listener quotes it).
  bool qsbBelowNominal = false;
  double spreadHz = 0.0;        // rms wander of the tone's frequency (correlation 1 s)
  double driftHzPerS = 0.0;     // steady drift of the tone
  double crashesPerSecond = 0.0;
  double crashDb = 20.0;        // crash peak over the noise rms (each crash 0..-10 dB of it)
  // The receiver's audio filter, over everything: flat from passLowHz to passHighHz with
  // raised-cosine edges passEdgeHz wide (60 dB down beyond them), sloping slopeDbPerKHz
  // from passLowHz up (an SSB filter's tilt). None when passHighHz is 0. noiseRms is the
  // noise before it, so the SNR of a tone holds at any tone inside the flat band.
  double passLowHz = 0.0, passHighHz = 0.0, passEdgeHz = 50.0, slopeDbPerKHz = 0.0;
  // The sound card's input clipped at this peak (sample units); none when 0.
  double clipPeak = 0.0;
};

// The gain of the channel's receiver filter at a tone (1 without one).
double passbandGain(const Channel& ch, double hz);

// A beacon keyed as its controller keys it, on this file's own timetable (not the
// detector's): a dash is 3 elements, the space inside a character 1, between letters
// 3; the callsign, a word space (7), then four one-second dashes at 100, 10, 1 and
// 0.1 W with letter spaces between them. The element is the program's kDitSeconds
// unless a scene sets its own (a controller that runs off, the published 54 ms).
struct Beacon {
  std::string callsign;
  double snrDb = 0.0;    // of the 100 W keying, in 2.5 kHz
  double toneHz = 800.0;
  double startS = 0.0;   // first key-down, seconds from the slot boundary
  double elementS = kDitSeconds;
  double keyDownExtraS = 0.0;  // added to every key-down, taken from the key-up after it (rig keying)
};

struct Carrier {
  double hz = 800.0;
  double snrDb = 0.0;
};

struct Chatter {
  double hz = 800.0;
  double snrDb = 0.0;
  double wpm = 22.0;
  double startS = -1.0;  // from the slot boundary
  double lengthS = 12.0;
};

// Frequency-shift keying: random bits at `baud` between `hz` and hz + shiftHz (RTTY at
// 45.45 baud and 170 Hz, a data mode's few hertz), continuous phase.
struct Fsk {
  double hz = 800.0;
  double shiftHz = 170.0;
  double snrDb = 0.0;
  double baud = 45.45;
  double startS = -1.0;  // from the slot boundary
  double lengthS = 12.0;
};

struct Scene {
  Channel channel;
  std::optional<Beacon> beacon;
  std::vector<Carrier> carriers;
  std::vector<Chatter> chatter;
  std::vector<Fsk> fsk;
  std::uint32_t seed = 1;
};

// Peak amplitude of a tone with this SNR in 2.5 kHz over noise of this rms.
double amplitudeForSnr(double snrDb, double noiseRms);

// The samples of [slot boundary - leadS, slot boundary - leadS + lengthS).
std::vector<std::int16_t> render(const Scene& scene, double leadS, double lengthS);

// The scene's beacon alone (no noise), its 100 W key-down at peak `amplitude`, with the
// channel's fading, wander and drift, over the same span as render(); for mixing into
// other audio. Empty samples (zeros) when the scene has no beacon.
std::vector<double> beaconSignal(const Scene& scene, double amplitude, double leadS, double lengthS);

// Adds a keyed tone: `on` intervals (seconds from the buffer's start) with 5 ms raised
// cosine edges, each at its own peak amplitude.
struct KeyedSpan {
  double start = 0.0, length = 0.0, amplitude = 0.0;
};

// The key-down spans of `b` (seconds from its first key-down; amplitudes 1, 0.316, 0.1,
// 0.0316 for the callsign and 100 W dash, 10 W, 1 W, 0.1 W).
std::vector<KeyedSpan> beaconSpans(const Beacon& b);

// Random plain-text morse (letters, digits, word gaps) at `wpm`, as key-down spans
// filling `lengthS` seconds from `startS`; amplitudes 1.
std::vector<KeyedSpan> randomMorse(double wpm, double startS, double lengthS, std::uint32_t seed);

}  // namespace harkola::testaudio

namespace harkola::testaudio {

// The callsigns of the shipped beacon table, beacon 1 first.
std::vector<std::string> shippedCallsigns();

// Plays a scene through `detector` as the live pipeline would (blocks of 512 with
// their times, the slot begun at its boundary, decisions asked for until the slot's
// measurement arrives) and returns that measurement (none when the slot was skipped).
// The slot boundary is 2026-12-07 08:00:10 UTC (slot 2: beacon 2 on 14 MHz).
std::optional<SlotMeasurement> detectSlot(SensitiveDetector& detector, const Scene& scene, int beacon,
                                          int band = 0);

// The slot boundary detectSlot() uses.
SysTime sceneSlotStart();

// The S level (S-meter offset 0) the classic detector takes in the scene's slot with
// default settings, 0 when it logs nothing. Needs TZ=UTC (the replay runs on local time).
int classicSLevel(const Scene& scene);

}  // namespace harkola::testaudio
