#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "audio/AudioFFT.h"
#include "audio/FrameAnalysis.h"
#include "audio/SignalGenerator.h"

namespace harkola {
namespace {

SampleBlock randomBlock(std::uint32_t seed, int filled = kBlockSamples) {
  std::mt19937 gen(seed);
  SampleBlock b{};
  for (int i = 0; i < filled; ++i) b[i] = static_cast<std::int16_t>(gen() % 20001) - 10000;
  return b;
}

// The real part of a 1024-point DFT, in double precision: the bit reversal, the
// recurrence and the 32-bit arithmetic must stay close to it (a wrong sign, twiddle or
// order shows at once).
TEST(AudioFFT, MatchesTheRealPartOfTheDft) {
  const SampleBlock b = randomBlock(7, kFftSize);
  AudioFFT fft;
  SpectrumFrame s{};
  fft.Transform(b, s);
  double worst = 0, scale = 0;
  for (int k = 0; k < kFftSize; ++k) {
    double re = 0;
    for (int n = 0; n < kFftSize; ++n) re += b[n] * std::cos(2 * M_PI * k * n / kFftSize);
    worst = std::max(worst, std::fabs(re - s[k]));
    scale = std::max(scale, std::fabs(re));
  }
  EXPECT_LT(worst, scale * 1e-4);
}

// The transform written out step by step, one butterfly at a time with the running
// recurrence, as slow as it looks. The fast transform must give the same bits.
SpectrumFrame stepByStep(const SampleBlock& in) {
  SpectrumFrame re{};
  std::array<float, kFftSize> im{};
  for (int i = 0; i < kFftSize; ++i) re[ReverseBits(i, 10)] = static_cast<float>(in[i]);
  for (int blockEnd = 1, blockSize = 2; blockSize <= kFftSize; blockEnd = blockSize, blockSize *= 2) {
    const float delta = 6.283185f / static_cast<float>(blockSize);
    float alpha = std::sin(0.5f * delta);
    alpha = 2.0f * alpha * alpha;
    const float beta = std::sin(delta);
    for (int i = 0; i < kFftSize; i += blockSize) {
      float ar = 1.0f, ai = 0.0f;
      for (int n = 0, j = i; n < blockEnd; ++n, ++j) {
        const int k = j + blockEnd;
        const float tr = ar * re[k] - ai * im[k];
        const float ti = ar * im[k] + ai * re[k];
        re[k] = re[j] - tr;
        im[k] = im[j] - ti;
        re[j] = re[j] + tr;
        im[j] = im[j] + ti;
        const float step = alpha * ar + beta * ai;
        ai = ai - (alpha * ai - beta * ar);
        ar = ar - step;
      }
    }
  }
  return re;
}

// One transform for every block: the work array the last block left must not matter.
TEST(AudioFFT, SameBitsAsTheStepByStepTransform) {
  AudioFFT fft;
  for (std::uint32_t seed = 1; seed <= 6; ++seed) {
    // Half the blocks also fill the upper half, which is used as it stands.
    const SampleBlock b = randomBlock(seed, seed % 2 ? kBlockSamples : kFftSize);
    SpectrumFrame fast{};
    fft.Transform(b, fast);
    const SpectrumFrame slow = stepByStep(b);
    ASSERT_EQ(std::memcmp(fast.data(), slow.data(), sizeof fast), 0) << "seed " << seed;
  }
}

// Every noise reference bin at +-100, so NoiseLevel = 100 and with NoiseFilter 14 the
// threshold is 700.
SpectrumFrame flatNoise() {
  SpectrumFrame s{};
  for (int k = kLowerNoiseFirst; k <= kLowerNoiseLast; ++k) s[k] = k % 2 ? 100.0f : -100.0f;
  for (int k = kUpperNoiseFirst; k <= kUpperNoiseLast; ++k) s[k] = k % 2 ? -100.0f : 100.0f;
  return s;
}

// One bin set against the flat noise: at the threshold it is no peak, just above it is
// one (counted, summed, multiplied by 5, drawn red); outside the signal window nothing
// counts and the bar is yellow.
TEST(FrameAnalysis, PeakCountSumAndBarOfOneBin) {
  const struct {
    const char* name;
    int bin;
    float value;
    bool peak;
    BarColour colour;
  } rows[] = {{"at_threshold", 74, 700.0f, false, BarColour::Green},
              {"just_above", 74, std::nextafter(700.0f, 1e9f), true, BarColour::Red},
              {"large_negative", 74, -1.0e6f, false, BarColour::Green},
              {"first_signal_bin", kSignalFirst, 5000.0f, true, BarColour::Red},
              {"last_signal_bin", kSignalLast, 5000.0f, true, BarColour::Red},
              {"outside_window", 200, 1.0e6f, false, BarColour::Yellow},
              {"below_noise_bands", 20, 800.0f, false, BarColour::Yellow}};
  for (const auto& c : rows) {
    SCOPED_TRACE(c.name);
    MorseCount d;
    SpectrumFrame s = flatNoise();
    s[c.bin] = c.value;
    SpectrumBars bars;
    const FrameResult r = analyseFrame(s, 14, &d, &bars);
    EXPECT_FLOAT_EQ(r.threshold, 700.0f);
    EXPECT_EQ(d.MorseHits, c.peak ? 1 : 0);
    const float after = c.peak ? c.value * 5.0f : c.value;
    EXPECT_EQ(s[c.bin], after);
    EXPECT_EQ(d.MorsePeakSum, c.peak ? after : 0.0f);
    EXPECT_EQ(bars.bars[c.bin].colour, c.colour);
    EXPECT_FLOAT_EQ(bars.bars[c.bin].height, std::sqrt(std::fabs(after) / 60.0f));
  }
}

TEST(FrameAnalysis, CountsAccumulateAcrossFramesAndDisplayDoesNotMatter) {
  MorseCount withBars, without;
  SpectrumBars bars;
  for (int i = 0; i < 3; ++i) {
    SpectrumFrame s = flatNoise();
    s[70] = 1000.0f;
    s[81] = 2000.0f;
    SpectrumFrame copy = s;
    analyseFrame(s, 14, &withBars, &bars);
    analyseFrame(copy, 14, &without);
  }
  EXPECT_EQ(withBars.MorseHits, 6);
  EXPECT_EQ(withBars.MorsePeakSum, 3 * (5000.0f + 10000.0f));
  EXPECT_EQ(without.MorseHits, 6);
  EXPECT_EQ(without.MorsePeakSum, withBars.MorsePeakSum);
}

// Blocks of a steady tone in light noise, transformed and analysed back to back.
long hitsForTone(double hz, int blocks) {
  std::vector<std::int16_t> audio(static_cast<std::size_t>(blocks) * kBlockSamples);
  addTone(audio, 0, audio.size(), ToneSpec{hz, 8000.0});
  addNoise(audio, 300.0, 42);
  AudioFFT fft;
  MorseCount d;
  for (int b = 0; b < blocks; ++b) {
    SampleBlock block{};
    std::copy_n(audio.begin() + b * kBlockSamples, kBlockSamples, block.begin());
    SpectrumFrame s{};
    fft.Transform(block, s);
    analyseFrame(s, kNoiseFilterDefault, &d);
  }
  return d.MorseHits;
}

TEST(FrameAnalysis, ToneAt800HzIsCountedAndAt1200HzIsNot) {
  EXPECT_GT(hitsForTone(800.0, 20), 20);  // more than one peak per block on average
  EXPECT_EQ(hitsForTone(1200.0, 20), 0);
  EXPECT_EQ(hitsForTone(400.0, 20), 0);
}

}  // namespace
}  // namespace harkola
