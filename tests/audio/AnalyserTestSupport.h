#pragma once
// Receiver audio for the analyser's window, capture and replay tests.

#include <cstdint>
#include <set>
#include <vector>

#include "audio/AudioFFT.h"
#include "audio/SignalGenerator.h"

namespace harkola::test {

// `seconds` of noise at `rate` with a keyed 800 Hz tone in the first `toneSeconds` of
// each listed slot (slot i covers seconds 10i..10i+10 from the first sample).
inline std::vector<std::int16_t> beaconAudio(int seconds, const std::set<int>& toneSlots,
                                             double toneAmplitude = 4000.0, int rate = kSampleRate,
                                             int toneSeconds = 9) {
  std::vector<std::int16_t> s(static_cast<std::size_t>(seconds) * rate);
  for (int slot : toneSlots)
    addTone(s, static_cast<std::size_t>(slot) * 10 * rate, static_cast<std::size_t>(toneSeconds) * rate,
            ToneSpec{800.0, toneAmplitude, rate, 120.0, 60.0});
  addNoise(s, 1500.0, 7);
  return s;
}

}  // namespace harkola::test
