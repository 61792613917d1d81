#include "audio/AudioFFT.h"

#include <cfloat>
#include <cmath>

// Excess precision (x87) would change the last bits of the spectrum and so which bins
// pass the detector's threshold.
static_assert(FLT_EVAL_METHOD == 0, "the transform needs float arithmetic rounded to 32 bits");

namespace harkola {

std::int32_t ReverseBits(std::int32_t index, std::uint8_t bitCount) {
  std::int32_t result = 0;
  for (int b = 0; b < bitCount; ++b) {
    result = result * 2 + (index & 1);
    index /= 2;
  }
  return result;
}

AudioFFT::AudioFFT() { BuildBitReverseTable(); }

void AudioFFT::BuildBitReverseTable() {
  for (std::int32_t i = 0; i < kFftSize; ++i) BitReverseTable[i] = ReverseBits(i, 10);
}

void AudioFFT::Transform(const SampleBlock& SampleBuffer, SpectrumFrame& Spectrum) {
  float* re = Spectrum.data();
  float* im = m_imaginary.data();
  for (std::int32_t i = 0; i < kFftSize; ++i) {
    const std::int32_t j = BitReverseTable[i];
    re[j] = static_cast<float>(SampleBuffer[i]);
    im[j] = 0.0f;
  }

  std::int32_t blockEnd = 1;
  for (std::int32_t blockSize = 2; blockSize <= kFftSize; blockSize *= 2) {
    const float delta = 6.283185f / static_cast<float>(blockSize);
    float alpha = std::sin(0.5f * delta);
    alpha = 2.0f * alpha * alpha;  // 1 - cos(delta)
    const float beta = std::sin(delta);

    for (std::int32_t i = 0; i < kFftSize; i += blockSize) {
      float ar = 1.0f;
      float ai = 0.0f;
      std::int32_t j = i;
      for (std::int32_t n = 0; n < blockEnd; ++n) {
        const std::int32_t k = j + blockEnd;
        const float tr = ar * re[k] - ai * im[k];
        const float ti = ar * im[k] + ai * re[k];
        re[k] = re[j] - tr;
        im[k] = im[j] - ti;
        re[j] = re[j] + tr;
        im[j] = im[j] + ti;
        // Turn (ar, ai) by +delta.
        const float step = alpha * ar + beta * ai;
        ai = ai - (alpha * ai - beta * ar);
        ar = ar - step;
        ++j;
      }
    }
    blockEnd = blockSize;
  }
}

}  // namespace harkola
