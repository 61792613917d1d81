// Speed of the spectrum transform, the frame analysis and the replay of a recording,
// with FFTW's 1024-point real transform as the yardstick.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cstring>
#include <vector>

#include "audio/AudioFFT.h"
#include "audio/FrameAnalysis.h"
#include "audio/ReplaySession.h"
#include "audio/SensitiveDetector.h"
#include "audio/SignalGenerator.h"
#include "BeaconAudio.h"

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

// One frame's analysis, with or without the bar heights and colours for the display.
template <bool kWithBars>
void frameAnalysis(benchmark::State& state) {
  AudioFFT fft;
  SpectrumFrame base{};
  fft.Transform(noisyToneBlock(), base);
  MorseCount d;
  SpectrumFrame s;
  SpectrumBars bars;
  for (auto _ : state) {
    s = base;
    analyseFrame(s, kNoiseFilterDefault, &d, kWithBars ? &bars : nullptr);
    benchmark::DoNotOptimize(d.MorseHits);
    benchmark::DoNotOptimize(bars.bars.data());
  }
}
BENCHMARK(frameAnalysis<false>)->Name("BM_FrameAnalysis");
BENCHMARK(frameAnalysis<true>)->Name("BM_FrameAnalysisWithDisplayBars");

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

// Ten minutes of realistic receiver audio on 14 MHz from 08:00:00: in every slot the
// scheduled beacon at -26..+10 dB, starting 0..0.4 s after the boundary.
const std::vector<std::int16_t>& tenMinutesOfBeacons() {
  static const std::vector<std::int16_t> audio = [] {
    const std::vector<std::string> calls = testaudio::shippedCallsigns();
    std::vector<std::int16_t> all;
    for (int slot = 0; slot < 60; ++slot) {
      testaudio::Scene s;
      s.seed = 500u + slot;
      s.channel.qsbDepthDb = 6.0;
      const int beacon = (slot % 18) + 1;  // slot 1 of the cycle carries beacon 1 on 14 MHz
      s.beacon = testaudio::Beacon{calls[beacon - 1], -26.0 + (slot * 7) % 37, 650.0 + (slot * 37) % 300,
                                   0.05 * (slot % 8)};
      const auto part = testaudio::render(s, 0.0, 10.0);
      all.insert(all.end(), part.begin(), part.end());
    }
    return all;
  }();
  return audio;
}

// The sensitive detector fed the ten minutes as the live pipeline feeds it: blocks of
// 512 with their times, a new slot every ten seconds, a decision asked for after every
// block (the clock asks ten times a second; asking more often costs no analysis).
void BM_SensitiveReplayTenMinutes(benchmark::State& state) {
  const auto& audio = tenMinutesOfBeacons();
  const std::vector<std::string> calls = testaudio::shippedCallsigns();
  using namespace std::chrono;
  const SysTime start = sys_days{year{2026} / December / 7} + hours{8};
  long heard = 0, analysed = 0;
  for (auto _ : state) {
    SensitiveDetector det(calls);
    heard = analysed = 0;
    long nextSlot = 0;
    for (std::size_t i = 0; i + kBlockSamples <= audio.size(); i += kBlockSamples) {
      const auto at = [&](std::size_t n) {
        return start + duration_cast<SysTime::duration>(duration<double>(static_cast<double>(n) / 11025.0));
      };
      if (at(i) >= start + seconds(10 * nextSlot)) {
        SlotRef ref;
        ref.start = start + seconds(10 * nextSlot);
        ref.band = 0;
        ref.beacon = static_cast<int>(nextSlot % 18) + 1;
        det.beginSlot(ref);
        ++nextSlot;
      }
      det.addBlock(audio.data() + i, kBlockSamples, at(i + kBlockSamples));
      det.decide(at(i + kBlockSamples));
      for (const SlotMeasurement& m : det.takeMeasurements()) ++analysed, heard += m.heard;
    }
  }
  state.counters["slots"] = static_cast<double>(analysed);
  state.counters["heard"] = static_cast<double>(heard);
  state.counters["realtime_x"] =
      benchmark::Counter(600.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SensitiveReplayTenMinutes)->Unit(benchmark::kMillisecond);


}  // namespace
}  // namespace harkola

BENCHMARK_MAIN();
