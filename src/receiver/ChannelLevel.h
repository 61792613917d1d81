#pragma once
// The slow AGC of a band channel: it holds the band's noise floor (the 5th percentile
// of 50 ms powers over the last 20 s, followed over about 20 s) at 700 sample units rms,
// so the S levels and the detector see the same kind of audio as from a receiver whose
// volume is set right; strong beacons clip at 32767. Keyed beacons leave enough gaps
// between their elements and slots that the floor does not follow them.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace harkola {

class ChannelLevel {
 public:
  ChannelLevel();
  // Appends `n` samples of `a` (11025 Hz) to `audio`, scaled and clipped.
  void scale(const float* a, std::size_t n, std::vector<std::int16_t>& audio);
  // A fixed gain instead of the AGC (audio = sample * gain); 0 = AGC.
  void setFixedGain(double gain) { m_fixedGain = gain; }
  // The noise floor and the loudest 50 ms of the last 20 s, dB relative to a full-scale
  // carrier; -200 before any input.
  double noiseDbfs() const;
  double peakDbfs() const;

 private:
  void endFrame(double power);

  double m_gain = 1.0;
  double m_fixedGain = 0.0;
  // The 50 ms frame being summed.
  double m_frameSum = 0.0;
  int m_frameFill = 0;
  // A ring of the last 20 s of frame powers; their floor and peak.
  std::vector<double> m_powers;
  std::size_t m_powerPos = 0;
  int m_framesSeen = 0;
  double m_floor = 0.0, m_peak = 0.0;
};

}  // namespace harkola
