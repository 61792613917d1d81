#pragma once
// The measurements the keying matcher is built on, over a window of complex baseband
// (kBasebandRate): the noise of every moment, a detection spectrum that names the
// candidate tones, and sums of the window turned down to a tone, between any two
// indices in constant time.

#include <complex>
#include <cstddef>
#include <vector>

#include "audio/Baseband.h"

namespace harkola::keying {

// The noise of the window as a level that changes moment by moment times a shape over
// the tones that holds for the whole window: a receiver's filters are not flat (an SSB
// filter's slope, a CW filter's edges inside the band searched), and its AGC pumps the
// noise up and down with a strong signal's keying. The level is read from the lower
// quarter of the bins of short spectra, each bin over its share of the shape: a carrier
// or a keyed signal (a few bins) does not raise it, a static crash (all bins) does where
// it is, so that moment weighs less. The shape is each bin's quiet moments (the lower
// third over the window, so a beacon keyed for more than half of it does not lift its
// own tone), smoothed by running medians to either side (see KeyingSums.cpp) so that a
// station on one tone all through the window does not lift the noise at its own tone.
struct NoiseField {
  std::vector<double> prefix;     // prefix sums of the noise level per sample
  std::vector<double> longCells;  // level of long cell c (samples c*kLongHop .. +kLongSeg)
  std::vector<std::vector<float>> cellPowers;  // power per sample of bin k of long cell c, at k + flat
  std::vector<double> spectrum;   // bin k of the long cells at index k + half: sum of (p/noise - 1)
  int half = 0;                   // bins -half..half are searched
  std::vector<double> shape;      // noise at bin k (index k + flat) over the level (the passband's 1)
  int flat = 0;                   // bins -flat..flat carry the shape
  // Noise level energy of samples [s, e); times shapeAt(hz) at a tone.
  double between(int s, int e) const { return prefix[e] - prefix[s]; }
  // The shape at a baseband frequency (interpolated between bins).
  double shapeAt(double hz) const;
};

// Bins whose noise shape is this far under the passband's lie beyond the receiver's
// filter: no tone is looked for there, and they do not count for the level.
constexpr double kPassbandShape = 0.1;

constexpr int kLongSeg = 256, kLongHop = 128;
constexpr double kToneSearchHz = 262.0;
constexpr double kSpectrumBinHz = kBasebandRate / kLongSeg;

NoiseField noiseField(const Cf* x, std::size_t count);

// Sums of the window turned down by `hz`, so that a tone at `hz` adds up coherently:
// plain (rectangular) or with tapered edges. The taper (the span convolved with boxes
// of kTaperA and kTaperB samples, reaching kTaperReach samples beyond each end) cuts
// the leakage of a strong signal tens of hertz away by 20..35 dB, which would otherwise
// vary with each span's edges and mimic keying.
constexpr int kTaperA = 8, kTaperB = 12, kTaperShift = (kTaperA + kTaperB - 2) / 2;
constexpr int kTaperReach = kTaperShift;

class ShiftedSums {
 public:
  void build(const Cf* x, std::size_t count, double hz);
  std::complex<double> rect(int s, int e) const { return m_p1[e + kPad] - m_p1[s + kPad]; }
  std::complex<double> tapered(int s, int e) const {
    return (g(e - kTaperShift) - g(s - kTaperShift)) * (1.0 / (kTaperA * kTaperB));
  }

 private:
  static constexpr int kPad = 32;
  std::complex<double> g(int m) const {
    m += kPad;
    return m_p3[m + kTaperA + kTaperB] - m_p3[m + kTaperA] - m_p3[m + kTaperB] + m_p3[m];
  }
  std::vector<std::complex<double>> m_p1, m_p3;
};

// What a tapered sum over a span of `length` samples collects of a unit tone filling
// the span (`gain`), and of white noise of unit power, per sample of the span (`noise`).
struct TaperGain {
  float gain = 0.0f, noise = 1.0f;
};
TaperGain taperGain(int length);

}  // namespace harkola::keying
