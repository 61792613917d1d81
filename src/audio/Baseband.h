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

struct firdecim_crcf_s;  // liquid-dsp's decimating FIR filter

namespace harkola {

constexpr int kInputRate = 11025;
constexpr int kDecimation = 15;
constexpr double kBasebandRate = static_cast<double>(kInputRate) / kDecimation;  // 735 Hz
constexpr double kMixHz = 800.0;

using Cf = std::complex<float>;

class Baseband {
 public:
  Baseband();
  // Appends the baseband samples the new input completes to `out`; each comes once the
  // filters' next block has begun, at most 14 input samples (1.3 ms) after it is complete.
  void push(const std::int16_t* samples, std::size_t count, std::vector<Cf>& out);
  // Forgets all input (a new stream starts at input sample 0).
  void reset();
  // Input samples pushed since the last reset.
  long long inputCount() const { return m_n; }
  // Which input sample output m is centred on.
  static double centreOf(long long m);

 private:
  // One low-pass stage (liquid-dsp's decimating FIR filter) that keeps every
  // `factor`-th output: the one completed by input factor*k - 1.
  class Decimator {
   public:
    Decimator(const std::vector<float>& taps, int factor);
    ~Decimator();
    Decimator(const Decimator&) = delete;
    Decimator& operator=(const Decimator&) = delete;
    void reset();
    // Appends the outputs the new inputs complete.
    void push(const Cf* in, std::size_t count, std::vector<Cf>& out);

   private:
    void block(const Cf* in, std::vector<Cf>& out);
    firdecim_crcf_s* m_filter;
    int m_factor;
    std::vector<Cf> m_pending;  // inputs not yet making a whole block
    bool m_dropNext = true;
  };

  static constexpr int kTaps1 = 41, kTaps2 = 97;
  std::vector<Cf> m_mix;  // e^{-j 2 pi 800 n / 11025}, period 441
  Decimator m_stage1;
  Decimator m_stage2;
  long long m_n = 0;  // input samples so far
  std::vector<Cf> m_mixed, m_between;  // scratch: mixed input, stage-1 output
};

}  // namespace harkola
