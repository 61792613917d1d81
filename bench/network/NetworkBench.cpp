// The collector on one core: messages checked and decoded, batched, stored once by key,
// into a SQLite file and a PostgreSQL database (a cluster made for the run).
//   network_bench [--benchmark_filter=Sqlite]
#include <benchmark/benchmark.h>

#include "Messages.h"
#include "network/Collector.h"
#include "network/NetworkServers.h"

namespace harkola {
namespace {

constexpr std::size_t kPerRun = 100000;

std::int64_t nowUtc() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void collect(benchmark::State& state, const std::string& where) {
  std::string error;
  auto store = openSlotStore(where, error);
  if (!store) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::int64_t first = test::recentBaseUtc() - 3 * 86400;  // fresh keys for every run
  std::uint64_t stored = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const auto messages = bench::networkMessages(kPerRun, 1000, first);
    first += 10 * static_cast<std::int64_t>(kPerRun / 5000 + 1);
    state.ResumeTiming();
    Collector c(*store);
    const std::int64_t now = nowUtc();
    for (const auto& m : messages) {
      c.take(m.topic, m.payload, now);
      if (c.batchFull()) c.flush(now);
    }
    c.flush(now);
    stored += c.counts().stored;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(stored));
  state.counters["stored"] = static_cast<double>(stored);
}

void BM_CollectorSqlite(benchmark::State& state) {
  test::TempFolder dir{"harkola-bench-sqlite"};
  collect(state, (dir / "store.sqlite").string());
}
BENCHMARK(BM_CollectorSqlite)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_CollectorPostgres(benchmark::State& state) {
  test::PostgresCluster pg;
  if (!pg.start()) {
    state.SkipWithError(pg.why().c_str());
    return;
  }
  collect(state, pg.url());
}
BENCHMARK(BM_CollectorPostgres)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// What the collector does before the store: check and decode one message.
void BM_DecodeMessage(benchmark::State& state) {
  const auto messages = bench::networkMessages(1000, 50, test::recentBaseUtc());
  const std::int64_t now = nowUtc();
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& m = messages[i++ % messages.size()];
    benchmark::DoNotOptimize(decodeSlotMessage(m.topic, m.payload, now));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeMessage);

}  // namespace
}  // namespace harkola

BENCHMARK_MAIN();
