#pragma once
// The 1024-point transform behind the spectrum display and the morse detector.
//
// A plain in-place radix-2 decimation-in-time transform with a trigonometric
// recurrence for the twiddle factors. Every intermediate is a 32-bit float and 2*pi is
// taken as 6.283185, so the output is the same on every build: the detector's
// thresholds and the S-level scale are tuned to exactly these (unnormalised) numbers.

#include <array>
#include <cstdint>

namespace harkola {

constexpr int kFftSize = 1024;
// Fresh samples per captured block; the upper half of the sample buffer stays 0.
constexpr int kBlockSamples = 512;
constexpr int kSampleRate = 11025;

using SampleBlock = std::array<std::int16_t, kFftSize>;
using SpectrumFrame = std::array<float, kFftSize>;

// `index` with its lowest `bitCount` bits reversed (ReverseBits(1, 10) = 512).
std::int32_t ReverseBits(std::int32_t index, std::uint8_t bitCount);

class AudioFFT {
 public:
  AudioFFT();  // builds BitReverseTable

  // Spectrum receives the real part of the transform of SampleBuffer: signed, no
  // window, no scaling (a constant c in the first 512 samples gives Spectrum[0] = 512c).
  // Samples 512..1023 are taken as they are; the capture leaves them at 0.
  void Transform(const SampleBlock& SampleBuffer, SpectrumFrame& Spectrum);

  // Entry i = i with its lowest 10 bits reversed.
  std::array<std::int32_t, kFftSize> BitReverseTable{};

 private:
  void BuildBitReverseTable();
  void BuildTwiddles();
  // Work array, overwritten on every call (cleared in the reordering step).
  std::array<float, kFftSize> m_imaginary{};
  // The recurrence restarts at (1, 0) in every group of a stage, so its values depend
  // only on the stage and the butterfly's place in the group: they are run once here,
  // with the same 32-bit steps, and looked up. Stage with half-size m uses entries
  // m-1 .. 2m-2 (1023 in all).
  std::array<float, kFftSize> m_twiddleRe{};
  std::array<float, kFftSize> m_twiddleIm{};
};

}  // namespace harkola
