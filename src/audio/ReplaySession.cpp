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

ReplayStats ReplaySession::run() {
  using namespace std::chrono;
  const ReplaySettings& s = m_settings;
  ReplayStats stats;

  d.MorseThreshold = s.MorseThreshold;
  d.NoiseFilter = s.NoiseFilter;
  d.SMeterOffset = s.SMeterOffset;
  d.ListenSeconds = static_cast<std::int16_t>(s.ListenSeconds);
  d.AnalyserRunning = true;
  d.ClockRunning = true;
  d.SlotLogged = false;

  ClassicDetector classic(d);
  SlotDetector& detector = m_detector ? *m_detector : classic;
  CountingSink sink(m_sink);
  BeaconClock clock(d, &sink, nullptr);
  clock.setDetector(&detector);
  clock.setLogMode(LogMode::Auto);
  clock.selectBand(std::clamp(s.band, 0, kBandCount - 1));

  // Already running: the slot in progress has been announced and the previous tick has
  // set the listening window for the second we start in.
  const SlotPosition p0 = slotPosition(s.start.minute, s.start.second, clock.SelectedBand);
  clock.SlotNumber = p0.slotNumber;
  clock.StationNumber = p0.stationNumber;
  clock.StationIndex = p0.stationIndex;
  clock.NextStation = p0.nextStation;
  clock.SecondsIntoSlot = p0.secondsIntoSlot;
  clock.SlotProgress = 10 * p0.secondsIntoSlot;
  clock.hiddenStationNumber = std::to_string(p0.stationNumber);
  clock.Listening = p0.secondsIntoSlot < d.ListenSeconds;
  clock.lastTick = s.start;

  const auto t0 = timePointOf(s.start);
  {
    SlotRef first;
    first.start = t0 - seconds(p0.secondsIntoSlot) - milliseconds(s.start.millisecond);
    first.startLocal = localTimeAt(first.start);
    first.band = clock.SelectedBand;
    first.beacon = p0.stationNumber;
    detector.beginSlot(first);
  }
  auto slotStartOf = [&](system_clock::time_point t, const LocalTime& lt) {
    const int secondsIn = lt.second % 10;
    return localTimeAt(t - seconds(secondsIn) - milliseconds(lt.millisecond));
  };
  LocalTime slotStart = slotStartOf(t0, s.start);
  long recordsAtSlotStart = 0;
  auto reportSlot = [&] {
    ++stats.slots;
    if (!m_trace) return;
    SlotTrace tr;
    tr.slotStart = slotStart;
    tr.band = clock.SelectedBand;
    tr.beacon = clock.StationNumber;
    tr.callsign = clock.callsign(clock.StationNumber);
    tr.hits = d.MorseHits;
    tr.peakSum = d.MorsePeakSum;
    tr.sLevel = clock.SLevel;
    tr.logged = sink.count > recordsAtSlotStart;
    m_trace(tr);
  };

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
  long long k = 0;
  for (;;) {
    if (haveBlock && (k + 1) * kBlockSamples * 1000LL <= tickMs * kSampleRate) {
      ++k;
      const auto end = t0 + microseconds(k * kBlockSamples * 1000000LL / kSampleRate);
      detector.addBlock(block.data(), kBlockSamples, end);
      ++stats.blocks;
      haveBlock = readBlock();
      continue;
    }
    // After the last whole block, the clock runs on until the recording ends.
    if (!haveBlock && tickMs * kSampleRate >= stats.samples * 1000LL) break;

    const auto t = t0 + milliseconds(tickMs);
    const LocalTime now = localTimeAt(t);
    const SlotPosition p = slotPosition(now.minute, now.second, clock.SelectedBand);
    if (std::to_string(p.stationNumber) != clock.hiddenStationNumber) {
      reportSlot();
      slotStart = slotStartOf(t, now);
      recordsAtSlotStart = sink.count;
    }
    clock.tick(now, t);
    ++stats.ticks;
    tickMs += 100;
  }
  reportSlot();
  stats.records = sink.count;
  d.AnalyserRunning = false;
  return stats;
}

}  // namespace harkola
