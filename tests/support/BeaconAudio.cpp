#include "BeaconAudio.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>

#include "audio/BeaconKeying.h"
#include "audio/ReplaySession.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"

namespace harkola::testaudio {

namespace {

// A tone source: frequency wander, drift and fade applied sample by sample.
struct ToneRender {
  double hz;
  double phase = 0.0;
  double wander = 0.0;  // Hz, Ornstein-Uhlenbeck
};

double edge(double t, double start, double length) {
  constexpr double kRise = 0.005;
  if (t < start || t >= start + length) return 0.0;
  const double a = t - start, b = start + length - t;
  const double m = std::min(a, b);
  return m >= kRise ? 1.0 : 0.5 - 0.5 * std::cos(M_PI * m / kRise);
}

double fadeAt(const Channel& ch, double phase, double t) {
  const double swing = std::sin(2.0 * M_PI * ch.qsbHz * t + phase);
  return ch.qsbBelowNominal ? -ch.qsbDepthDb / 2.0 * (1.0 + swing) : ch.qsbDepthDb / 2.0 * swing;
}

// Keyed tone over spans (seconds on the buffer's own time axis), with the channel's
// wander, drift and fade, added into `out`.
void addKeyed(std::vector<double>& out, const std::vector<KeyedSpan>& spans, double hz, const Channel& ch,
              bool pathEffects, std::mt19937& rng) {
  if (spans.empty()) return;
  std::normal_distribution<double> gauss(0.0, 1.0);
  std::uniform_real_distribution<double> uni(0.0, 1.0);
  double phase = 2.0 * M_PI * uni(rng);
  const double drawn = 2.0 * M_PI * uni(rng);  // drawn either way: the same noise follows
  const double qsbPhase = ch.qsbPhase >= 0.0 ? ch.qsbPhase : drawn;
  double wander = pathEffects ? ch.spreadHz * gauss(rng) : 0.0;
  const double dt = 1.0 / kRate;
  const double tau = 1.0;  // correlation time of the wander, s
  const double kick = ch.spreadHz * std::sqrt(2.0 * dt / tau);
  std::size_t next = 0;
  const double t0 = spans.front().start;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = i * dt;
    double f = hz;
    if (pathEffects) {
      wander += -wander * dt / tau + kick * gauss(rng);
      f += wander + ch.driftHzPerS * (t - t0);
    }
    phase += 2.0 * M_PI * f * dt;
    if (phase > 2.0 * M_PI) phase -= 2.0 * M_PI;
    while (next < spans.size() && spans[next].start + spans[next].length + 0.01 < t) ++next;
    if (next >= spans.size()) continue;
    double env = 0.0;
    for (std::size_t k = next; k < spans.size() && spans[k].start <= t; ++k)
      env = std::max(env, edge(t, spans[k].start, spans[k].length) * spans[k].amplitude);
    if (env == 0.0) continue;
    double fade = 1.0;
    if (pathEffects && ch.qsbDepthDb > 0) fade = std::pow(10.0, fadeAt(ch, qsbPhase, t) / 20.0);
    out[i] += env * fade * std::sin(phase);
  }
}

void addBeacon(std::vector<double>& out, const Beacon& b, const Channel& ch, double amplitude, double leadS,
               std::mt19937& rng) {
  std::vector<KeyedSpan> spans = beaconSpans(b);
  for (KeyedSpan& k : spans) k.start += leadS + b.startS, k.amplitude *= amplitude;
  addKeyed(out, spans, b.toneHz, ch, true, rng);
}

// `x` through the channel's receiver filter (one transform over the whole buffer).
void filterThroughReceiver(std::vector<double>& x, const Channel& ch) {
  const int n = static_cast<int>(x.size());
  if (ch.passHighHz <= 0.0 || n < 2) return;
  std::vector<double> in(x);
  std::vector<std::complex<double>> spectrum(n / 2 + 1);
  auto* bins = reinterpret_cast<fftw_complex*>(spectrum.data());
  fftw_plan fwd = fftw_plan_dft_r2c_1d(n, in.data(), bins, FFTW_ESTIMATE);
  fftw_execute(fwd);
  fftw_destroy_plan(fwd);
  for (int k = 0; k <= n / 2; ++k) spectrum[k] *= passbandGain(ch, static_cast<double>(k) * kRate / n) / n;
  fftw_plan inv = fftw_plan_dft_c2r_1d(n, bins, x.data(), FFTW_ESTIMATE);
  fftw_execute(inv);
  fftw_destroy_plan(inv);
}

void addFsk(std::vector<double>& out, const Fsk& f, double amplitude, double leadS, std::mt19937& rng) {
  std::uniform_real_distribution<double> uni(0.0, 1.0);
  const double dt = 1.0 / kRate;
  double phase = 2.0 * M_PI * uni(rng);
  bool mark = uni(rng) < 0.5;
  double nextBit = leadS + f.startS;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = i * dt;
    if (t < leadS + f.startS || t >= leadS + f.startS + f.lengthS) continue;
    if (t >= nextBit) mark = uni(rng) < 0.5, nextBit += 1.0 / f.baud;
    phase += 2.0 * M_PI * (f.hz + (mark ? f.shiftHz : 0.0)) * dt;
    if (phase > 2.0 * M_PI) phase -= 2.0 * M_PI;
    out[i] += amplitude * edge(t, leadS + f.startS, f.lengthS) * std::sin(phase);
  }
}

}  // namespace

