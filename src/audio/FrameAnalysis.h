#pragma once
// The per-frame morse discrimination: the bins around the 800 Hz beat tone are tested
// against the noise on either side, and every bin above the threshold is a morse peak
// that adds to MorseHits and MorsePeakSum. The per-slot decision is the clock's
// (BeaconClock); this only accumulates.
//
// The signal window is tested in full on every frame; the display is a by-product
// (one bar per bin) and never limits what is detected.

#include <array>
#include <cstdint>

#include "audio/AudioFFT.h"

#include "common/AnalyserSettings.h"

namespace harkola {

// Bin k stands for k * 11025 / 1024 Hz (about 10.77 Hz).
constexpr int kLowerNoiseFirst = 29, kLowerNoiseLast = 68;  // about 312..732 Hz
constexpr int kSignalFirst = 69, kSignalLast = 82;          // about 743..883 Hz
constexpr int kUpperNoiseFirst = 83, kUpperNoiseLast = 122; // about 894..1314 Hz
constexpr int kNoiseBinCount = 80;

// Amplification of a peak before it is summed and drawn.
constexpr float kPeakGain = 5.0f;

// The noise filter the classic analysis starts from.
constexpr int kNoiseFilterDefault = kNoiseFilter.start;

// RGB of a spectrum bar.
enum class BarColour : std::uint32_t {
  Yellow = 0xFFFF00,  // outside the signal window
  Green = 0x00FF00,   // signal window, not a peak
  Red = 0xFF0000,     // morse peak
};

struct SpectrumBar {
  float height = 0.0f;  // sqrt(|value| / 60) display units, rising from the baseline
  BarColour colour = BarColour::Yellow;
};

// One frame as the analyser window draws it: bar x is bin x. The window draws bars
// 0..W for its inner width W (< 1024).
struct SpectrumBars {
  std::array<SpectrumBar, kFftSize> bars{};
  float NoiseLevel = 0.0f;
  float threshold = 0.0f;
  int peaks = 0;  // morse peaks in this frame
};

struct FrameResult {
  float NoiseLevel = 0.0f;  // mean |Spectrum| of the 80 noise reference bins
  float threshold = 0.0f;   // (NoiseFilter / 2) * NoiseLevel
  int peaks = 0;            // morse peaks found in this frame
};

// The morse peaks of one slot so far: their number and the sum of their amplified
// values, added peak by peak in bin order (the S level depends on this float sum).
struct MorseCount {
  long MorseHits = 0;
  float MorsePeakSum = 0.0f;
};

// Analyses one frame: the peaks of the signal window are multiplied by 5 in place
// (Spectrum is changed), counted and summed into `count` (null: not counted, e.g. for
// the display alone). NoiseFilter is the threshold factor x2 (1..20). `bars` may be null
// when nothing is drawn (replay, tests).
FrameResult analyseFrame(SpectrumFrame& Spectrum, int NoiseFilter, MorseCount* count,
                         SpectrumBars* bars = nullptr);

}  // namespace harkola
