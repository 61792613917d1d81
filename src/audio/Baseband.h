#pragma once
// The receiver audio around the 800 Hz beat tone as complex baseband: mixed down by
// 800 Hz, low-pass filtered and decimated by 15, so 11025 Hz becomes 735 Hz and the
// tone search range 550..1050 Hz becomes -250..+250 Hz. The filters are flat
// (within 0.1 dB) to +-300 Hz and have unity gain there, so a real tone of peak
// amplitude A comes out as a complex tone of magnitude A/2.
//

#include <complex>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace harkola {

constexpr int kInputRate = 11025;
constexpr int kDecimation = 15;
constexpr double kBasebandRate = static_cast<double>(kInputRate) / kDecimation;  // 735 Hz
constexpr double kMixHz = 800.0;

using Cf = std::complex<float>;

class Baseband {
 public:
  Baseband();
  // Appends the baseband samples the new input completes to `out`.
  void push(const std::int16_t* samples, std::size_t count, std::vector<Cf>& out);
  // Forgets all input (a new stream starts at input sample 0).
  void reset();
  // Input samples pushed since the last reset.
  long long inputCount() const { return m_n; }
  // Which input sample output m is centred on.
  static double centreOf(long long m);

 private:
  // One low-pass stage of `Taps` taps that keeps every `Factor`-th output. Sizes are
  // compile-time constants: the filter loop is the detector's hottest.
  template <int Taps, int Factor>
  struct Decimator {
    explicit Decimator(std::vector<float> taps) : h(std::move(taps)) {}
    void reset() {
      history.assign(2 * Taps, Cf{});
      pos = 0;
      count = 0;
    }
    // Takes one input; true with `out` set when it completes an output.
    bool push(Cf v, Cf& out) {
      // Each input is written twice (at pos and pos + Taps) so the filter reads a straight run.
      history[pos] = history[pos + Taps] = v;
      if (++pos == Taps) pos = 0;
      if (++count % Factor != 0) return false;
      // Newest input at pos - 1; the run [pos, pos + Taps) is oldest..newest.
      Cf acc{};
      const Cf* run = &history[pos];
      for (int k = 0; k < Taps; ++k) acc += h[Taps - 1 - k] * run[k];
      out = acc;
      return true;
    }

    std::vector<float> h;
    std::vector<Cf> history;
    int pos = 0;
    long long count = 0;  // inputs so far
  };

  static constexpr int kTaps1 = 41, kTaps2 = 97;
  std::vector<Cf> m_mix;  // e^{-j 2 pi 800 n / 11025}, period 441
  Decimator<kTaps1, 5> m_stage1;
  Decimator<kTaps2, 3> m_stage2;
  long long m_n = 0;  // input samples so far
};

}  // namespace harkola
