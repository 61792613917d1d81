#include "audio/AudioFFT.h"

#include <cfloat>
#include <cmath>
#include <cstring>

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

AudioFFT::AudioFFT() {
  BuildBitReverseTable();
  BuildTwiddles();
}

void AudioFFT::BuildBitReverseTable() {
  for (std::int32_t i = 0; i < kFftSize; ++i) BitReverseTable[i] = ReverseBits(i, 10);
}

void AudioFFT::BuildTwiddles() {
  for (std::int32_t blockSize = 2; blockSize <= kFftSize; blockSize *= 2) {
    const std::int32_t blockEnd = blockSize / 2;
    const float delta = 6.283185f / static_cast<float>(blockSize);  // 2*pi as 6.283185
    float alpha = std::sin(0.5f * delta);
    alpha = 2.0f * alpha * alpha;  // 1 - cos(delta)
    const float beta = std::sin(delta);
    float ar = 1.0f;
    float ai = 0.0f;
    for (std::int32_t n = 0; n < blockEnd; ++n) {
      m_twiddleRe[blockEnd - 1 + n] = ar;
      m_twiddleIm[blockEnd - 1 + n] = ai;
      // Turn (ar, ai) by +delta.
      const float step = alpha * ar + beta * ai;
      ai = ai - (alpha * ai - beta * ar);
      ar = ar - step;
    }
  }
}

namespace {

// N floats operated on lane by lane: each lane does exactly the scalar IEEE operation
// (no fused multiply-add exists in these instruction sets, and contraction is off), so
// the results are bit for bit those of the scalar butterfly.
template <int N>
struct Lanes {
  typedef float type __attribute__((vector_size(4 * N)));
};

// The butterflies n .. n+N-1 of one group.
template <int N>
inline void butterflies(float* rj, float* ij, float* rk, float* ik, const float* wr,
                        const float* wi) {
  using V = typename Lanes<N>::type;
  V ar, ai, xr, xi, yr, yi;
  std::memcpy(&ar, wr, sizeof ar);
  std::memcpy(&ai, wi, sizeof ai);
  std::memcpy(&xr, rk, sizeof xr);
  std::memcpy(&xi, ik, sizeof xi);
  std::memcpy(&yr, rj, sizeof yr);
  std::memcpy(&yi, ij, sizeof yi);
  const V tr = ar * xr - ai * xi;
  const V ti = ar * xi + ai * xr;
  const V kr = yr - tr, ki = yi - ti, jr = yr + tr, ji = yi + ti;
  std::memcpy(rk, &kr, sizeof kr);
  std::memcpy(ik, &ki, sizeof ki);
  std::memcpy(rj, &jr, sizeof jr);
  std::memcpy(ij, &ji, sizeof ji);
}

// Stages with half-size 4 and up, N lanes (4 or 8) at a time along each group.
template <int N>
inline void laterStages(float* re, float* im, const float* twRe, const float* twIm) {
  for (std::int32_t blockEnd = 4; blockEnd < kFftSize; blockEnd *= 2) {
    const std::int32_t blockSize = 2 * blockEnd;
    const float* wr = twRe + blockEnd - 1;
    const float* wi = twIm + blockEnd - 1;
    for (std::int32_t i = 0; i < kFftSize; i += blockSize) {
      float* rj = re + i;
      float* ij = im + i;
      float* rk = rj + blockEnd;
      float* ik = ij + blockEnd;
      if (blockEnd < N) {
        butterflies<4>(rj, ij, rk, ik, wr, wi);
      } else {
        for (std::int32_t n = 0; n < blockEnd; n += N)
          butterflies<N>(rj + n, ij + n, rk + n, ik + n, wr + n, wi + n);
      }
    }
  }
}

void laterStagesSse(float* re, float* im, const float* twRe, const float* twIm) {
  laterStages<4>(re, im, twRe, twIm);
}

__attribute__((target("avx"))) void laterStagesAvx(float* re, float* im, const float* twRe,
                                                    const float* twIm) {
  laterStages<8>(re, im, twRe, twIm);
}

using StagesFn = void (*)(float*, float*, const float*, const float*);
const StagesFn kLaterStages = __builtin_cpu_supports("avx") ? laterStagesAvx : laterStagesSse;

}  // namespace

void AudioFFT::Transform(const SampleBlock& SampleBuffer, SpectrumFrame& Spectrum) {
  float* re = Spectrum.data();
  float* im = m_imaginary.data();
  const std::int16_t* x = SampleBuffer.data();

  // Every butterfly, with its stage's twiddle (ar, ai), is:
  //   tr = ar*re[k] - ai*im[k];  ti = ar*im[k] + ai*re[k];
  //   re[k] = re[j] - tr;  im[k] = im[j] - ti;  re[j] += tr;  im[j] += ti.
  // Butterflies of one stage touch disjoint pairs, so their order within the stage
  // does not change any result.
  //
  // Reordering (bit reversal, imaginary parts 0) and the stages with half-size 1 and
  // 2 are done together, one group of four points at a time. The twiddle of n = 0 is
  // (1, 0) in every stage.
  const float w2r = m_twiddleRe[2], w2i = m_twiddleIm[2];  // half-size 2, n = 1
  for (std::int32_t i = 0; i < kFftSize; i += 4) {
    float r[4], m[4];
    for (int g = 0; g < 4; ++g) {
      r[g] = static_cast<float>(x[BitReverseTable[i + g]]);
      m[g] = 0.0f;
    }
    for (int g = 0; g < 4; g += 2) {  // half-size 1
      const float tr = 1.0f * r[g + 1] - 0.0f * m[g + 1];
      const float ti = 1.0f * m[g + 1] + 0.0f * r[g + 1];
      r[g + 1] = r[g] - tr;
      m[g + 1] = m[g] - ti;
      r[g] = r[g] + tr;
      m[g] = m[g] + ti;
    }
    {  // half-size 2, n = 0
      const float tr = 1.0f * r[2] - 0.0f * m[2];
      const float ti = 1.0f * m[2] + 0.0f * r[2];
      r[2] = r[0] - tr;
      m[2] = m[0] - ti;
      r[0] = r[0] + tr;
      m[0] = m[0] + ti;
    }
    {  // half-size 2, n = 1
      const float tr = w2r * r[3] - w2i * m[3];
      const float ti = w2r * m[3] + w2i * r[3];
      r[3] = r[1] - tr;
      m[3] = m[1] - ti;
      r[1] = r[1] + tr;
      m[1] = m[1] + ti;
    }
    std::memcpy(re + i, r, sizeof r);
    std::memcpy(im + i, m, sizeof m);
  }
  kLaterStages(re, im, m_twiddleRe.data(), m_twiddleIm.data());
}

}  // namespace harkola