double fadeDb(const Channel& ch, double t) { return ch.qsbDepthDb > 0 ? fadeAt(ch, ch.qsbPhase, t) : 0.0; }

double passbandGain(const Channel& ch, double hz) {
  if (ch.passHighHz <= 0.0) return 1.0;
  constexpr double kStopband = 1e-3;  // 60 dB down
  const double g = std::pow(10.0, ch.slopeDbPerKHz * (hz - ch.passLowHz) / 1000.0 / 20.0);
  auto edgeGain = [&](double into) {  // `into` Hz inside the band from an edge's outer end
    if (into <= 0.0) return kStopband;
    if (into >= ch.passEdgeHz) return 1.0;
    return std::max(kStopband, 0.5 - 0.5 * std::cos(M_PI * into / ch.passEdgeHz));
  };
  return g * std::min(edgeGain(hz - (ch.passLowHz - ch.passEdgeHz)), edgeGain(ch.passHighHz + ch.passEdgeHz - hz));
}

std::vector<KeyedSpan> beaconSpans(const Beacon& b) {
  const double e = b.elementS;
  std::vector<KeyedSpan> spans;
  double t = 0.0;
  auto key = [&](double length, double amplitude, double spaceAfter) {
    spans.push_back({t, length + b.keyDownExtraS, amplitude});
    t += length + spaceAfter;
  };
  bool first = true;
  for (char c : b.callsign) {
    const std::string code = morseOf(c);
    if (code.empty()) continue;
    if (!first) t += 2 * e;  // a letter space is 3: 1 already follows the last element
    first = false;
    for (char el : code) key((el == '-' ? 3 : 1) * e, 1.0, e);
  }
  if (!first) t += 6 * e;  // word space 7
  for (int dash = 0; dash < 4; ++dash) key(1.0, std::pow(10.0, -dash / 2.0), 3 * e);
  return spans;
}

std::vector<double> beaconSignal(const Scene& scene, double amplitude, double leadS, double lengthS) {
  std::vector<double> x(static_cast<std::size_t>(std::lround(lengthS * kRate)), 0.0);
  std::mt19937 rng(scene.seed);
  if (scene.beacon) addBeacon(x, *scene.beacon, scene.channel, amplitude, leadS, rng);
  return x;
}

double amplitudeForSnr(double snrDb, double noiseRms) {
  const double noiseIn2500 = noiseRms * noiseRms * 2500.0 / (kRate / 2.0);
  return std::sqrt(2.0 * std::pow(10.0, snrDb / 10.0) * noiseIn2500);
}

std::vector<KeyedSpan> randomMorse(double wpm, double startS, double lengthS, std::uint32_t seed) {
  std::mt19937 rng(seed);
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uniform_int_distribution<int> pick(0, static_cast<int>(alphabet.size()) - 1);
  std::uniform_int_distribution<int> wordLen(2, 6);
  const double dit = 1.2 / wpm;
  std::vector<KeyedSpan> spans;
  double t = startS;
  while (t < startS + lengthS) {
    const int n = wordLen(rng);
    for (int c = 0; c < n && t < startS + lengthS; ++c) {
      for (char e : morseOf(alphabet[pick(rng)])) {
        const double len = (e == '-' ? 3 : 1) * dit;
        spans.push_back({t, len, 1.0});
        t += len + dit;
      }
      t += 2 * dit;
    }
    t += 4 * dit;
  }
  return spans;
}

