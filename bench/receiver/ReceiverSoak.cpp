// A long run of the five-band chain on simulated input, printing the process's
// resident memory every simulated hour: it must stay flat.
//   receiver_soak RATE HOURS [BLOCK]
// A narrow rate (12000) runs five streams, one per band, as from a KiwiSDR; a wide
// rate one stream for all bands it covers. Noise input, times from the sample count.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "receiver/BandReceiver.h"
#include "receiver/FiveBandDetector.h"

using namespace harkola;

static long rssKb() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: receiver_soak RATE HOURS [BLOCK]\n");
    return 2;
  }
  const double rate = std::atof(argv[1]), hours = std::atof(argv[2]);
  const std::size_t block = argc > 3 ? static_cast<std::size_t>(std::atol(argv[3])) : static_cast<std::size_t>(rate / 20);
  std::vector<std::string> calls;
  for (int i = 1; i <= 18; ++i) calls.push_back("B" + std::to_string(i));
  FiveBandDetector det(calls);
  struct Stream {
    std::unique_ptr<BandReceiver> rx;
    double centre;
  };
  std::vector<Stream> streams;
  if (rate >= kWideRate) {
    streams.push_back({std::make_unique<BandReceiver>(std::vector<int>{0, 1, 2, 3, 4}), suggestedCentre(rate)});
  } else {
    for (int b = 0; b < kBandCount; ++b)
      streams.push_back({std::make_unique<BandReceiver>(std::vector<int>{b}), static_cast<double>(kBands[b].hz)});
  }
  std::mt19937 rng(5);
  std::normal_distribution<float> g(0.0f, 0.05f);
  std::vector<IqSample> noise(block * 7 + 13);
  for (auto& v : noise) v = {g(rng), g(rng)};
  const SysTime t0 = std::chrono::system_clock::from_time_t(1800000000);
  IqBlock b;
  b.rate = rate;
  long long index = 0, slots = 0;
  const long long total = static_cast<long long>(hours * 3600 * rate);
  double nextReport = 0;
  std::size_t rot = 0;
  while (index < total) {
    b.index = index;
    b.time = t0 + std::chrono::duration_cast<SysTime::duration>(std::chrono::duration<double>(index / rate));
    b.samples.assign(noise.begin() + static_cast<long>(rot), noise.begin() + static_cast<long>(rot + block));
    rot = (rot + 997) % (noise.size() - block);
    for (auto& s : streams) {
      b.centreHz = s.centre;
      s.rx->push(b, det);
    }
    index += static_cast<long long>(block);
    det.tick(b.time);
    slots += static_cast<long long>(det.takeMeasurements().size());
    const double h = static_cast<double>(index) / rate / 3600;
    if (h >= nextReport) {
      std::printf("%6.2f h  %8lld slots analysed  RSS %ld kB\n", h, slots, rssKb());
      std::fflush(stdout);
      nextReport += hours >= 4 ? 1.0 : hours / 8;
    }
  }
  std::printf("%6.2f h  %8lld slots analysed  RSS %ld kB (end)\n", hours, slots, rssKb());
  return 0;
}
