// The detectors on real receiver audio: how many slots of each recording they call
// heard (every one a false alarm when the recordings hold no beacon) at several
// alignments of the slot grid, and how many simulated beacons mixed into the same
// recordings they hear.
//
//   real_audio_stats [--alignments N] [--step SECONDS] [--snr 0,-8,-16] [--no-mix] [--no-real]
//                    [--quiet] FOLDER|FILE...
//
// Recordings: WAV (16-bit PCM, any rate and channel count) and FLAC (converted by
// `sox IN -t wav -r 11025 -c 1 -b 16 OUT` into a temporary file; sox must be on PATH).
// Other files in a folder are left out.
//
// Real audio: the recording's first sample is put `alignment` seconds after a slot
// boundary of the 14 MHz schedule (2026-12-07 08:00:00 UTC + alignment), alignments
// 0, step, 2*step ...; both detectors replay it through the live pipeline.
//
// Mixed: the first slot boundary lies 1.5 s into the recording; every other slot whose
// analysis window (1.5 s before the boundary to 11.5 s after it) lies inside the
// recording gets the scheduled beacon, the others stay as recorded (empty). The SNR of
// a mixed beacon is its 100 W dash against the recording's own noise floor near the
// tone: the median power of 1024-point Hann cells over 650-950 Hz in the slot's first
// ten seconds, taken as white noise of that density and expressed in 2.5 kHz (a CW
// signal or an FSK tone in that band raises a mean, hardly a median). The beacon: tone
// 800 +- 150 Hz, clock 0.35 s early or late +- 30 ms, fading 0..6 dB below the nominal
// level at 0.03..0.2 Hz. The SNR steps alternate which slots carry beacons, so every
// slot is an empty one in some step.
#include <fftw3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "BeaconAudio.h"
#include "audio/ReplaySession.h"
#include "audio/SensitiveDetector.h"
#include "audio/WavFile.h"
#include "cli/AnalyseOutput.h"
#include "clock/BeaconSchedule.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"

using namespace harkola;
namespace fs = std::filesystem;

