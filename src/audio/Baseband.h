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
  // One low-pass stage that keeps every `factor`-th output.
  struct Decimator {
    Decimator(std::vector<float> taps, int factor);
    void reset();
    // Takes one input; true with `out` set when it completes an output.
    bool push(Cf v, Cf& out);

    std::vector<float> h;
    int factor;
    std::vector<Cf> history;  // circular, each input written twice: a filter reads a straight run
    int pos = 0;
    long long count = 0;  // inputs so far
  };

  static constexpr int kTaps1 = 41, kTaps2 = 97;
  std::vector<Cf> m_mix;  // e^{-j 2 pi 800 n / 11025}, period 441
  Decimator m_stage1, m_stage2;
  long long m_n = 0;  // input samples so far
};

}  // namespace harkola
