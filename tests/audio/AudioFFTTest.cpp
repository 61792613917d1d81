#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "audio/AudioFFT.h"

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

}  // namespace
}  // namespace harkola
