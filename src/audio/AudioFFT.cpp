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

// One butterfly with twiddle (wr, wi): (a, b) becomes (a + w b, a - w b), in the
// scalar butterfly's operations and order, lane by lane.
template <class V, class W>
inline void butterfly(V& ar, V& ai, V& br, V& bi, W wr, W wi) {
  const V tr = wr * br - wi * bi, ti = wr * bi + wi * br;
  br = ar - tr;
  bi = ai - ti;
  ar = ar + tr;
  ai = ai + ti;
}

// Two stages at once, half-sizes m and 2m, on groups of 4m points: the four points
// j, j+m, j+2m, j+3m of butterfly n go through both stages in registers. Each
// butterfly keeps its own operations and twiddle, so results do not change.
template <int N>
inline void stagePair(float* re, float* im, std::int32_t m, const float* twRe,
                      const float* twIm) {
  using V = typename Lanes<N>::type;
  const float* w1r = twRe + m - 1;      // half-size m
  const float* w1i = twIm + m - 1;
  const float* w2r = twRe + 2 * m - 1;  // half-size 2m
  const float* w2i = twIm + 2 * m - 1;
  for (std::int32_t i = 0; i < kFftSize; i += 4 * m) {
    for (std::int32_t n = 0; n < m; n += N) {
      float* r0 = re + i + n;
      float* i0 = im + i + n;
      V ar0, ai0;
      std::memcpy(&ar0, r0, sizeof ar0);
      std::memcpy(&ai0, i0, sizeof ai0);
      V ar1, ai1;
      std::memcpy(&ar1, r0 + m, sizeof ar1);
      std::memcpy(&ai1, i0 + m, sizeof ai1);
      V ar2, ai2;
      std::memcpy(&ar2, r0 + 2 * m, sizeof ar2);
      std::memcpy(&ai2, i0 + 2 * m, sizeof ai2);
      V ar3, ai3;
      std::memcpy(&ar3, r0 + 3 * m, sizeof ar3);
      std::memcpy(&ai3, i0 + 3 * m, sizeof ai3);
      V wr, wi;
      std::memcpy(&wr, w1r + n, sizeof wr);
      std::memcpy(&wi, w1i + n, sizeof wi);
      {  // half-size m: (0, 1) and (2, 3)
        butterfly(ar0, ai0, ar1, ai1, wr, wi);
        butterfly(ar2, ai2, ar3, ai3, wr, wi);
      }
      {  // half-size 2m: (0, 2) with twiddle n, (1, 3) with twiddle n + m
        V vr, vi;
        std::memcpy(&vr, w2r + n, sizeof vr);
        std::memcpy(&vi, w2i + n, sizeof vi);
        butterfly(ar0, ai0, ar2, ai2, vr, vi);
        V xr, xi;
        std::memcpy(&xr, w2r + m + n, sizeof xr);
        std::memcpy(&xi, w2i + m + n, sizeof xi);
        butterfly(ar1, ai1, ar3, ai3, xr, xi);
      }
      std::memcpy(r0, &ar0, sizeof ar0);
      std::memcpy(i0, &ai0, sizeof ai0);
      std::memcpy(r0 + m, &ar1, sizeof ar1);
      std::memcpy(i0 + m, &ai1, sizeof ai1);
      std::memcpy(r0 + 2 * m, &ar2, sizeof ar2);
      std::memcpy(i0 + 2 * m, &ai2, sizeof ai2);
      std::memcpy(r0 + 3 * m, &ar3, sizeof ar3);
      std::memcpy(i0 + 3 * m, &ai3, sizeof ai3);
    }
  }
}

// Stages with half-size 4 and up (4+8, 16+32, 64+128, 256+512), N lanes (4 or 8).
template <int N>
inline void laterStages(float* re, float* im, const float* twRe, const float* twIm) {
  stagePair<4>(re, im, 4, twRe, twIm);
  for (std::int32_t m = 16; m < kFftSize; m *= 4) stagePair<N>(re, im, m, twRe, twIm);
}

void laterStagesSse(float* re, float* im, const float* twRe, const float* twIm) {
  laterStages<4>(re, im, twRe, twIm);
}

__attribute__((target("avx"))) void laterStagesAvx(float* re, float* im, const float* twRe,
                                                    const float* twIm) {
  laterStages<8>(re, im, twRe, twIm);
}

using StagesFn = void (*)(float*, float*, const float*, const float*);
// Chosen on first use, so a transform run from another static initialiser is safe.
StagesFn laterStagesForThisCpu() {
  static const StagesFn fn = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") ? laterStagesAvx : laterStagesSse;
  }();
  return fn;
}

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
  // 2 are done together on groups of four points. The group at position i = rev(b)
  // (b < 256) holds the samples b, b+512, b+256, b+768; four such groups (b .. b+3)
  // go through the lanes side by side and are transposed back into place. The
  // twiddle of n = 0 is (1, 0) in every stage.
  using V4 = Lanes<4>::type;
  typedef std::int16_t S4 __attribute__((vector_size(8)));
  const float w2r = m_twiddleRe[2], w2i = m_twiddleIm[2];  // half-size 2, n = 1
  for (std::int32_t b = 0; b < kFftSize / 4; b += 4) {
    S4 s0, s1, s2, s3;
    std::memcpy(&s0, x + b, sizeof s0);
    std::memcpy(&s1, x + b + 512, sizeof s1);
    std::memcpy(&s2, x + b + 256, sizeof s2);
    std::memcpy(&s3, x + b + 768, sizeof s3);
    V4 r0 = __builtin_convertvector(s0, V4), r1 = __builtin_convertvector(s1, V4);
    V4 r2 = __builtin_convertvector(s2, V4), r3 = __builtin_convertvector(s3, V4);
    V4 m0 = {}, m1 = {}, m2 = {}, m3 = {};
    {  // half-size 1: (0, 1) and (2, 3)
      butterfly(r0, m0, r1, m1, 1.0f, 0.0f);
      butterfly(r2, m2, r3, m3, 1.0f, 0.0f);
    }
    {  // half-size 2: (0, 2) with n = 0, (1, 3) with n = 1
      butterfly(r0, m0, r2, m2, 1.0f, 0.0f);
      butterfly(r1, m1, r3, m3, w2r, w2i);
    }
    // Lane l of (p0, p1, p2, p3) becomes the four points of group b + l.
    auto transposeStore = [&](float* out, V4 p0, V4 p1, V4 p2, V4 p3) {
      const V4 t0 = __builtin_shufflevector(p0, p1, 0, 4, 1, 5);
      const V4 t1 = __builtin_shufflevector(p0, p1, 2, 6, 3, 7);
      const V4 t2 = __builtin_shufflevector(p2, p3, 0, 4, 1, 5);
      const V4 t3 = __builtin_shufflevector(p2, p3, 2, 6, 3, 7);
      const V4 rows[4] = {__builtin_shufflevector(t0, t2, 0, 1, 4, 5),
                          __builtin_shufflevector(t0, t2, 2, 3, 6, 7),
                          __builtin_shufflevector(t1, t3, 0, 1, 4, 5),
                          __builtin_shufflevector(t1, t3, 2, 3, 6, 7)};
      for (int l = 0; l < 4; ++l) std::memcpy(out + BitReverseTable[b + l], &rows[l], sizeof rows[l]);
    };
    transposeStore(re, r0, r1, r2, r3);
    transposeStore(im, m0, m1, m2, m3);
  }
  laterStagesForThisCpu()(re, im, m_twiddleRe.data(), m_twiddleIm.data());
}

}  // namespace harkola
