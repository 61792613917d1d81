// Timing of log loading and summaries on a large heard log.
// The log is $HARKOLA_BENCH_LOG when set (harkola_log_scale heard N FILE writes one), else 1,000,000 generated records.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "analysis/LogSummary.h"

namespace harkola {
namespace {

const std::string& benchImage() {
  static const std::string image = [] {
    std::string img;
    if (const char* path = std::getenv("HARKOLA_BENCH_LOG")) {
      std::FILE* f = std::fopen(path, "rb");
      char block[1 << 16];
      for (std::size_t got; f && (got = std::fread(block, 1, sizeof block, f)) > 0;) img.append(block, got);
      if (f) std::fclose(f);
      if (!img.empty()) return img;
    }
    static const char* calls[] = {"4U1UN", "VE8AT", "W6WX", "KH6WO", "ZL6B", "VK6RBP",
                                  "JA2IGY", "RR9O", "VR2B", "4S7B", "ZS6DN", "5Z4B",
                                  "4X6TU", "OH2B", "CS3B", "LU4AA", "OA4B", "YV5B"};
    static const char* bands[] = {"14", "18", "21", "24", "28"};
    std::mt19937 rng(5);
    img.reserve(40'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
      const LogDate d = dateOfSerial(37104 + i / 2400);  // from 01-Aug-01, ~14 months
      char date[16];
      std::snprintf(date, sizeof date, "%02d/%02d/%02d", d.day, d.month, d.year % 100);
      img += std::string("\"") + date + "\",\"" + std::to_string(rng() % 24) + "\",\"" +
             bands[rng() % 5] + "\",\"" + calls[rng() % 18] + "\",\"" +
             std::to_string(1 + rng() % 9) + "\"\r\n";
    }
    return img;
  }();
  return image;
}

void BM_LoadValidateSort(benchmark::State& state) {
  const std::string& img = benchImage();
  for (auto _ : state) {
    LogData d;
    if (!loadLog(img, d)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(d.records.data());
  }
  state.SetItemsProcessed(state.iterations() * 1'000'000);
}
BENCHMARK(BM_LoadValidateSort)->Unit(benchmark::kMillisecond);

const LogData& loaded() {
  static const LogData d = [] {
    LogData x;
    loadLog(benchImage(), x);
    return x;
  }();
  return d;
}

void BM_SummaryAllBeacons(benchmark::State& state) {
  SummaryRequest req;
  req.band = 0;
  req.beacons = {"4U1UN", "VE8AT", "W6WX", "KH6WO", "ZL6B", "VK6RBP", "JA2IGY", "RR9O", "VR2B",
                 "4S7B", "ZS6DN", "5Z4B", "4X6TU", "OH2B", "CS3B", "LU4AA", "OA4B", "YV5B"};
  req.months.fill(true);
  const LogData& d = loaded();
  for (auto _ : state) benchmark::DoNotOptimize(summarise(d, req));
}
BENCHMARK(BM_SummaryAllBeacons)->Unit(benchmark::kMillisecond);

void BM_SummaryAllBands(benchmark::State& state) {
  SummaryRequest req;
  req.mode = SummaryMode::ByBand;
  req.callsign = "ZL6B";
  req.bands = {0, 1, 2, 3, 4};
  req.months.fill(true);
  const LogData& d = loaded();
  for (auto _ : state) benchmark::DoNotOptimize(summarise(d, req));
}
BENCHMARK(BM_SummaryAllBands)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace harkola

BENCHMARK_MAIN();
