// Logs of years: writes heard logs and slot logs of any size, and times reading a slot
// log into the propagation grid. bench/analysis/run.sh drives it; the heard-log timing
// is that of `harkola-cli summarise` itself.
//
//   harkola_log_scale heard N OUT.csv [plain|odd|torn|badline]
//   harkola_log_scale slot N OUT.csv
//   harkola_log_scale read-slot LOG.csv
//
// Heard logs run in time order from 1 January 2024, 13,700 records a day (ten million
// are two years), the beacon of each record the one on the air in its slot and band,
// its S level depending on beacon, band and hour, so that every summary differs. `odd`
// sprinkles what other programs write (lower-case callsigns, "09" hours, S "2.5", band
// "7", unquoted and LF-only lines, blank lines, text after a closing quote); `torn` is
// odd with a last record cut short, `badline` odd with a date that is none half-way.
// Slot logs hold the five bands of every 10-second slot from 1 January 2025, as the
// five-band receiver writes them (15 million records are a year).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>

#include "analysis/LogDate.h"
#include "clock/BeaconSchedule.h"
#include "common/LocalTime.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"
#include "data/Beacons.h"
#include "propagation/HistoryLoadTask.h"

namespace harkola {
namespace {

int usage() {
  std::fprintf(stderr,
               "usage: harkola_log_scale heard N OUT.csv [plain|odd|torn|badline]\n"
               "       harkola_log_scale slot N OUT.csv\n"
               "       harkola_log_scale read-slot LOG.csv\n");
  return 2;
}

std::vector<std::string> callsigns() {
  const auto table = parseBeacons(defaultBeaconData()).value();
  std::vector<std::string> calls;
  for (int n = 1; n <= 18; ++n) calls.push_back(Beacons(table).callsign(n));
  return calls;
}

int writeHeard(long count, const char* out, const std::string& kind) {
  std::FILE* f = std::fopen(out, "wb");
  if (!f) return 1;
  const auto calls = callsigns();
  const bool odd = kind != "plain";
  std::mt19937 rng(5);
  constexpr long kPerDay = 13700;
  const std::int32_t firstDay = daySerial({2024, 1, 1});
  char line[128];
  for (long i = 0; i < count; ++i) {
    const LogDate d = dateOfSerial(firstDay + static_cast<std::int32_t>(i / kPerDay));
    const long second = (i % kPerDay) * 86400 / kPerDay;
    const int hour = static_cast<int>(second / 3600), band = static_cast<int>(rng() % 5);
    const int beacon = beaconOnBand(static_cast<int>(second % 180 / 10) + 1, band);
    const int base = static_cast<int>((beacon * 7 + band * 3 + hour * 5) % 6) + 1;
    const int s = std::min(9, base + static_cast<int>(rng() % 4));
    std::string call = calls[static_cast<std::size_t>(beacon - 1)];
    char hourText[8], bandText[8], sText[8];
    std::snprintf(hourText, sizeof hourText, "%d", hour);
    std::snprintf(bandText, sizeof bandText, "%s", std::string(bandInfo(band).text).c_str());
    std::snprintf(sText, sizeof sText, "%d", s);
    const char* format = "\"%02d-%s-%02d\",\"%s\",\"%s\",\"%s\",\"%s\"\r\n";
    if (odd && i % 997 == 13) {
      switch (i / 997 % 8) {
        case 0: for (char& c : call) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c))); break;
        case 1: std::snprintf(hourText, sizeof hourText, "%02d", hour); break;
        case 2: std::snprintf(sText, sizeof sText, "%d.5", s - 1); break;
        case 3: std::snprintf(bandText, sizeof bandText, "7"); break;
        case 4: format = "%02d-%s-%02d,%s,%s,%s,%s\n"; break;
        case 5: std::fputs("\r\n", f); break;
        case 6: format = "\"%02d-%s-%02d\" ,\"%s\"x,\t\"%s\",\"%s\",\"%s\"\r\n"; break;
        default: format = "\"%02d-%s-%02d\",\"%s\",\"%s\",\"%s\",\"%s\"\n"; break;
      }
    }
    if (kind == "badline" && i == count / 2) format = "\"%02d-%s-%02dx\",\"%s\",\"%s\",\"%s\",\"%s\"\r\n";
    std::snprintf(line, sizeof line, format, d.day, monthAbbreviation(d.month), d.year % 100, hourText, bandText,
                  call.c_str(), sText);
    if (kind == "torn" && i == count - 1) line[std::strlen(line) / 2] = '\0';
    std::fputs(line, f);
  }
  return std::fclose(f) == 0 ? 0 : 1;
}