std::vector<std::int16_t> render(const Scene& scene, double leadS, double lengthS) {
  const std::size_t n = static_cast<std::size_t>(std::lround(lengthS * kRate));
  std::vector<double> x(n, 0.0);
  std::mt19937 rng(scene.seed);
  const Channel& ch = scene.channel;
  std::normal_distribution<double> gauss(0.0, 1.0);
  std::uniform_real_distribution<double> uni(0.0, 1.0);
  for (double& v : x) v = ch.noiseRms * gauss(rng);

  // Static crashes: a burst of noise with a fast rise and a 2..20 ms decay.
  if (ch.crashesPerSecond > 0) {
    std::exponential_distribution<double> gap(ch.crashesPerSecond);
    for (double t = gap(rng); t < lengthS; t += gap(rng)) {
      const double peak = ch.noiseRms * std::pow(10.0, (ch.crashDb - 10.0 * uni(rng)) / 20.0);
      const double decay = 0.002 + 0.018 * uni(rng);
      const std::size_t first = static_cast<std::size_t>(t * kRate);
      for (std::size_t i = first; i < n && i < first + static_cast<std::size_t>(6 * decay * kRate); ++i)
        x[i] += peak * std::exp(-static_cast<double>(i - first) / kRate / decay) * gauss(rng);
    }
  }
  // The noise and static through the receiver's filter; each tone at its gain there.
  filterThroughReceiver(x, ch);
  auto at = [&](double snrDb, double hz) { return amplitudeForSnr(snrDb, ch.noiseRms) * passbandGain(ch, hz); };
  if (scene.beacon) addBeacon(x, *scene.beacon, ch, at(scene.beacon->snrDb, scene.beacon->toneHz), leadS, rng);
  for (const Carrier& c : scene.carriers) addKeyed(x, {{0.0, lengthS + 1.0, at(c.snrDb, c.hz)}}, c.hz, ch, false, rng);
  for (const Chatter& c : scene.chatter) {
    std::vector<KeyedSpan> spans = randomMorse(c.wpm, leadS + c.startS, c.lengthS, rng());
    for (KeyedSpan& s : spans) s.amplitude = at(c.snrDb, c.hz);
    addKeyed(x, spans, c.hz, ch, false, rng);
  }
  for (const Fsk& f : scene.fsk) addFsk(x, f, at(f.snrDb, f.hz), leadS, rng);
  const double hi = ch.clipPeak > 0.0 ? std::min(ch.clipPeak, 32767.0) : 32767.0;
  const double lo = ch.clipPeak > 0.0 ? -hi : -32768.0;
  std::vector<std::int16_t> out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::int16_t>(std::lround(std::clamp(x[i], lo, hi)));
  return out;
}

}  // namespace harkola::testaudio

namespace harkola::testaudio {

std::vector<std::string> shippedCallsigns() {
  const auto grid = parseBeacons(defaultBeaconData());
  std::vector<std::string> out;
  for (int b = 1; b <= kBeaconCount; ++b) out.push_back((*grid)[b][3]);
  return out;
}

SysTime sceneSlotStart() {
  using namespace std::chrono;
  return sys_days{year{2026} / December / 7} + hours{8} + seconds{10};
}

std::optional<SlotMeasurement> detectSlot(SensitiveDetector& detector, const Scene& scene, int beacon,
                                          int band) {
  constexpr double kLead = 2.0, kLength = 14.0;
  const std::vector<std::int16_t> audio = render(scene, kLead, kLength);
  const SysTime slot = sceneSlotStart();
  const SysTime first = slot - std::chrono::milliseconds(2000);
  auto at = [&](std::size_t samples) {
    return first + std::chrono::duration_cast<SysTime::duration>(
                       std::chrono::duration<double>(static_cast<double>(samples) / kRate));
  };
  detector.takeMeasurements();
  bool begun = false;
  constexpr std::size_t kBlock = 512;
  for (std::size_t i = 0; i + kBlock <= audio.size(); i += kBlock) {
    if (!begun && at(i) >= slot) {
      SlotRef ref;
      ref.start = slot;
      ref.band = band;
      ref.beacon = beacon;
      detector.beginSlot(ref);
      begun = true;
    }
    detector.addBlock(audio.data() + i, kBlock, at(i + kBlock));
    detector.decide(at(i + kBlock));
    std::vector<SlotMeasurement> m = detector.takeMeasurements();
    if (!m.empty()) return m.back();
  }
  return std::nullopt;
}

int classicSLevel(const Scene& scene) {
  PublicDecs d;
  d.BeaconTable = *parseBeacons(defaultBeaconData());
  VectorSampleSource source(render(scene, 2.0, 12.0));
  ReplaySettings settings;
  settings.start = localTimeAt(sceneSlotStart() - std::chrono::seconds(2));
  settings.band = 0;
  int level = 0;
  const LocalTime slot = localTimeAt(sceneSlotStart());
  ReplaySession session(d, settings, source, nullptr, [&](const SlotTrace& t) {
    if (t.slotStart.second == slot.second && t.slotStart.minute == slot.minute) level = t.sLevel;
  });
  session.run();
  return level;
}

}  // namespace harkola::testaudio
