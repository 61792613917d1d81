// Speed of the spectrum transform, the frame analysis and the replay of a recording,
// with FFTW's 1024-point real transform as the yardstick.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cstring>
#include <vector>

#include "audio/AudioFFT.h"
#include "audio/FrameAnalysis.h"
#include "audio/ReplaySession.h"
#include "audio/SignalGenerator.h"

namespace harkola {
namespace {

SampleBlock noisyToneBlock() {
  std::vector<std::int16_t> s(kBlockSamples);
  addTone(s, 0, s.size(), ToneSpec{800.0, 4000.0});
  addNoise(s, 1500.0, 1);
  SampleBlock b{};
  std::copy(s.begin(), s.end(), b.begin());
  return b;
}

void BM_Transform(benchmark::State& state) {
  AudioFFT fft;
  const SampleBlock b = noisyToneBlock();
  SpectrumFrame s{};
  for (auto _ : state) {
    fft.Transform(b, s);
    benchmark::DoNotOptimize(s.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Transform);

void BM_FftwReal1024(benchmark::State& state) {
  float* in = fftwf_alloc_real(kFftSize);
  fftwf_complex* out = fftwf_alloc_complex(kFftSize / 2 + 1);
  fftwf_plan plan = fftwf_plan_dft_r2c_1d(kFftSize, in, out, FFTW_MEASURE);
  const SampleBlock b = noisyToneBlock();
  for (auto _ : state) {
    // Include the conversion from 16-bit samples, as the program's transform does.
    for (int i = 0; i < kFftSize; ++i) in[i] = static_cast<float>(b[i]);
    fftwf_execute(plan);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  fftwf_destroy_plan(plan);
  fftwf_free(in);
  fftwf_free(out);
}
BENCHMARK(BM_FftwReal1024);

void BM_FrameAnalysis(benchmark::State& state) {
  AudioFFT fft;
  SpectrumFrame base{};
  fft.Transform(noisyToneBlock(), base);
  MorseCount d;
  SpectrumFrame s;
  for (auto _ : state) {
    s = base;
    analyseFrame(s, kNoiseFilterDefault, &d);
    benchmark::DoNotOptimize(d.MorseHits);
  }
}
BENCHMARK(BM_FrameAnalysis);

void BM_FrameAnalysisWithDisplayBars(benchmark::State& state) {
  AudioFFT fft;
  SpectrumFrame base{};
  fft.Transform(noisyToneBlock(), base);
  MorseCount d;
  SpectrumFrame s;
  SpectrumBars bars;
  for (auto _ : state) {
    s = base;
    analyseFrame(s, kNoiseFilterDefault, &d, &bars);
    benchmark::DoNotOptimize(bars.bars.data());
  }
}
BENCHMARK(BM_FrameAnalysisWithDisplayBars);

// Ten minutes of noise with a keyed 800 Hz tone in every third slot.
const std::vector<std::int16_t>& tenMinutes() {
  static const std::vector<std::int16_t> s = [] {
    std::vector<std::int16_t> v(static_cast<std::size_t>(600) * kSampleRate);
    for (int slot = 0; slot < 60; slot += 3)
      addTone(v, static_cast<std::size_t>(slot) * 10 * kSampleRate, static_cast<std::size_t>(9) * kSampleRate,
              ToneSpec{800.0, 4000.0, kSampleRate, 120.0, 60.0});
    addNoise(v, 1500.0, 9);
    return v;
  }();
  return s;
}

struct NullSink : HeardLogSink {
  bool write(const std::string&) override { return true; }
};

void BM_ReplayTenMinutes(benchmark::State& state) {
  const auto& audio = tenMinutes();
  long records = 0;
  for (auto _ : state) {
    state.PauseTiming();
    PublicDecs d;
    for (int n = 1; n <= kBeaconCount; ++n) d.BeaconTable[n][3] = "B" + std::to_string(n);
    VectorSampleSource source(audio);
    NullSink sink;
    ReplaySettings settings;
    settings.start = LocalTime{2026, 12, 6, 8, 0, 0, 0};
    state.ResumeTiming();
    ReplaySession session(d, settings, source, &sink, {});
    records = session.run().records;
  }
  state.counters["records"] = static_cast<double>(records);
  // Seconds of audio per second of processing.
  state.counters["realtime_x"] =
      benchmark::Counter(600.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReplayTenMinutes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace harkola

BENCHMARK_MAIN();
