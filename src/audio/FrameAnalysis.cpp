#include "audio/FrameAnalysis.h"

#include <cmath>

namespace harkola {

FrameResult analyseFrame(SpectrumFrame& Spectrum, int NoiseFilter, MorseCount* count,
                         SpectrumBars* bars) {
  double NoiseSum = 0.0;
  for (int k = kLowerNoiseFirst; k <= kLowerNoiseLast; ++k) NoiseSum += std::fabs(Spectrum[k]);
  for (int k = kUpperNoiseFirst; k <= kUpperNoiseLast; ++k) NoiseSum += std::fabs(Spectrum[k]);

  FrameResult r;
  r.NoiseLevel = static_cast<float>(NoiseSum / kNoiseBinCount);
  r.threshold = static_cast<float>((NoiseFilter / 2.0) * static_cast<double>(r.NoiseLevel));

  // Signed comparison: a strongly negative real part is never a peak.
  std::array<bool, kSignalLast - kSignalFirst + 1> isPeak{};
  for (int k = kSignalFirst; k <= kSignalLast; ++k) {
    if (Spectrum[k] > r.threshold) {
      isPeak[k - kSignalFirst] = true;
      Spectrum[k] *= kPeakGain;
      if (count) {
        ++count->MorseHits;
        count->MorsePeakSum += Spectrum[k];
      }
      ++r.peaks;
    }
  }

  if (bars) {
    bars->NoiseLevel = r.NoiseLevel;
    bars->threshold = r.threshold;
    bars->peaks = r.peaks;
    for (int x = 0; x < kFftSize; ++x) {
      SpectrumBar& b = bars->bars[x];
      b.height = std::sqrt(std::fabs(Spectrum[x]) / 60.0f);
      if (x < kSignalFirst || x > kSignalLast)
        b.colour = BarColour::Yellow;
      else
        b.colour = isPeak[x - kSignalFirst] ? BarColour::Red : BarColour::Green;
    }
  }
  return r;
}

}  // namespace harkola
