// Speed of the band channels: the fast-convolution channelizer alone (five channels)
// and the whole five-band chain (channels, demodulation, AGC, five detectors with their
// slot analyses), in input samples per second of one core's time.
#include <benchmark/benchmark.h>

#include <random>

#include "receiver/BandReceiver.h"
#include "receiver/FastChannelizer.h"
#include "receiver/FiveBandDetector.h"
#include "BeaconAudio.h"

namespace harkola {
namespace {

std::vector<IqSample> noise(std::size_t n) {
  std::mt19937 rng(3);
  std::normal_distribution<float> g(0.0f, 0.05f);
  std::vector<IqSample> v(n);
  for (auto& x : v) x = {g(rng), g(rng)};
  return v;
}

// range(0): rate in kS/s; range(1): 1 = FFTW measured plans.
void BM_FastChannelizerFiveChannels(benchmark::State& state) {
  const double rate = static_cast<double>(state.range(0)) * 1e3;
  const double centre = suggestedCentre(rate);
  std::vector<double> offsets;
  for (int b : bandsCovered(rate, centre)) offsets.push_back(static_cast<double>(kBands[b].hz) - centre);
  while (offsets.size() < 5) offsets.push_back(offsets.back() + 25e3);  // five channels whatever the rate
  FastChannelizer fc(rate, offsets, state.range(1) != 0);
  const std::vector<IqSample> in = noise(1 << 20);
  std::vector<std::vector<IqSample>> out;
  for (auto _ : state) {
    for (auto& o : out) o.clear();
    fc.push(in.data(), in.size(), out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(in.size()));
  state.counters["N"] = fc.transformSize();
}
BENCHMARK(BM_FastChannelizerFiveChannels)
    ->ArgsProduct({{2400, 20000, 60000, 129600}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// One iteration is 12 s of stream: one slot analysed on every band the stream carries.
void BM_FiveBandChainSlot(benchmark::State& state) {
  const double rate = static_cast<double>(state.range(0)) * 1e3;
  const std::vector<IqSample> in = noise(1 << 18);
  const std::vector<std::string> calls = testaudio::shippedCallsigns();
  const auto perBlock = std::chrono::duration_cast<SysTime::duration>(std::chrono::duration<double>(in.size() / rate));
  for (auto _ : state) {
    state.PauseTiming();
    BandReceiver rx({0, 1, 2, 3, 4}, true);
    FiveBandDetector det(calls);
    IqBlock b;
    b.rate = rate;
    b.centreHz = suggestedCentre(rate);
    b.samples = in;
    b.time = testaudio::sceneSlotStart() - std::chrono::seconds(2);
    state.ResumeTiming();
    long slots = 0;
    for (double s = 0; s < 12.0; s += static_cast<double>(in.size()) / rate) {
      rx.push(b, det);
      b.index += static_cast<long long>(in.size());
      b.time += perBlock;
      det.tick(b.time);
      slots += static_cast<long>(det.takeMeasurements().size());
    }
    benchmark::DoNotOptimize(slots);
  }
  // Share of one core live: CPU time per iteration over the 12 s it stands for.
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(12.0 * rate));
}
BENCHMARK(BM_FiveBandChainSlot)->Arg(2400)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace harkola

BENCHMARK_MAIN();
