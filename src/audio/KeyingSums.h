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

// Noise power per baseband sample, moment by moment, read from the lower quarter of the
// bins of short spectra over the filters' flat band: a carrier or a keyed signal
// (a few bins) does not raise it, a static crash (all bins) does where it is, so that
// moment weighs less.
struct NoiseField {
  std::vector<double> prefix;     // prefix sums of the noise power per sample
  std::vector<double> longCells;  // noise of long cell c (samples c*kLongHop .. +kLongSeg)
  std::vector<double> spectrum;   // bin k of the long cells at index k + half: sum of (p/noise - 1)
  int half = 0;                   // bins -half..half are searched
  // Noise energy of samples [s, e).
  double between(int s, int e) const { return prefix[e] - prefix[s]; }
};

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
