// Detection rate, false alarms and measurement accuracy of the sensitive detector over
// many simulated slots (tests/support/BeaconAudio), and its speed.
//
//   sensitive_stats [slots-per-row]      (default 200; the false-alarm rows use 300 each)
//   STATS_CHANNELS=realistic,path,deep,ssb,cw,clipped picks the detection rows' channels.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include "BeaconAudio.h"

using namespace harkola;
using namespace harkola::testaudio;

namespace {

double cpuSeconds = 0.0;
double audioSeconds = 0.0;

std::optional<SlotMeasurement> timed(SensitiveDetector& det, const Scene& s, int beacon) {
  const auto t0 = std::chrono::steady_clock::now();
  auto m = detectSlot(det, s, beacon);
  cpuSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  audioSeconds += 14.0;
  return m;
}

// Realistic: tone 650..950 Hz, clock offset +-0.5 s, mild fading; `path` adds a
// wandering (0.2 Hz rms, 1 s correlation) and drifting (up to 0.1 Hz/s) tone; `deep`
// fades the beacon from its nominal level down by 6..25 dB at 0.05..0.5 Hz, with a
// steady carrier 200 Hz away at the nominal level; `ssb` is realistic through an SSB
// receiver's filter (300..2700 Hz, 100 Hz edges, -6 dB/kHz); `cw` through a 500 Hz CW
// filter set for a 600 Hz pitch (350..850 Hz, 40 Hz edges: the upper one inside the
// band the detector searches, a third of which lies beyond it), tone 600..800 Hz;
// `clipped` with the sound card clipping at a quarter of the beacon's peak (never under
// four times the noise rms).
enum class Kind { Realistic, Path, Deep, Ssb, Cw, Clipped };
const char* kindName(Kind k) {
  static const char* names[] = {"realistic", "path", "deep", "ssb", "cw", "clipped"};
  return names[static_cast<int>(k)];
}

Scene beaconScene(double snr, Kind kind, int beacon, std::uint32_t seed, const std::vector<std::string>& calls) {
  std::mt19937 rng(seed * 7919u + 17u);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  Scene s;
  s.seed = seed;
  s.channel.qsbDepthDb = 6.0;
  s.channel.qsbHz = 0.03 + 0.47 * u(rng);
  if (kind == Kind::Path) {
    s.channel.spreadHz = 0.2;
    s.channel.driftHzPerS = -0.1 + 0.2 * u(rng);
  }
  s.beacon = Beacon{calls[beacon - 1], snr, 650.0 + 300.0 * u(rng), -0.5 + u(rng)};
  if (kind == Kind::Deep) {
    s.channel.qsbBelowNominal = true;
    s.channel.qsbDepthDb = 6.0 + 19.0 * u(rng);
    s.channel.qsbHz = 0.05 + 0.45 * u(rng);
    s.channel.qsbPhase = 2.0 * M_PI * u(rng);
    if (!std::getenv("STATS_NO_CARRIER")) s.carriers.push_back({s.beacon->toneHz + (s.beacon->toneHz < 800.0 ? 200.0 : -200.0), snr});
  }
  Channel& ch = s.channel;
  if (kind == Kind::Ssb) ch.passLowHz = 300.0, ch.passHighHz = 2700.0, ch.passEdgeHz = 100.0, ch.slopeDbPerKHz = -6.0;
  if (kind == Kind::Cw) {
    ch.passLowHz = 350.0, ch.passHighHz = 850.0, ch.passEdgeHz = 40.0;
    s.beacon->toneHz = 600.0 + 200.0 * u(rng);
  }
  if (kind == Kind::Clipped) ch.clipPeak = std::max(4.0 * ch.noiseRms, 0.25 * amplitudeForSnr(snr, ch.noiseRms));
  return s;
}

// Whether the fade takes the whole callsign below -25 dB (a slot no detector need hear).
bool callsignFadedOut(const Scene& s) {
  constexpr double kLead = 2.0;  // detectSlot()'s audio before the boundary
  const std::vector<KeyedSpan> spans = beaconSpans(*s.beacon);
  for (std::size_t i = 0; i + 4 < spans.size(); ++i)
    for (double f : {0.0, 0.5, 1.0}) {
      const double t = kLead + s.beacon->startS + spans[i].start + f * spans[i].length;
      if (s.beacon->snrDb + fadeDb(s.channel, t) >= -25.0) return false;
    }
  return true;
}

// The channels of STATS_CHANNELS (comma-separated names), realistic and path by default;
// STATS_DEEP=1 adds the deep QSB one.
std::vector<Kind> channelsWanted() {
  std::vector<Kind> kinds;
  const char* names = std::getenv("STATS_CHANNELS");
  if (!names) {
    kinds = {Kind::Realistic, Kind::Path};
    if (std::getenv("STATS_DEEP")) kinds.push_back(Kind::Deep);
    return kinds;
  }
  const std::string list = std::string(",") + names + ",";
  for (int k = 0; k <= static_cast<int>(Kind::Clipped); ++k)
    if (list.find(std::string(",") + kindName(static_cast<Kind>(k)) + ",") != std::string::npos)
      kinds.push_back(static_cast<Kind>(k));
  return kinds;
}

void detection(int n, const std::vector<std::string>& calls) {
  std::printf("\nDetection of the scheduled beacon (%d slots per row)\n", n);
  std::printf("%-10s %8s %8s  %s\n", "channel", "SNR dB", "heard %", "misses by reason");
  SensitiveDetector det(calls);
  std::vector<double> snrs = {-26.0, -23.0, -20.0, -18.0, -16.0, -10.0, 0.0, 10.0, 20.0};
  if (const char* only = std::getenv("STATS_SNR")) snrs = {std::atof(only)};
  for (Kind kind : channelsWanted())
    for (double snr : snrs) {
      int heard = 0, excused = 0;
      std::map<std::string, int> why;
      for (int i = 0; i < n; ++i) {
        const int beacon = 1 + i % 18;
        const Scene scene = beaconScene(snr, kind, beacon, 1000 + i, calls);
        auto m = timed(det, scene, beacon);
        // A slot whose whole callsign faded out counts when heard, not when missed.
        if (kind == Kind::Deep && callsignFadedOut(scene) && !(m && m->heard)) ++excused;
        else if (m && m->heard) ++heard;
        else if (m) ++why[rejectionWord(det.lastMatch().rejection)];
        if (m && !m->heard && snr >= -16 && std::getenv("STATS_DEBUG"))
          std::printf("  miss %s seed %d beacon %d: tone %.1f (sent %.1f) offset %.0f (sent %.0f) ms score %.1f\n",
                      rejectionWord(det.lastMatch().rejection), 1000 + i, beacon, m->toneHz, scene.beacon->toneHz,
                      m->offsetMs, scene.beacon->startS * 1000, m->score);
      }
      std::string whyText;
      for (auto& [k, v] : why) whyText += k + "=" + std::to_string(v) + " ";
      if (excused) whyText += "(" + std::to_string(excused) + " misses not counted: the callsign faded below -25 dB)";
      std::printf("%-10s %8.0f %8.1f  %s\n", kindName(kind), snr, 100.0 * heard / std::max(1, n - excused),
                  whyText.c_str());
      std::fflush(stdout);
    }
}

void falseAlarms(int n, const std::vector<std::string>& calls) {
  std::printf("\nFalse alarms in slots without the beacon (%d slots per kind)\n", n);
  std::printf("%-8s %8s  %s\n", "bait", "logged", "max score");
  SensitiveDetector det(calls);
  int total = 0, logged = 0;
  for (int kind = 0; kind < 7; ++kind) {
    int fa = 0;
    double maxScore = -1e9;
    for (int i = 0; i < n; ++i) {
      std::mt19937 rng(50000u + 1000u * kind + i);
      std::uniform_real_distribution<double> u(0.0, 1.0);
      Scene s;
      s.seed = 90000u + 1000u * kind + i;
      if (kind == 1) s.channel.crashesPerSecond = 3.0, s.channel.crashDb = 20.0 + 10.0 * u(rng);
      if (kind == 2) s.carriers.push_back({800.0 - 60.0 + 120.0 * u(rng), 20.0 * u(rng)});
      if (kind == 3) {
        s.chatter.push_back({800.0 - 150.0 + 300.0 * u(rng), 20.0 * u(rng), 18.0 + 10.0 * u(rng), -2.0, 15.0});
      }
      // FSK: RTTY (170 Hz at 45.45 baud) or a slow data mode's few hertz.
      if (kind == 4) {
        const bool rtty = u(rng) < 0.5;
        s.fsk.push_back({650.0 + 150.0 * u(rng), rtty ? 170.0 : 6.25 * (1 + static_cast<int>(2 * u(rng))),
                         20.0 * u(rng), rtty ? 45.45 : 6.25, -2.0, 15.0});
      }
      // Band-limited noise: a CW filter's edges inside the band searched, chatter in it.
      if (kind == 5) {
        s.channel.passLowHz = 350.0, s.channel.passHighHz = 850.0, s.channel.passEdgeHz = 40.0;
        s.chatter.push_back({600.0 + 200.0 * u(rng), 20.0 * u(rng), 18.0 + 10.0 * u(rng), -2.0, 15.0});
      }
      // Noise through an SSB filter whose response tilts by 3..12 dB/kHz: not flat over the band searched.
      if (kind == 6) {
        s.channel.passLowHz = 300.0, s.channel.passHighHz = 2700.0, s.channel.passEdgeHz = 100.0;
        s.channel.slopeDbPerKHz = -3.0 - 9.0 * u(rng);
      }
      const int beacon = 1 + i % 18;
      auto m = timed(det, s, beacon);
      ++total;
      if (m && m->heard) ++fa, ++logged;
      if (m && m->heard && std::getenv("STATS_DEBUG"))
        std::printf("  FA kind %d seed %u beacon %d: tone %.1f offset %.0f score %.1f dashes %d snr0 %.1f"
                    " carrier %.1f Hz %.1f dB chatter %.1f Hz %.1f dB near %.2f keyup %.2f\n", kind, s.seed, beacon, m->toneHz, m->offsetMs, m->score,
                    m->dashes, m->dashSnrDb[0].value_or(-99), s.carriers.empty() ? 0 : s.carriers[0].hz,
                    s.carriers.empty() ? 0 : s.carriers[0].snrDb, s.chatter.empty() ? 0 : s.chatter[0].hz, s.chatter.empty() ? 0 : s.chatter[0].snrDb, det.lastMatch().nearby, det.lastMatch().keyUpShare);
      if (m) maxScore = std::max(maxScore, m->score);
    }
    static const char* names[] = {"noise", "static", "carrier", "chatter", "fsk", "cw filter", "ssb tilt"};
    std::printf("%-8s %8d  %.1f\n", names[kind], fa, maxScore);
    std::fflush(stdout);
  }
  std::printf("total    %8d of %d\n", logged, total);
}

void accuracy(int n, const std::vector<std::string>& calls) {
  std::printf("\nAccuracy on a plain channel (%d slots per row): rms error of the 100 W dash SNR,\n"
              "the start offset and the tone\n", n);
  std::printf("%8s %8s %10s %10s %10s %10s  %s\n", "SNR dB", "heard %", "SNR dB", "SNR bias", "offset ms", "tone Hz",
              "S levels");
  SensitiveDetector det(calls);
  for (double snr = -15.0; snr <= 20.0; snr += 5.0) {
    double e2 = 0.0, o2 = 0.0, t2 = 0.0, e1 = 0.0;
    int k = 0, heard = 0;
    std::map<int, int> sLevels;
    for (int i = 0; i < n; ++i) {
      std::mt19937 rng(7000u + i);
      std::uniform_real_distribution<double> u(0.0, 1.0);
      Scene s;
      s.seed = 3000u + i;
      const int beacon = 1 + i % 18;
      s.beacon = Beacon{calls[beacon - 1], snr, 650.0 + 300.0 * u(rng), -0.5 + u(rng)};
      auto m = timed(det, s, beacon);
      if (!m || !m->heard) continue;
      ++heard;
      ++sLevels[m->sLevel];
      if (!m->dashSnrDb[0]) continue;
      ++k;
      e2 += std::pow(*m->dashSnrDb[0] - snr, 2);
      e1 += *m->dashSnrDb[0] - snr;
      o2 += std::pow(m->offsetMs - s.beacon->startS * 1000.0, 2);
      t2 += std::pow(m->toneHz - s.beacon->toneHz, 2);
    }
    std::string sl;
    for (auto& [lv, c] : sLevels) sl += "S" + std::to_string(lv) + ":" + std::to_string(c) + " ";
    std::printf("%8.0f %8.1f %10.2f %10.2f %10.2f %10.2f  %s\n", snr, 100.0 * heard / n, std::sqrt(e2 / std::max(k, 1)),
                e1 / std::max(k, 1),
                std::sqrt(o2 / std::max(k, 1)), std::sqrt(t2 / std::max(k, 1)), sl.c_str());
    std::fflush(stdout);
  }
}

// The S level from either detector for strong beacons at several receiver levels.
void sLevels(int n, const std::vector<std::string>& calls) {
  std::printf("\nS level, classic vs sensitive (%d slots per row; noise rms 300 and 1000)\n", n);
  std::printf("%8s %8s %10s  %s\n", "noise", "SNR dB", "amplitude", "classic/sensitive pairs");
  SensitiveDetector det(calls);
  int agree = 0, total = 0;
  for (double noise : {300.0, 1000.0})
    for (double snr : {0.0, 5.0, 10.0, 15.0, 20.0, 25.0}) {
      std::string pairs;
      for (int i = 0; i < n; ++i) {
        std::mt19937 rng(4000u + i);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        Scene s;
        s.seed = 6000u + i;
        s.channel.noiseRms = noise;
        s.beacon = Beacon{calls[1], snr, 700.0 + 200.0 * u(rng), -0.3 + 0.6 * u(rng)};
        const int classic = classicSLevel(s);
        auto m = detectSlot(det, s, 2);
        const int mine = m ? m->sLevel : -1;
        pairs += std::to_string(classic) + "/" + std::to_string(mine) + " ";
        if (classic > 0) ++total, agree += std::abs(classic - mine) <= 1;
      }
      std::printf("%8.0f %8.0f %10.0f  %s\n", noise, snr, amplitudeForSnr(snr, noise), pairs.c_str());
      std::fflush(stdout);
    }
  std::printf("within +-1: %d of %d classic-logged slots\n", agree, total);
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 200;
  const std::string only = argc > 2 ? argv[2] : "";
  const std::vector<std::string> calls = shippedCallsigns();
  if (only.empty() || only == "detect") detection(n, calls);
  if (only.empty() || only == "false") falseAlarms(std::max(n, 300), calls);
  if (only.empty() || only == "accuracy") accuracy(n, calls);
  if (only.empty() || only == "slevel") sLevels(std::min(n, 12), calls);
  std::printf("\nRendering and detection: %.2f s for %.0f s of audio (%.0fx real time; the detector alone is"
              " measured by audio_bench)\n",
              cpuSeconds, audioSeconds, audioSeconds / std::max(cpuSeconds, 1e-9));
  return 0;
}
