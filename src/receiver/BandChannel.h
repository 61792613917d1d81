#pragma once
// One band as a CW receiver in USB hears it: the complex channel around the band's
// beacon frequency becomes 11025 Hz 16-bit audio with the beacon's carrier at an
// 800 Hz tone, ready for a detector. Steps (liquid-dsp): an oscillator moves the dial
// frequency (carrier - 800 Hz) to 0 Hz, an arbitrary-rate resampler brings the rate to
// 11025 Hz, a complex band-pass keeps the upper sideband 100..3000 Hz, and the real part
// is the audio.
//
// Level: a slow AGC (ChannelLevel) holds the band's noise floor at 700 sample units rms,
// as a receiver whose volume is set right would; strong beacons clip at 32767.
//
// Time: every push says when its first input sample was taken; the audio's sample count
// is kept on that time (the resampler's rate is steered by the difference, a gap of more
// than 50 ms is filled with silence and audio running ahead is dropped), so a detector
// counting samples stays on the slot grid. The filters' delays are taken off the stamps.

#include <cstdint>
#include <vector>

#include "receiver/ChannelLevel.h"
#include "receiver/IqSource.h"

namespace harkola {

inline constexpr double kAudioRate = 11025.0;
inline constexpr double kToneHz = 800.0;

class BandChannel {
 public:
  // `inputRate`: of the samples pushed; `carrierHz`: the beacon's carrier relative to
  // their 0 Hz.
  BandChannel(double inputRate, double carrierHz);
  ~BandChannel();
  BandChannel(const BandChannel&) = delete;
  BandChannel& operator=(const BandChannel&) = delete;

  // Appends the audio of `n` input samples (the first taken at `first`) to `audio`;
  // returns the instant just after the last audio sample now in `audio`'s tail.
  SysTime push(const IqSample* in, std::size_t n, SysTime first, std::vector<std::int16_t>& audio);

  // A fixed gain instead of the AGC (audio = real part * gain); 0 = AGC.
  void setFixedGain(double gain) { m_level.setFixedGain(gain); }

  // The noise floor and the loudest 50 ms of the last 20 s, dB relative to a full-scale
  // carrier; -200 before any input.
  double noiseDbfs() const { return m_level.noiseDbfs(); }
  double peakDbfs() const { return m_level.peakDbfs(); }
  // Audio samples made so far, silence for gaps included.
  long long audioCount() const { return m_count; }
  long gapsFilled() const { return m_gaps; }

 private:
  double m_inRate;
  double m_delayS;  // resampler and band-pass
  struct Dsp;
  Dsp* m_dsp;
  std::vector<IqSample> m_mixed, m_resampled, m_filtered;
  std::vector<float> m_real;
  bool m_started = false;
  SysTime m_audioStart{};  // instant of audio sample 0
  long long m_count = 0;
  long m_gaps = 0;
  ChannelLevel m_level;
};

}  // namespace harkola
