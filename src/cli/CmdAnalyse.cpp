// harkola-cli analyse: replays a recording through the live detection pipeline with a
// simulated clock and prints or appends the heard-log records it would have written.

#include <cstdio>
#include <optional>

#include "audio/FrameAnalysis.h"
#include "audio/ReplaySession.h"
#include "audio/SensitiveDetector.h"
#include "audio/WavStream.h"
#include "clock/BeaconSchedule.h"
#include "clock/HeardLog.h"
#include "clock/SlotResults.h"
#include "common/LocalTime.h"
#include "cli/AnalyseOutput.h"
#include "data/Beacons.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/ReplayPublish.h"

namespace harkola::cli {

namespace {

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

}  // namespace

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

namespace {

struct AnalyseOptions {
  std::string recording;
  ReplaySettings settings;
  bool sensitive = false;
  bool trace = false;
  std::optional<std::string> log;      // heard-log records appended here, else printed
  std::optional<std::string> slotLog;  // sensitive detector: the slot log
};

const char* const kUsage =
    "usage: harkola-cli analyse AUDIO.wav --start \"YYYY-MM-DD HH:MM:SS\" --band 14|18|21|24|28 "
    "[--noise-filter 14] [--morse-threshold 55] [--listen-seconds 8] [--smeter-offset 0] "
    "[--log FILE] [--trace] [--detector classic|sensitive] [--slot-log FILE]\n          "
    "[--publish URL --station CALL --locator LOC [--full-locator] [--spool FILE] [--publish-wait SECONDS]]\n";

// The analyser's settings as options, with the ranges of its sliders.
bool readSettings(const ParsedArgs& p, ReplaySettings& s, std::ostream& err) {
  struct IntOption {
    const char* name;
    SettingRange range;
    int* target;
  };
  const IntOption options[] = {
      {"--noise-filter", kNoiseFilter, &s.NoiseFilter},
      {"--morse-threshold", kMorseThreshold, &s.MorseThreshold},
      {"--listen-seconds", kListenSeconds, &s.ListenSeconds},
      {"--smeter-offset", kSMeterOffset, &s.SMeterOffset},
  };
  for (const IntOption& o : options) {
    if (const auto v = p.value(o.name); v && !parseIntOption(*v, o.range.lo, o.range.hi, *o.target)) {
      err << o.name << " must be a whole number from " << o.range.lo << " to " << o.range.hi << ".\n";
      return false;
    }
  }
  return true;
}

// False (with the message written) for arguments that do not make a replay.
bool readOptions(const Args& args, AnalyseOptions& o, ReplayPublisher& publisher, std::ostream& err) {
  ParsedArgs p;
  std::string error;
  std::set<std::string> withValue{"--start", "--band", "--noise-filter", "--morse-threshold", "--listen-seconds",
                                  "--smeter-offset", "--log", "--detector", "--slot-log"};
  std::set<std::string> flags{"--trace"};
  withValue.insert(kPublishValueOptions.begin(), kPublishValueOptions.end());
  flags.insert(kPublishFlags.begin(), kPublishFlags.end());
  if (!p.parse(args, withValue, flags, error)) {
    err << error << '\n' << kUsage;
    return false;
  }
  if (p.positional().size() != 1) {
    err << "analyse needs exactly one recording (a WAV file).\n" << kUsage;
    return false;
  }
  o.recording = p.positional()[0];
  const auto start = p.value("--start");
  if (!start || !parseLocalTime(*start, o.settings.start)) {
    err << "--start needs the local time of the recording's first sample as "
           "\"YYYY-MM-DD HH:MM:SS\".\n";
    return false;
  }
  o.settings.band = bandFromText(p.value("--band").value_or(""));
  if (o.settings.band < 0) {
    err << "--band must be 14, 18, 21, 24 or 28.\n";
    return false;
  }
  if (!readSettings(p, o.settings, err)) return false;
  const std::string detectorName = p.value("--detector").value_or("classic");
  if (detectorName != "classic" && detectorName != "sensitive") {
    err << "--detector must be classic or sensitive.\n";
    return false;
  }
  o.sensitive = detectorName == "sensitive";
  o.slotLog = p.value("--slot-log");
  if (o.slotLog && !o.sensitive) {
    err << "--slot-log needs --detector sensitive.\n";
    return false;
  }
  o.trace = p.has("--trace");
  o.log = p.value("--log");
  return publisher.readOptions(p, o.sensitive, err);
}

}  // namespace

int runAnalyse(const Args& args, std::ostream& out, std::ostream& err) {
  AnalyseOptions o;
  ReplayPublisher publisher;
  if (!readOptions(args, o, publisher, err)) return 2;
  // The recording is read, mixed and resampled as the replay goes: memory does not grow
  // with its length.
  WavReader reader;
  std::string error;
  if (!reader.open(o.recording, error)) {
    err << error << '\n';
    return 2;
  }
  if (!reader.warning().empty()) err << reader.warning() << '\n';

  PublicDecs d;
  loadDataReadOnly("", d);

  SlotResults results;
  HeardLogFile logFile;
  StreamSink stdoutSink(out);
  results.setHeardLog(&stdoutSink);
  if (o.log) {
    if (!logFile.open(*o.log)) {
      err << "Cannot open the log file " << *o.log << " for appending.\n";
      return 1;
    }
    results.setHeardLog(&logFile);
  }
  if (o.slotLog) {
    results.setSlotLogPath(*o.slotLog);
    if (!results.openSlotLog()) {
      err << "Cannot open the slot log " << *o.slotLog << " for appending.\n";
      return 1;
    }
  }

  if (!publisher.start(err)) return 1;

  WavSampleSource source(std::move(reader));
  ReplaySession::TraceFn trace;
  if (o.trace && !o.sensitive) trace = [&err](const SlotTrace& t) { err << traceLine(t); };
  SensitiveDetector sensitiveDetector(Beacons(d.BeaconTable).callsigns());
  sensitiveDetector.setSMeterOffset(o.settings.SMeterOffset);

  ReplaySession session(d, o.settings, source, &results, trace, o.sensitive ? &sensitiveDetector : nullptr);
  session.run();
  if (o.sensitive) {
    // A heard slot counts as logged when every heard-log record of the replay arrived.
    if (o.trace)
      results.addListener([&](const SlotMeasurement& m) {
        err << sensitiveTraceLine(m, m.heard && results.heardFailures() == 0);
      });
    if (publisher.enabled())
      results.addListener([&](const SlotMeasurement& m) { publisher.add(m, results.clockCheck()); });
    for (const SlotMeasurement& m : sensitiveDetector.takeMeasurements()) results.add(m);
    err << results.clockCheck().text() << '\n';
    if (results.slotLogFailures() > 0) {
      err << results.slotLogFailures() << " slot-log record(s) could not be written.\n";
      return 1;
    }
  }
  if (results.heardFailures() > 0) {
    err << results.heardFailures() << " heard-log record(s) could not be written"
        << (o.log ? " to " + *o.log : std::string()) << ".\n";
    publisher.finish(err);
    return 1;
  }
  return publisher.finish(err);
}

}  // namespace harkola::cli