namespace {

constexpr int kRate = 11025;
constexpr int kBand = 0;  // 14 MHz

struct Recording {
  std::string name;
  std::vector<std::int16_t> samples;  // mono, 11025 Hz
};

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool runSox(const fs::path& in, const fs::path& out) {
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    execlp("sox", "sox", "-V1", in.c_str(), "-t", "wav", "-r", "11025", "-c", "1", "-b", "16", out.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::optional<Recording> load(const fs::path& path, const fs::path& temp) {
  fs::path wav = path;
  const std::string ext = lower(path.extension().string());
  if (ext == ".flac") {
    wav = temp / (path.stem().string() + ".wav");
    if (!runSox(path, wav)) {
      std::fprintf(stderr, "%s: sox could not convert it\n", path.c_str());
      return std::nullopt;
    }
  }
  WavAudio audio;
  std::string error;
  const bool ok = readWav(wav, audio, error);
  if (wav != path) fs::remove(wav);
  if (!ok) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return std::nullopt;
  }
  return Recording{path.filename().string(), toAnalyserFormat(audio)};
}

std::vector<fs::path> recordingsIn(const std::vector<std::string>& args) {
  std::vector<fs::path> out;
  auto wanted = [](const fs::path& p) {
    const std::string e = lower(p.extension().string());
    return e == ".wav" || e == ".flac";
  };
  for (const std::string& a : args) {
    if (fs::is_directory(a)) {
      std::vector<fs::path> here;
      for (const auto& e : fs::directory_iterator(a))
        if (e.is_regular_file() && wanted(e.path())) here.push_back(e.path());
      std::sort(here.begin(), here.end());
      out.insert(out.end(), here.begin(), here.end());
    } else {
      out.emplace_back(a);
    }
  }
  return out;
}

class CountingSink : public HeardLogSink {
 public:
  bool write(const std::string&) override { return true; }
};

SysTime baseTime() {
  using namespace std::chrono;
  return sys_days{year{2026} / December / 7} + hours{8};
}

ReplaySettings settingsAt(SysTime first) {
  ReplaySettings s;
  s.start = localTimeAt(first);  // TZ is UTC
  s.band = kBand;
  return s;
}

double cpuSeconds = 0.0, audioSeconds = 0.0;

struct Timer {
  std::chrono::steady_clock::time_point t0 = std::chrono::steady_clock::now();
  ~Timer() { cpuSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(); }
};

// Every slot the sensitive detector measured, with the matcher's findings where known.
std::vector<std::pair<SlotMeasurement, std::optional<MatchResult>>> replaySensitive(
    const std::vector<std::int16_t>& samples, SysTime first, const std::vector<std::string>& calls,
    PublicDecs& d) {
  Timer timer;
  audioSeconds += static_cast<double>(samples.size()) / kRate;
  SensitiveDetector det(calls);
  cli::ExplainedDetector explained(det);
  VectorSampleSource source(samples);
  CountingSink sink;
  ReplaySession session(d, settingsAt(first), source, &sink, {}, &explained);
  session.run();
  return explained.take();
}

struct ClassicSlot {
  SysTime start;
  int beacon = 0;
  int sLevel = 0;
  bool logged = false;
};

std::vector<ClassicSlot> replayClassic(const std::vector<std::int16_t>& samples, SysTime first, PublicDecs& d) {
  Timer timer;
  audioSeconds += static_cast<double>(samples.size()) / kRate;
  VectorSampleSource source(samples);
  CountingSink sink;
  std::vector<ClassicSlot> out;
  ReplaySession session(d, settingsAt(first), source, &sink, [&](const SlotTrace& t) {
    out.push_back({timePointOf(t.slotStart), t.beacon, t.sLevel, t.logged});
  });
  session.run();
  return out;
}

std::string clockOf(SysTime t) {
  const LocalTime l = localTimeAt(t);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", l.hour, l.minute, l.second);
  return buf;
}

std::string snrText(const std::optional<double>& v) {
  if (!v) return "-";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%+.1f", *v);
  return buf;
}

struct Options {
  int alignments = 10;
  double step = 1.0;
  std::vector<double> snrs = {0.0, -8.0, -16.0};
  bool mix = true, real = true, quiet = false;
  std::vector<std::string> inputs;
};

void realAudio(const std::vector<Recording>& recs, const Options& o, const std::vector<std::string>& calls,
               PublicDecs& d) {
  std::printf("\n## Slots called heard in the recordings (sensitive/classic), by alignment\n\n");
  std::printf("Alignment: seconds from a slot boundary to the recording's first sample; slots: those the sensitive\n"
              "detector measured, all alignments together.\n\n| file | slots |");
  for (int a = 0; a < o.alignments; ++a) std::printf(" +%g s |", a * o.step);
  std::printf(" total |\n|---|---|");
  for (int a = 0; a <= o.alignments; ++a) std::printf("---|");
  std::printf("\n");
  long allSlots = 0, allSens = 0, allClassic = 0;
  std::vector<std::string> details;
  for (const Recording& r : recs) {
    std::string row;
    long slots = 0, sens = 0, classic = 0;
    std::vector<long> perAlignment;
    for (int a = 0; a < o.alignments; ++a) {
      const SysTime first = baseTime() + std::chrono::milliseconds(std::lround(a * o.step * 1000.0));
      const auto ms = replaySensitive(r.samples, first, calls, d);
      const auto cs = replayClassic(r.samples, first, d);
      long s = 0, c = 0;
      for (const auto& [m, why] : ms)
        if (m.heard) {
          ++s;
          char buf[256];
          std::snprintf(buf, sizeof buf,
                        "| %s | +%g s | sensitive | %s | %s | %s dB | %d | %.1f | %.1f Hz | %.0f ms |", r.name.c_str(),
                        a * o.step, clockOf(m.slot.start).c_str(), m.callsign.c_str(),
                        snrText(m.dashSnrDb[0]).c_str(),
                        m.dashes, m.score, m.toneHz, m.offsetMs);
          details.push_back(buf);
        }
      for (const ClassicSlot& t : cs)
        if (t.logged) {
          ++c;
          char buf[256];
          std::snprintf(buf, sizeof buf, "| %s | +%g s | classic | %s | %s | S%d | | | | |", r.name.c_str(),
                        a * o.step, clockOf(t.start).c_str(), calls[t.beacon - 1].c_str(), t.sLevel);
          details.push_back(buf);
        }
      row += " " + std::to_string(s) + "/" + std::to_string(c) + " |";
      slots += static_cast<long>(ms.size());
      sens += s;
      classic += c;
    }
    std::printf("| %s | %ld |%s %ld/%ld |\n", r.name.c_str(), slots, row.c_str(),
                sens, classic);
    std::fflush(stdout);
    allSlots += slots, allSens += sens, allClassic += classic;
  }
  std::printf("\nAll: %ld slots measured over %d alignments; sensitive heard %ld, classic logged %ld.\n", allSlots,
              o.alignments, allSens, allClassic);
  if (!details.empty() && !o.quiet) {
    std::printf("\n| file | alignment | detector | slot | beacon | SNR / S | dashes | score | tone | offset |\n"
                "|---|---|---|---|---|---|---|---|---|---|\n");
    for (const std::string& l : details) std::printf("%s\n", l.c_str());
  }
}

// White-noise rms equivalent to the median power density over 650..950 Hz.
double noiseFloorRms(const std::vector<std::int16_t>& x, std::size_t from, std::size_t to) {
  constexpr int kN = 1024;
  static std::vector<float> window = [] {
    std::vector<float> w(kN);
    for (int i = 0; i < kN; ++i) w[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * M_PI * i / kN));
    return w;
  }();
  static float* in = fftwf_alloc_real(kN);
  static fftwf_complex* out = fftwf_alloc_complex(kN / 2 + 1);
  static fftwf_plan plan = fftwf_plan_dft_r2c_1d(kN, in, out, FFTW_ESTIMATE);
  double w2 = 0.0;
  for (float w : window) w2 += static_cast<double>(w) * w;
  const int lo = static_cast<int>(std::ceil(650.0 * kN / kRate)), hi = static_cast<int>(950.0 * kN / kRate);
  std::vector<double> cells;
  for (std::size_t s = from; s + kN <= to && s + kN <= x.size(); s += kN / 2) {
    for (int i = 0; i < kN; ++i) in[i] = window[i] * x[s + i];
    fftwf_execute(plan);
    for (int k = lo; k <= hi; ++k) cells.push_back(double(out[k][0]) * out[k][0] + double(out[k][1]) * out[k][1]);
  }
  if (cells.empty()) return 0.0;
  std::nth_element(cells.begin(), cells.begin() + cells.size() / 2, cells.end());
  // A noise cell's power is exponential: its median is ln 2 of its mean.
  const double mean = cells[cells.size() / 2] / std::log(2.0);
  return std::sqrt(mean / w2);
}

void mixed(const std::vector<Recording>& recs, const Options& o, const std::vector<std::string>& calls,
           PublicDecs& d) {
  std::printf("\n## Simulated beacons mixed into the recordings\n\n");
  const SysTime first = baseTime() - std::chrono::milliseconds(1500);  // boundaries 1.5 s into the audio
  const std::size_t lead = static_cast<std::size_t>(1.5 * kRate);
  struct Row {
    long beacons = 0, sensHeard = 0, classicHeard = 0, empty = 0, sensFa = 0, classicFa = 0;
    std::map<std::string, long> missedBecause;  // the matcher's rejection of beacons not heard
  };
  std::map<std::string, std::vector<Row>> perFile;
  std::vector<Row> rows(o.snrs.size());
  std::vector<std::string> alarms;
  for (std::size_t fi = 0; fi < recs.size(); ++fi) {
    const Recording& r = recs[fi];
    std::vector<std::size_t> boundaries;
    for (std::size_t b = lead; b + static_cast<std::size_t>(11.5 * kRate) <= r.samples.size(); b += 10 * kRate)
      boundaries.push_back(b);
    std::vector<double> floors;
    for (std::size_t b : boundaries) floors.push_back(noiseFloorRms(r.samples, b, b + 10 * kRate));
    perFile[r.name].resize(o.snrs.size());
    for (std::size_t si = 0; si < o.snrs.size(); ++si) {
      std::vector<double> x(r.samples.begin(), r.samples.end());
      std::map<long long, bool> carries;  // slot start (s since epoch) -> beacon mixed in
      for (std::size_t k = 0; k < boundaries.size(); ++k) {
        const SysTime slot = first + std::chrono::milliseconds(1500 + 10000 * static_cast<long long>(k));
        const long long key = std::chrono::duration_cast<std::chrono::seconds>(slot.time_since_epoch()).count();
        const bool beacon = (k + si) % 2 == 0;
        carries[key] = beacon;
        if (!beacon) continue;
        std::mt19937 rng(static_cast<std::uint32_t>(1000003u * fi + 1009u * k + 17u * si + 5u));
        std::uniform_real_distribution<double> u(0.0, 1.0);
        testaudio::Scene s;
        s.seed = rng();
        s.channel.qsbBelowNominal = true;
        s.channel.qsbDepthDb = 6.0 * u(rng);
        s.channel.qsbHz = 0.03 + 0.17 * u(rng);
        const int number = beaconOnBand(slotNumberAtUtc(key), kBand);
        const double offset = (u(rng) < 0.5 ? -0.35 : 0.35) + 0.06 * (u(rng) - 0.5);
        s.beacon = testaudio::Beacon{calls[number - 1], o.snrs[si], 650.0 + 300.0 * u(rng), offset};
        const double amplitude = testaudio::amplitudeForSnr(o.snrs[si], floors[k]);
        const std::vector<double> tone = testaudio::beaconSignal(s, amplitude, 1.5, 13.0);
        for (std::size_t i = 0; i < tone.size() && boundaries[k] - lead + i < x.size(); ++i)
          x[boundaries[k] - lead + i] += tone[i];
      }
      std::vector<std::int16_t> mix(x.size());
      for (std::size_t i = 0; i < x.size(); ++i)
        mix[i] = static_cast<std::int16_t>(std::clamp(std::lround(x[i]), -32768L, 32767L));
      Row& row = rows[si];
      Row& fileRow = perFile[r.name][si];
      auto keyOf = [](SysTime t) {
        return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
      };
      for (const auto& [m, why] : replaySensitive(mix, first, calls, d)) {
        const auto it = carries.find(keyOf(m.slot.start));
        if (it == carries.end()) continue;
        if (it->second) {
          ++row.beacons, ++fileRow.beacons;
          if (m.heard) ++row.sensHeard, ++fileRow.sensHeard;
          else ++row.missedBecause[why ? rejectionWord(why->rejection) : "unknown"];
        } else {
          ++row.empty, ++fileRow.empty;
          if (m.heard) {
            ++row.sensFa, ++fileRow.sensFa;
            char buf[200];
            std::snprintf(buf, sizeof buf, "  false alarm (sensitive) at %g dB: %s %s %s, %d dashes, score %.1f",
                          o.snrs[si], r.name.c_str(), clockOf(m.slot.start).c_str(), m.callsign.c_str(), m.dashes,
                          m.score);
            alarms.push_back(buf);
          }
        }
      }
      for (const ClassicSlot& t : replayClassic(mix, first, d)) {
        const auto it = carries.find(keyOf(t.start));
        if (it == carries.end()) continue;
        if (it->second) row.classicHeard += t.logged, fileRow.classicHeard += t.logged;
        else row.classicFa += t.logged, fileRow.classicFa += t.logged;
      }
    }
  }
  std::printf("| SNR dB | beacon slots | sensitive heard | classic heard | empty slots | sensitive false alarms |"
              " classic false alarms |\n|---|---|---|---|---|---|---|\n");
  auto pct = [](long a, long b) { return b ? 100.0 * a / b : 0.0; };
  for (std::size_t si = 0; si < o.snrs.size(); ++si) {
    const Row& r = rows[si];
    std::printf("| %g | %ld | %.0f %% | %.0f %% | %ld | %ld | %ld |\n", o.snrs[si], r.beacons,
                pct(r.sensHeard, r.beacons), pct(r.classicHeard, r.beacons), r.empty, r.sensFa, r.classicFa);
  }
  std::printf("\nBeacons the sensitive detector did not hear, by the matcher's reason:\n\n");
  for (std::size_t si = 0; si < o.snrs.size(); ++si) {
    std::printf("- %g dB:", o.snrs[si]);
    for (const auto& [why, n] : rows[si].missedBecause) std::printf(" %s %ld", why.c_str(), n);
    std::printf("\n");
  }
  if (!o.quiet) {
    std::printf("\nPer file, sensitive heard / beacon slots (false alarms / empty slots):\n\n| file |");
    for (double snr : o.snrs) std::printf(" %g dB |", snr);
    std::printf("\n|---|");
    for (std::size_t i = 0; i < o.snrs.size(); ++i) std::printf("---|");
    std::printf("\n");
    for (const auto& [name, fileRows] : perFile) {
      std::printf("| %s |", name.c_str());
      for (const Row& r : fileRows) std::printf(" %ld/%ld (%ld/%ld) |", r.sensHeard, r.beacons, r.sensFa, r.empty);
      std::printf("\n");
    }
    for (const std::string& a : alarms) std::printf("%s\n", a.c_str());
  }
}

bool parseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--alignments" && more) o.alignments = std::max(1, std::atoi(argv[++i]));
    else if (a == "--step" && more) o.step = std::atof(argv[++i]);
    else if (a == "--snr" && more) {
      o.snrs.clear();
      std::string list = argv[++i];
      for (std::size_t p = 0; p <= list.size();) {
        const std::size_t q = std::min(list.find(',', p), list.size());
        if (q > p) o.snrs.push_back(std::atof(list.substr(p, q - p).c_str()));
        p = q + 1;
      }
    } else if (a == "--no-mix") o.mix = false;
    else if (a == "--no-real") o.real = false;
    else if (a == "--quiet") o.quiet = true;
    else if (!a.empty() && a[0] == '-') return false;
    else o.inputs.push_back(a);
  }
  return !o.inputs.empty();
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parseOptions(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: real_audio_stats [--alignments N] [--step SECONDS] [--snr 0,-8,-16] [--no-mix] [--no-real]"
                 " [--quiet] FOLDER|FILE...\n");
    return 2;
  }
  setenv("TZ", "UTC", 1);
  tzset();
  char tmpl[] = "/tmp/harkola-real-audio-XXXXXX";
  if (!mkdtemp(tmpl)) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path temp = tmpl;
  std::vector<Recording> recs;
  for (const fs::path& p : recordingsIn(o.inputs))
    if (auto r = load(p, temp)) recs.push_back(std::move(*r));
  fs::remove_all(temp);
  if (recs.empty()) {
    std::fprintf(stderr, "no recording could be read\n");
    return 1;
  }
  double total = 0.0;
  for (const Recording& r : recs) total += static_cast<double>(r.samples.size()) / kRate;
  std::printf("%zu recordings, %.1f min in all\n", recs.size(), total / 60.0);

  PublicDecs d;
  d.BeaconTable = *parseBeacons(defaultBeaconData());
  const std::vector<std::string> calls = testaudio::shippedCallsigns();
  if (o.real) realAudio(recs, o, calls, d);
  if (o.mix) mixed(recs, o, calls, d);
  std::printf("\nReplay: %.0f s of audio in %.1f s (%.0fx real time, both detectors)\n", audioSeconds, cpuSeconds,
              audioSeconds / std::max(cpuSeconds, 1e-9));
  return 0;
}
