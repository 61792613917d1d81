#pragma once
// Wide-band I/Q streams for the receiver's tests and benchmarks: each band's receiver
// audio (as a USB receiver tuned 800 Hz below the band's beacon frequency would give it,
// e.g. a BeaconAudio scene) is placed at its band in one complex stream of any rate,
// over weak white noise. The synthesis mirrors the channelizer: each band's analytic
// signal, resampled to a few tens of kHz, is windowed (Hann, half overlap), transformed,
// placed at its bins of a large inverse transform and overlap-added. Deterministic.

#include <complex>
#include <cstdint>
#include <memory>
#include <vector>

#include "receiver/IqSource.h"

namespace harkola::testiq {

class WideSynth {
 public:
  // `backgroundRms`: complex white noise over the whole stream (full scale 1).
  WideSynth(double rate, double centreHz, double backgroundRms = 0.0, std::uint32_t seed = 1);
  ~WideSynth();
  // A band's audio (11025 Hz, from stream time 0 on), scaled by `scale` per sample unit.
  // After it ends the band falls silent.
  void addBand(int band, const std::vector<std::int16_t>& audio, double scale);
  // The next `n` samples of the stream.
  void produce(IqSample* out, std::size_t n);

  double rate() const { return m_rate; }
  double centreHz() const { return m_centre; }

 private:
  void hop();

  double m_rate, m_centre, m_background;
  int m_n, m_m;
  struct Band;
  std::vector<std::unique_ptr<Band>> m_bands;
  struct Fft;
  std::unique_ptr<Fft> m_fft;
  std::vector<IqSample> m_out;  // N: the overlap-add accumulator
  std::size_t m_ready = 0, m_readPos = 0;
  std::vector<IqSample> m_noise;
  std::uint64_t m_seed;
  long long m_hops = 0;
};

// The five-band scene of the beacon tests: the stream at `rate` centred where it covers
// every band it can, each band's audio scaled so its noise (rms `noiseRms` in audio
// units) stands 20 dB over the background.
struct WideScene {
  double rate = 20e6;
  double centreHz = 0.0;  // 0: suggestedCentre(rate)
  std::vector<std::vector<std::int16_t>> audio;  // per band 0..4; empty = silent band
};
std::unique_ptr<WideSynth> makeSynth(const WideScene& scene, std::uint32_t seed = 1);

}  // namespace harkola::testiq
