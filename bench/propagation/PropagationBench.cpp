// The propagation view's costs: a map redraw at 1600 x 1000 (per slot change: cached
// background and sunlight, five paths), the minute's sunlight, a full rebuild (resize or
// projection change), and reading a slot log of 1,000,000 records in steps.
//
//   QT_QPA_PLATFORM=offscreen TZ=UTC ./build/harkola_propagation_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "clock/BeaconSchedule.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"
#include "propagation/PropagationMap.h"
#include "propagation/ResultLogReader.h"

static void initMap() { Q_INIT_RESOURCE(map); }

namespace harkola {
namespace {

using Clock = std::chrono::system_clock;

PublicDecs defaults() {
  PublicDecs d;
  d.Home = parseHome(defaultHomeData()).value();
  d.BeaconTable = parseBeacons(defaultBeaconData()).value();
  return d;
}

struct MapFixture {
  PropagationMap map;
  QImage target{1600, 1000, QImage::Format_ARGB32_Premultiplied};
  MapFixture(ProjectionKind kind) {
    initMap();
    const PublicDecs d = defaults();
    QFile f(":/map/coastlines.bin");
    f.open(QIODevice::ReadOnly);
    const QByteArray b = f.readAll();
    map.setCoastlines(decodeCoastlines(std::string_view(b.constData(), static_cast<std::size_t>(b.size()))));
    map.setSites(homePoint(d), beaconSites(d));
    map.setProjection(kind);
    map.resize(1600, 1000);
    map.setTime(Clock::now());
    std::array<PropagationMap::OnAir, 5> on{};
    for (int band = 0; band < 5; ++band) on[static_cast<std::size_t>(band)] = {band * 3 + 2, band % 2 ? 0.7 : -1};
    map.setOnAir(on);
  }
  void draw() {
    QPainter p(&target);
    map.render(p);
  }
};

ProjectionKind kindOf(const benchmark::State& s) {
  return s.range(0) == 0 ? ProjectionKind::AzimuthalEquidistant : ProjectionKind::Equirectangular;
}

// What happens at a slot change or on hover.
void BM_MapRedraw(benchmark::State& state) {
  MapFixture m(kindOf(state));
  m.draw();
  for (auto _ : state) m.draw();
}
BENCHMARK(BM_MapRedraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Once a minute: the sunlight layer is worked out again.
void BM_MapNewMinute(benchmark::State& state) {
  MapFixture m(kindOf(state));
  m.draw();
  auto t = Clock::now();
  for (auto _ : state) {
    t += std::chrono::minutes(1);
    m.map.setTime(t);
    m.draw();
  }
}
BENCHMARK(BM_MapNewMinute)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A resize or a change of projection: coastlines and graticule too.
void BM_MapRebuild(benchmark::State& state) {
  MapFixture m(kindOf(state));
  for (auto _ : state) {
    m.map.invalidateLayers();
    m.draw();
  }
}
BENCHMARK(BM_MapRebuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A slot log of a million records: 55 days of one band, heard and not heard mixed.
std::filesystem::path bigSlotLog() {
  static const std::filesystem::path path = [] {
    const auto p = std::filesystem::temp_directory_path() / "harkola-bench-slotlog-1m.csv";
    if (std::filesystem::exists(p) && std::filesystem::file_size(p) > 50'000'000) return p;
    std::ofstream o(p, std::ios::binary);
    std::int64_t t = 1'790'000'000 / 180 * 180;
    char line[256];
    for (int i = 0; i < 1'000'000; ++i, t += 10) {
      const int slot = static_cast<int>(t % 180 / 10) + 1;
      const int band = (i / 18) % 5;
      const int beacon = (slot - band + 17) % 18 + 1;
      const bool heard = i % 3 != 0;
      if (heard)
        std::snprintf(line, sizeof line,
                      "\"%s\",\"%d\",\"%d\",\"CALL%d\",\"1\",\"3\",\"%.1f\",\"%.1f\",\"%.1f\",\"\",\"%d\",\"%d\",\"%.1f\",\"%d\"\r\n",
                      isoUtcText(t).c_str(), bandMHz(band), beacon, beacon,
                      (i % 40) - 20.0, (i % 40) - 30.0, (i % 40) - 40.0, 780 + i % 40, i % 200 - 100, 12.5, 1 + i % 9);
      else
        std::snprintf(line, sizeof line, "\"%s\",\"%d\",\"%d\",\"CALL%d\",\"0\",\"0\",\"\",\"\",\"\",\"\",\"\",\"\",\"2.0\",\"\"\r\n",
                      isoUtcText(t).c_str(), bandMHz(band), beacon, beacon);
      o << line;
    }
    return p;
  }();
  return path;
}

void BM_ReadSlotLog1M(benchmark::State& state) {
  const auto path = bigSlotLog();
  double longestStep = 0;
  std::size_t records = 0, bad = 0;
  for (auto _ : state) {
    PropagationGrid grid;
    ResultLogReader reader(path, ResultLogReader::Format::SlotLog);
    bool more = true;
    while (more) {
      const auto t0 = std::chrono::steady_clock::now();
      more = reader.step(grid, 40000);
      longestStep = std::max(longestStep, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    records = reader.records();
    bad = reader.malformed();
  }
  state.counters["records"] = static_cast<double>(records);
  state.counters["malformed"] = static_cast<double>(bad);
  state.counters["longest_step_ms"] = longestStep;
}
BENCHMARK(BM_ReadSlotLog1M)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace harkola

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
