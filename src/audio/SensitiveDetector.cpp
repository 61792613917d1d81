#include "audio/SensitiveDetector.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "audio/AudioFFT.h"
#include "audio/FrameAnalysis.h"

namespace harkola {

namespace {

// Audio older than this is dropped from the baseband buffer.
constexpr double kKeepSeconds = 30.0;
// A block whose end time is this far from where the stream says it should be starts a
// new stream (capture restarted, clock stepped).
constexpr double kResyncSeconds = 0.25;
// A pending slot whose audio has not arrived this long after its window ended is given up.
constexpr double kGiveUpSeconds = 10.0;
// A slot is analysed when its audio begins no later than this after the boundary (the
// baseband filter's delay); audio that begins later has lost part of the callsign.
constexpr double kLatestStartSeconds = 0.05;

// The classic test's sound differs from one call to the next only in its two levels: the
// unit tone and the unit noise (the same seed every time) are made once, not per slot.
struct ClassicSound {
  std::vector<double> tone, noise;
};

constexpr int kClassicBlocks = 8 * kInputRate / kBlockSamples;  // the default listening window, 8 s

const ClassicSound& classicSound() {
  static const ClassicSound sound = [] {
    ClassicSound s;
    const std::size_t count = static_cast<std::size_t>(kClassicBlocks) * kBlockSamples;
    s.tone.resize(count);
    s.noise.resize(count);
    std::mt19937 rng(12345u);
    std::normal_distribution<double> gauss(0.0, 1.0);
    for (std::size_t n = 0; n < count; ++n) {
      s.tone[n] = std::sin(2.0 * M_PI * kMixHz * (static_cast<double>(n) / kInputRate));
      s.noise[n] = gauss(rng);
    }
    return s;
  }();
  return sound;
}

}  // namespace

int classicSLevel(double amplitude, double noiseRms, const std::string& callsign,
                  int SMeterOffset) {
  const BeaconKeying keying = beaconKeying(callsign);
  const ClassicSound& sound = classicSound();
  AudioFFT fft;
  MorseCount d;
  SampleBlock block{};
  SpectrumFrame spectrum{};
  constexpr int kCaution = 55;  // the caution level's default
  std::size_t n = 0, element = 0;
  // Over the default listening window at most, as the classic heard test listens.
  for (int b = 0; b < kClassicBlocks && d.MorseHits <= kCaution; ++b) {
    for (int i = 0; i < kBlockSamples; ++i, ++n) {
      const double t = static_cast<double>(n) / kInputRate;
      while (element < keying.on.size() && t >= keying.on[element].start + keying.on[element].length) ++element;
      const bool on = element < keying.on.size() && t >= keying.on[element].start;
      const double v = (on ? amplitude * sound.tone[n] : 0.0) + noiseRms * sound.noise[n];
      block[i] = static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
    }
    fft.Transform(block, spectrum);
    analyseFrame(spectrum, kNoiseFilterDefault, &d);
  }
  // Too weak for the classic detector to hear at all: the lowest level.
  if (d.MorseHits <= kCaution) return std::clamp(SMeterOffset, 1, 9);
  const int s = static_cast<int>(std::floor(std::sqrt(std::abs(d.MorsePeakSum / d.MorseHits)) / 100.0)) + SMeterOffset;
  return std::clamp(s, 1, 9);
}

SensitiveDetector::SensitiveDetector(const std::vector<std::string>& callsigns)
    : m_callsigns(callsigns), m_matcherPtr(std::make_unique<KeyingMatcher>(callsigns)) {}

void SensitiveDetector::setCallsigns(const std::vector<std::string>& callsigns) {
  if (callsigns == m_callsigns) return;
  m_callsigns = callsigns;
  m_matcherPtr = std::make_unique<KeyingMatcher>(callsigns);
}

void SensitiveDetector::beginSlot(const SlotRef& slot) {
  m_current = slot;
  // A band change inside a slot replaces that slot's pending analysis.
  std::erase_if(m_pending, [&](const SlotRef& p) { return p.start == slot.start; });
  m_pending.push_back(slot);
}

double SensitiveDetector::secondsOf(SysTime t) const {
  return std::chrono::duration<double>(t - m_streamStart).count();
}

void SensitiveDetector::addBlock(const std::int16_t* samples, std::size_t count, SysTime end) {
  if (count == 0) return;
  const double expectedEnd = static_cast<double>(m_baseband.inputCount() + static_cast<long long>(count)) / kInputRate;
  if (!m_streaming || std::abs(secondsOf(end) - expectedEnd) > kResyncSeconds) {
    m_baseband.reset();
    m_samples.clear();
    m_firstIndex = 0;
    m_streamStart = end - std::chrono::duration_cast<SysTime::duration>(
                              std::chrono::duration<double>(static_cast<double>(count) / kInputRate));
    m_streaming = true;
  }
  m_baseband.push(samples, count, m_samples);
  const std::size_t keep = static_cast<std::size_t>(kKeepSeconds * kBasebandRate);
  if (m_samples.size() > 2 * keep) {
    const std::size_t drop = m_samples.size() - keep;
    m_samples.erase(m_samples.begin(), m_samples.begin() + static_cast<long>(drop));
    m_firstIndex += static_cast<long long>(drop);
  }
}

void SensitiveDetector::analyse(const SlotRef& slot) {
  const double slotAt = secondsOf(slot.start);
  const double from = slotAt + m_matcherPtr->windowStart(), to = slotAt + m_matcherPtr->windowEnd(slot.beacon);
  // Baseband index whose centre lies at or after time t.
  auto indexAt = [](double t) {
    return static_cast<long long>(std::ceil((t * kInputRate - Baseband::centreOf(0)) / kDecimation));
  };
  long long i0 = indexAt(from) - m_firstIndex;
  const long long i1 = indexAt(to) - m_firstIndex;
  // Audio that begins by the slot boundary (a recording started on it) holds the whole
  // transmission of a clock that is right: the start search begins where the audio does.
  if (i0 < 0 && indexAt(slotAt + kLatestStartSeconds) >= m_firstIndex) i0 = 0;
  if (i0 < 0 || i1 > static_cast<long long>(m_samples.size())) {
    ++m_skipped;
    return;
  }
  const double firstTime = Baseband::centreOf(i0 + m_firstIndex) / kInputRate - slotAt;
  const MatchResult r =
      m_matcherPtr->match(m_samples.data() + i0, static_cast<std::size_t>(i1 - i0), firstTime, slot.beacon);
  m_lastMatch = r;
  SlotMeasurement m;
  m.slot = slot;
  if (slot.beacon >= 1 && slot.beacon <= static_cast<int>(m_callsigns.size())) m.callsign = m_callsigns[slot.beacon - 1];
  m.heard = r.heard;
  m.dashes = r.dashes;
  m.dashSnrDb = r.dashSnrDb;
  m.toneHz = r.toneHz;
  m.offsetMs = r.offsetS * 1000.0;
  m.score = r.score;
  m.sLevel = r.heard ? classicSLevel(r.toneAmplitude, r.noiseRms, m.callsign, m_sMeterOffset) : 0;
  m_last = m;
  m_finished.push_back(m);
}

SlotDecision SensitiveDetector::decide(SysTime now) {
  while (!m_pending.empty()) {
    const SlotRef& p = m_pending.front();
    const double end = secondsOf(p.start) + m_matcherPtr->windowEnd(p.beacon);
    const double have = Baseband::centreOf(m_firstIndex + static_cast<long long>(m_samples.size()) - 1) / kInputRate;
    if (m_streaming && have >= end) {
      analyse(p);
    } else if (std::chrono::duration<double>(now - p.start).count() >
               m_matcherPtr->windowEnd(p.beacon) + kGiveUpSeconds) {
      ++m_skipped;
    } else {
      break;
    }
    m_pending.pop_front();
  }
  SlotDecision d;
  if (m_current) d.slot = *m_current;
  // The answer about a slot is given once the next slot runs (late), also when the
  // analysis finished inside the slot: a slot then has one record however the
  // listening window is set.
  if (m_last && m_current && m_last->slot.start < m_current->start &&
      m_current->start - m_last->slot.start <= std::chrono::seconds(10)) {
    d.heard = m_last->heard;
    d.sLevel = m_last->sLevel;
    d.late = true;
    d.slot = m_last->slot;
  }
  return d;
}

std::vector<SlotMeasurement> SensitiveDetector::takeMeasurements() {
  std::vector<SlotMeasurement> out;
  out.swap(m_finished);
  return out;
}

}  // namespace harkola
