#pragma once
// Several narrow channels out of one wide complex stream by fast convolution
// (overlap-save): one large forward transform of the input per step, and per channel a
// small inverse transform of the bins around it, which filters and decimates in one go.
// The cost is that of the forward transform, shared by all channels, so five channels
// cost little more than one.
//
// Sizes: the forward transform has N points (a power of two), each channel M = 128
// bins, so a channel's output rate is rate * M / N, chosen between 24 and 48 kHz. Steps
// advance 3N/4 input samples; the channel filter (Kaiser window, designed with
// liquid-dsp) spans the other N/4. Its passband is flat to about 0.17 of the output rate
// (above 4 kHz) and it stops from 0.33 of it; the final resampling to audio rate cuts
// the rest.
//
// A channel is centred on the transform bin nearest the frequency asked for;
// residualHz() says how far off that is, for the caller's oscillator to take out.

#include <cstddef>
#include <memory>
#include <vector>

#include "receiver/IqSource.h"

namespace harkola {

class FastChannelizer {
 public:
  static constexpr int kBins = 128;
  static constexpr double kMinOutputRate = 24000.0;

  // `offsetsHz`: channel centres relative to the stream's centre, each within +-rate/2.
  // `measure`: let FFTW measure the fastest transform (a second or so at start) rather
  // than guess.
  FastChannelizer(double rate, const std::vector<double>& offsetsHz, bool measure = false);
  // Measures the transforms for `rate` now: FFTW keeps what it measured for the whole
  // program, so a channelizer made later at that rate with `measure` is ready at once.
  static void planAhead(double rate);
  ~FastChannelizer();
  FastChannelizer(const FastChannelizer&) = delete;
  FastChannelizer& operator=(const FastChannelizer&) = delete;

  double outputRate() const { return m_rate * kBins / m_n; }
  int transformSize() const { return m_n; }
  std::size_t channels() const { return m_chan.size(); }
  // Channel centre actually taken, minus the one asked for, Hz.
  double residualHz(std::size_t c) const;
  // Group delay of the channel filter in output samples.
  double delay() const { return (kTaps - 1) / 2.0; }

  // Filters the input; appends each channel's new output to out[c] (out is resized to
  // channels()). Any amount of input at a time.
  void push(const IqSample* in, std::size_t n, std::vector<std::vector<IqSample>>& out);
  // Input samples consumed by the steps so far (the output covers them).
  long long consumed() const { return m_steps * static_cast<long long>(m_advance); }

 private:
  static constexpr int kTaps = kBins / 4;  // filter length in output samples
  struct Channel {
    int bin = 0;           // centre bin, 0..N-1
    double askedHz = 0.0;  // offset asked for
    long long phase = 0;   // bin * input position mod N (for the step's phase turn)
  };
  void step(std::vector<std::vector<IqSample>>& out);

  double m_rate;
  int m_n;
  int m_advance;  // 3N/4
  std::vector<Channel> m_chan;
  std::vector<IqSample> m_response;  // kBins, in natural order (bin 0 = channel centre)
  struct Plans;
  std::unique_ptr<Plans> m_plans;
  std::size_t m_fill;  // samples in the input buffer
  long long m_steps = 0;
};

}  // namespace harkola
