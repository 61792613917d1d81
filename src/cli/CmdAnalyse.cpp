// harkola-cli analyse: replays a recording through the live detection pipeline with a
// simulated clock and prints or appends the heard-log records it would have written.

#include <cstdio>

#include "audio/FrameAnalysis.h"
#include "audio/ReplaySession.h"
#include "audio/SensitiveDetector.h"
#include "audio/WavStream.h"
#include "clock/BeaconSchedule.h"
#include "clock/ClockCheck.h"
#include "clock/HeardLog.h"
#include "clock/SlotLog.h"
#include "common/LocalTime.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace harkola::cli {

namespace {

class StreamSink : public HeardLogSink {
 public:
  explicit StreamSink(std::ostream& out) : m_out(out) {}
  bool write(const std::string& record) override {
    m_out.write(record.data(), static_cast<std::streamsize>(record.size()));
    m_out.flush();
    return static_cast<bool>(m_out);
  }

 private:
  std::ostream& m_out;
};

std::string timestampText(const LocalTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

std::string traceLine(const SlotTrace& t) {
  char sum[32];
  std::snprintf(sum, sizeof sum, "%.9g", static_cast<double>(t.peakSum));
  return "{\"slot_start\":" + jsonString(timestampText(t.slotStart)) +
         ",\"band\":" + std::to_string(bandMHz(t.band)) + ",\"beacon\":" + std::to_string(t.beacon) +
         ",\"callsign\":" + jsonString(t.callsign) + ",\"hits\":" + std::to_string(t.hits) +
         ",\"peak_sum\":" + sum + ",\"s_level\":" + std::to_string(t.sLevel) +
         ",\"logged\":" + (t.logged ? "true" : "false") + "}\n";
}

std::string jsonNumber(double v, const char* fmt) {
  char buf[32];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

// One sensitive-detector slot as a trace line.
std::string sensitiveTraceLine(const SlotMeasurement& m, bool logged) {
  std::string snrs = "[";
  for (int i = 0; i < 4; ++i) {
    if (i) snrs += ',';
    snrs += m.dashSnrDb[i] ? jsonNumber(*m.dashSnrDb[i], "%.1f") : "null";
  }
  snrs += ']';
  return "{\"slot_start\":" + jsonString(timestampText(m.slot.startLocal)) +
         ",\"band\":" + std::to_string(bandMHz(m.slot.band)) + ",\"beacon\":" + std::to_string(m.slot.beacon) +
         ",\"callsign\":" + jsonString(m.callsign) + ",\"heard\":" + (m.heard ? "true" : "false") +
         ",\"logged\":" + (logged ? "true" : "false") + ",\"s_level\":" + std::to_string(m.sLevel) +
         ",\"snr_db\":" + (m.dashSnrDb[0] ? jsonNumber(*m.dashSnrDb[0], "%.1f") : std::string("null")) +
         ",\"dash_snr_db\":" + snrs + ",\"dashes\":" + std::to_string(m.dashes) +
         ",\"tone_hz\":" + (m.heard ? jsonNumber(m.toneHz, "%.1f") : std::string("null")) +
         ",\"offset_ms\":" + (m.heard ? jsonNumber(m.offsetMs, "%.0f") : std::string("null")) +
         ",\"score\":" + jsonNumber(m.score, "%.1f") + "}\n";
}

}  // namespace

int runAnalyse(const Args& args, std::ostream& out, std::ostream& err) {
  const char* usage =
      "usage: harkola-cli analyse AUDIO.wav --start \"YYYY-MM-DD HH:MM:SS\" --band 14|18|21|24|28 "
      "[--noise-filter 14] [--morse-threshold 55] [--listen-seconds 8] [--smeter-offset 0] "
      "[--log FILE] [--trace] [--detector classic|sensitive] [--slot-log FILE]\n";
  ParsedArgs p;
  std::string error;
  if (!p.parse(args,
               {"--start", "--band", "--noise-filter", "--morse-threshold", "--listen-seconds",
                "--smeter-offset", "--log", "--detector", "--slot-log"},
               {"--trace"}, error)) {
    err << error << '\n' << usage;
    return 2;
  }
  if (p.positional().size() != 1) {
    err << "analyse needs exactly one recording (a WAV file).\n" << usage;
    return 2;
  }

  ReplaySettings s;
  const auto start = p.value("--start");
  if (!start || !parseLocalTime(*start, s.start)) {
    err << "--start needs the local time of the recording's first sample as "
           "\"YYYY-MM-DD HH:MM:SS\".\n";
    return 2;
  }
  s.band = bandFromText(p.value("--band").value_or(""));
  if (s.band < 0) {
    err << "--band must be 14, 18, 21, 24 or 28.\n";
    return 2;
  }

  struct IntOption {
    const char* name;
    int lo, hi;
    int* target;
  };
  const IntOption options[] = {
      {"--noise-filter", kNoiseFilterMin, kNoiseFilterMax, &s.NoiseFilter},
      {"--morse-threshold", 30, 110, &s.MorseThreshold},
      {"--listen-seconds", 1, 10, &s.ListenSeconds},
      {"--smeter-offset", -10, 10, &s.SMeterOffset},
  };
  for (const IntOption& o : options) {
    if (const auto v = p.value(o.name); v && !parseIntOption(*v, o.lo, o.hi, *o.target)) {
      err << o.name << " must be a whole number from " << o.lo << " to " << o.hi << ".\n";
      return 2;
    }
  }

  const std::string detectorName = p.value("--detector").value_or("classic");
  if (detectorName != "classic" && detectorName != "sensitive") {
    err << "--detector must be classic or sensitive.\n";
    return 2;
  }
  const bool sensitive = detectorName == "sensitive";
  if (p.value("--slot-log") && !sensitive) {
    err << "--slot-log needs --detector sensitive.\n";
    return 2;
  }
  // The recording is read, mixed and resampled as the replay goes: memory does not grow
  // with its length.
  WavReader reader;
  if (!reader.open(p.positional()[0], error)) {
    err << error << '\n';
    return 2;
  }
  if (!reader.warning().empty()) err << reader.warning() << '\n';

  PublicDecs d;
  loadDataReadOnly("", d);

  HeardLogFile logFile;
  StreamSink stdoutSink(out);
  HeardLogSink* sink = &stdoutSink;
  if (const auto log = p.value("--log")) {
    if (!logFile.open(*log)) {
      err << "Cannot open the log file " << *log << " for appending.\n";
      return 1;
    }
    sink = &logFile;
  }

  WavSampleSource source(std::move(reader));
  ReplaySession::TraceFn trace;
  if (p.has("--trace") && !sensitive) trace = [&err](const SlotTrace& t) { err << traceLine(t); };
  std::vector<std::string> calls;
  for (int b = 1; b <= kBeaconCount; ++b) calls.push_back(d.BeaconTable[b][3]);
  SensitiveDetector sensitiveDetector(calls);
  sensitiveDetector.setSMeterOffset(s.SMeterOffset);
  HeardLogFile slotLog;
  if (const auto path = p.value("--slot-log"); path && !slotLog.open(*path)) {
    err << "Cannot open the slot log " << *path << " for appending.\n";
    return 1;
  }
  long failed = 0;
  struct CheckedSink : HeardLogSink {
    HeardLogSink* next;
    long* failed;
    bool write(const std::string& r) override {
      const bool ok = next->write(r);
      if (!ok) ++*failed;
      return ok;
    }
  } checked;
  checked.next = sink;
  checked.failed = &failed;

  ReplaySession session(d, s, source, &checked, trace, sensitive ? &sensitiveDetector : nullptr);
  session.run();
  if (sensitive) {
    ClockCheck check;
    long slotLogFailed = 0;
    for (const SlotMeasurement& m : sensitiveDetector.takeMeasurements()) {
      if (m.heard) check.add(m.offsetMs);
      if (slotLog.isOpen() && !slotLog.write(slotRecord(m))) ++slotLogFailed;
      if (p.has("--trace")) err << sensitiveTraceLine(m, m.heard && failed == 0);
    }
    err << check.text() << '\n';
    if (slotLogFailed > 0) {
      err << slotLogFailed << " slot-log record(s) could not be written.\n";
      return 1;
    }
  }
  if (failed > 0) {
    err << failed << " heard-log record(s) could not be written"
        << (p.value("--log") ? " to " + *p.value("--log") : std::string()) << ".\n";
    return 1;
  }
  return 0;
}

}  // namespace harkola::cli
