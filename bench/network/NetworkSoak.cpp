// A long run of the collector: COUNT reports (default a million) from 1000 stations
// into a store, one core, with the rate and the resident memory every tenth of the way
// (flat memory: the collector keeps only the batch).
//   network_soak sqlite|postgresql [COUNT]
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "Messages.h"
#include "network/Collector.h"
#include "network/NetworkServers.h"

using namespace harkola;

namespace {
long residentKiB() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}
}  // namespace

int main(int argc, char** argv) {
  const bool postgres = argc > 1 && std::strcmp(argv[1], "postgresql") == 0;
  const std::size_t count = argc > 2 ? std::stoul(argv[2]) : 1000000;
  test::TempFolder dir{"harkola-soak"};
  test::PostgresCluster pg;
  std::string where = (dir / "store.sqlite").string();
  if (postgres) {
    if (!pg.start()) {
      std::fprintf(stderr, "no PostgreSQL cluster: %s\n", pg.why().c_str());
      return 1;
    }
    where = pg.url();
  }
  std::string error;
  auto store = openSlotStore(where, error);
  if (!store) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  Collector c(*store);
  const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                               std::chrono::system_clock::now().time_since_epoch()).count();
  // Made a tenth at a time, so that the messages themselves do not fill the memory.
  const std::size_t step = count / 10;
  std::int64_t first = now - 6 * 86400 - now % 180;  // a cycle start
  double timed = 0;  // seconds spent collecting (making the messages left out)
  std::printf("%s, %zu reports from 1000 stations\n%10s %12s %12s\n", store->description().c_str(), count, "reports",
              "reports/s", "RSS KiB");
  for (std::size_t done = 0; done < count; done += step) {
    const auto messages = bench::networkMessages(step, 1000, first);
    first += 10 * static_cast<std::int64_t>(step / 5000 + 1);
    const auto start = std::chrono::steady_clock::now();
    for (const auto& m : messages) {
      c.take(m.topic, m.payload, now);
      if (c.batchFull() && !c.flush(now)) {
        std::fprintf(stderr, "%s\n", c.error().c_str());
        return 1;
      }
    }
    c.flush(now);
    const double part = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timed += part;
    std::printf("%10zu %12.0f %12ld\n", done + step, step / part, residentKiB());
    std::fflush(stdout);
  }
  std::printf("stored %llu of %zu in %.1f s: %.0f reports/s; count in store %lld\n",
              static_cast<unsigned long long>(c.counts().stored), count, timed, c.counts().stored / timed,
              store->count());
  return c.counts().stored == count ? 0 : 1;
}
