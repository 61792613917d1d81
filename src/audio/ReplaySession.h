#pragma once
// Replay of a recording through the live pipeline with a simulated clock: the
// transform and frame analysis of every block, and the beacon clock's 100 ms ticks with
// the heard test, listening window and heard-log records of automatic logging.
//
// Timing model: the recording's first sample is at `start`; blocks of 512 samples follow
// back to back, block k completing at start + (k+1) * 512/11025 s; ticks fire on the
// wall-clock 100 ms grid from `start` (included) to the end of the recording
// (excluded). Events run in
// time order, and a block completing at the same instant as a tick is analysed first.
// The clock is taken as already running at `start`: the slot in progress does not run
// the new-slot sequence, but its detections still count.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/PublicDecs.h"
#include "clock/HeardLog.h"
#include "clock/SlotDetector.h"
#include "common/LocalTime.h"

namespace harkola {

// Mono 16-bit samples at 11025 Hz, read in order.
class SampleSource {
 public:
  virtual ~SampleSource() = default;
  // Copies up to `count` samples into dst; fewer (0 at the end) when the audio ends.
  virtual std::size_t read(std::int16_t* dst, std::size_t count) = 0;
};

class VectorSampleSource : public SampleSource {
 public:
  explicit VectorSampleSource(std::vector<std::int16_t> samples) : m_samples(std::move(samples)) {}
  std::size_t read(std::int16_t* dst, std::size_t count) override;

 private:
  std::vector<std::int16_t> m_samples;
  std::size_t m_pos = 0;
};

struct ReplaySettings {
  LocalTime start;  // local time of the first sample (milliseconds count)
  int band = 0;     // 0..4 = 14, 18, 21, 24, 28 MHz
  // Within the ranges of common/AnalyserSettings.h.
  int NoiseFilter = kNoiseFilter.start;
  int MorseThreshold = kMorseThreshold.start;
  int ListenSeconds = kListenSeconds.start;
  int SMeterOffset = kSMeterOffset.start;
};

// One slot as the replay saw it, reported when the slot ends (or the recording does).
struct SlotTrace {
  LocalTime slotStart;  // the slot's ten-second boundary (may precede the recording)
  int band = 0;  // 0..4
  int beacon = 0;  // 1..18
  std::string callsign;
  long hits = 0;         // MorseHits at the slot's end
  float peakSum = 0.0f;  // MorsePeakSum at the slot's end
  int sLevel = 0;        // 0 = none taken
  bool logged = false;   // a heard-log record of this slot reached the sink
};

struct ReplayStats {
  long long samples = 0;  // samples read (a trailing part block is not analysed)
  long blocks = 0;
  long ticks = 0;
  long slots = 0;
  long records = 0;
};

class ReplaySession {
 public:
  using TraceFn = std::function<void(const SlotTrace&)>;

  // `d` must hold the beacon table; its analyser settings and per-slot state are set
  // from `settings`. `sink` receives the records (may be null), `trace` each slot (may be
  // empty). All are borrowed for the life of the session.
  // `detector` hears the slots (null: the classic detector with the settings' values).
  ReplaySession(PublicDecs& d, const ReplaySettings& settings, SampleSource& source,
                HeardLogSink* sink, TraceFn trace, SlotDetector* detector = nullptr);

  ReplayStats run();

 private:
  void applySettings();

  PublicDecs& d;
  ReplaySettings m_settings;
  SampleSource& m_source;
  HeardLogSink* m_sink;
  TraceFn m_trace;
  SlotDetector* m_detector;
};

}  // namespace harkola
