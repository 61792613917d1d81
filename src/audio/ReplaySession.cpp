#include "audio/ReplaySession.h"

#include <algorithm>
#include <chrono>

#include "audio/AudioFFT.h"
#include "audio/ClassicDetector.h"
#include "clock/BeaconClock.h"
#include "clock/BeaconSchedule.h"

namespace harkola {

std::size_t VectorSampleSource::read(std::int16_t* dst, std::size_t count) {
  const std::size_t n = std::min(count, m_samples.size() - m_pos);
  std::copy_n(m_samples.begin() + static_cast<std::ptrdiff_t>(m_pos), n, dst);
  m_pos += n;
  return n;
}

namespace {

// Passes records on and counts those that arrived.
class CountingSink : public HeardLogSink {
 public:
  explicit CountingSink(HeardLogSink* next) : m_next(next) {}
  bool write(const std::string& record) override {
    const bool ok = m_next && m_next->write(record);
    if (ok) ++count;
    return ok;
  }
  long count = 0;

 private:
  HeardLogSink* m_next;
};

// Reports each slot of the replay as it ends: its counters and whether a record of it
// reached the sink.
class SlotReporter {
 public:
  SlotReporter(const PublicDecs& d, const BeaconClock& clock, const CountingSink& sink,
               const ReplaySession::TraceFn& trace)
      : d(d), m_clock(clock), m_sink(sink), m_trace(trace) {}

  // The slot running at `t` (local `lt`) starts now.
  void startSlot(SysTime t, const LocalTime& lt) {
    m_start = localTimeAt(t - std::chrono::seconds(lt.second % 10) - std::chrono::milliseconds(lt.millisecond));
    m_recordsAtStart = m_sink.count;
  }
  // The running slot ends.
  void endSlot() {
    ++slots;
    if (!m_trace) return;
    SlotTrace tr;
    tr.slotStart = m_start;
    tr.band = m_clock.SelectedBand;
    tr.beacon = m_clock.StationNumber;
    tr.callsign = m_clock.callsign(m_clock.StationNumber);
    tr.hits = d.MorseHits;
    tr.peakSum = d.MorsePeakSum;
    tr.sLevel = m_clock.SLevel;
    tr.logged = m_sink.count > m_recordsAtStart;
    m_trace(tr);
  }
  long slots = 0;

 private:
  const PublicDecs& d;
  const BeaconClock& m_clock;
  const CountingSink& m_sink;
  const ReplaySession::TraceFn& m_trace;
  LocalTime m_start;
  long m_recordsAtStart = 0;
};

}  // namespace

ReplaySession::ReplaySession(PublicDecs& shared, const ReplaySettings& settings,
                             SampleSource& source, HeardLogSink* sink, TraceFn trace,
                             SlotDetector* detector)
    : d(shared),
      m_settings(settings),
      m_source(source),
      m_sink(sink),
      m_trace(std::move(trace)),
      m_detector(detector) {}

void ReplaySession::applySettings() {
  d.MorseThreshold = m_settings.MorseThreshold;
  d.NoiseFilter = m_settings.NoiseFilter;
  d.SMeterOffset = m_settings.SMeterOffset;
  d.ListenSeconds = static_cast<std::int16_t>(m_settings.ListenSeconds);
  d.AnalyserRunning = true;
  d.ClockRunning = true;
  d.SlotLogged = false;
}

ReplayStats ReplaySession::run() {
  using namespace std::chrono;
  const ReplaySettings& s = m_settings;
  applySettings();

  ClassicDetector classic(d);
  SlotDetector& detector = m_detector ? *m_detector : classic;
  CountingSink sink(m_sink);
  BeaconClock clock(d, &sink, nullptr);
  clock.setDetector(&detector);
  clock.setLogMode(LogMode::Auto);
  clock.selectBand(std::clamp(s.band, 0, kBandCount - 1));
  const auto t0 = timePointOf(s.start);
  clock.resumeAt(s.start, t0);

  SlotReporter reporter(d, clock, sink, m_trace);
  reporter.startSlot(t0, s.start);
  ReplayStats stats;
  SampleBlock block{};
  auto readBlock = [&] {
    const std::size_t n = m_source.read(block.data(), kBlockSamples);
    stats.samples += static_cast<long long>(n);
    return n == static_cast<std::size_t>(kBlockSamples);
  };

  // Instants are compared exactly as integers: block k completes at
  // (k+1)*512*1000/11025 ms after start, a tick at tickMs ms after start.
  long long tickMs = (100 - s.start.millisecond % 100) % 100;
  bool haveBlock = readBlock();
  for (long long k = 0;;) {
    if (haveBlock && (k + 1) * kBlockSamples * 1000LL <= tickMs * kSampleRate) {
      ++k;
      detector.addBlock(block.data(), kBlockSamples, t0 + microseconds(k * kBlockSamples * 1000000LL / kSampleRate));
      ++stats.blocks;
      haveBlock = readBlock();
      continue;
    }
    // After the last whole block, the clock runs on until the recording ends.
    if (!haveBlock && tickMs * kSampleRate >= stats.samples * 1000LL) break;

    const auto t = t0 + milliseconds(tickMs);
    const LocalTime now = localTimeAt(t);
    if (std::to_string(slotPosition(now.minute, now.second, clock.SelectedBand).stationNumber) !=
        clock.hiddenStationNumber) {
      reporter.endSlot();
      reporter.startSlot(t, now);
    }
    clock.tick(now, t);
    ++stats.ticks;
    tickMs += 100;
  }
  reporter.endSlot();
  stats.slots = reporter.slots;
  stats.records = sink.count;
  d.AnalyserRunning = false;
  return stats;
}

}  // namespace harkola