int writeSlot(long count, const char* out) {
  std::FILE* f = std::fopen(out, "wb");
  if (!f) return 1;
  const auto calls = callsigns();
  std::mt19937 rng(7);
  const std::int64_t start = 1'735'689'600;  // 2025-01-01T00:00:00Z
  char line[256];
  for (long i = 0; i < count; ++i) {
    const std::int64_t t = start + i / 5 * 10;
    const int band = static_cast<int>(i % 5);
    const int beacon = beaconOnBand(static_cast<int>(t % 180 / 10) + 1, band);
    const bool heard = rng() % 3 != 0;
    const char* call = calls[static_cast<std::size_t>(beacon - 1)].c_str();
    const std::string when = isoUtcText(t);
    if (heard) {
      const int dashes = 1 + static_cast<int>(rng() % 4);
      const double snr = -25.0 + static_cast<double>(rng() % 450) / 10.0;
      std::snprintf(line, sizeof line,
                    "\"%s\",\"%d\",\"%d\",\"%s\",\"1\",\"%d\",\"%.1f\",\"%.1f\",\"%.1f\",\"\",\"%d\",\"%d\",\"%.1f\",\"%d\"\r\n",
                    when.c_str(), bandInfo(band).mhz, beacon, call, dashes, snr, snr - 10, snr - 20,
                    780 + static_cast<int>(rng() % 40), static_cast<int>(rng() % 400) - 200,
                    7.0 + static_cast<double>(rng() % 200) / 10.0, 1 + static_cast<int>(rng() % 9));
    } else {
      std::snprintf(line, sizeof line, "\"%s\",\"%d\",\"%d\",\"%s\",\"0\",\"0\",\"\",\"\",\"\",\"\",\"\",\"\",\"%.1f\",\"0\"\r\n",
                    when.c_str(), bandInfo(band).mhz, beacon, call, static_cast<double>(rng() % 60) / 10.0);
    }
    std::fputs(line, f);
  }
  return std::fclose(f) == 0 ? 0 : 1;
}

// Reads the whole slot log into the grid's history as the propagation window does (on
// the loading threads) and says how long that took.
int readSlot(const char* path) {
  using Clock = std::chrono::steady_clock;
  const auto t0 = Clock::now();
  HistoryLoadTask task(path, ResultLogReader::Format::SlotLog);
  while (!task.finished()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const double total = std::chrono::duration<double>(Clock::now() - t0).count();
  const auto reader = task.takeReader();
  std::printf("%zu records, %zu unreadable lines, %.2f s\n", reader->records(), reader->malformed(), total);
  return 0;
}

}  // namespace
}  // namespace harkola

int main(int argc, char** argv) {
  using namespace harkola;
  if (argc >= 4 && std::strcmp(argv[1], "heard") == 0)
    return writeHeard(std::atol(argv[2]), argv[3], argc > 4 ? argv[4] : "plain");
  if (argc == 4 && std::strcmp(argv[1], "slot") == 0) return writeSlot(std::atol(argv[2]), argv[3]);
  if (argc == 3 && std::strcmp(argv[1], "read-slot") == 0) return readSlot(argv[2]);
  return usage();
}
