#pragma once
// Synthetic receiver audio for tests, benchmarks and a generated capture source:
// beat tones (steady or keyed like morse) and white noise, added into a buffer of
// 16-bit samples. Deterministic: the same arguments give the same samples everywhere.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace harkola {

struct ToneSpec {
  double hz = 800.0;
  double amplitude = 8000.0;  // peak, in sample units
  int sampleRate = 11025;
  // Keying: on for onMs, off for offMs, repeated; onMs <= 0 gives a steady tone.
  double onMs = 0.0;
  double offMs = 0.0;
};

// Adds the tone to samples [first, first + count) (clipped to the buffer), saturating
// at the 16-bit limits. The tone's phase and keying start at `first`.
void addTone(std::vector<std::int16_t>& samples, std::size_t first, std::size_t count,
             const ToneSpec& tone);

// Adds uniform white noise of peak `amplitude` to every sample, saturating.
void addNoise(std::vector<std::int16_t>& samples, double amplitude, std::uint32_t seed);

}  // namespace harkola
