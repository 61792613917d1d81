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
#include "cli/CliJson.h"
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
  return jsonLine({{"slot_start", timestampText(t.slotStart)},
                   {"band", bandMHz(t.band)},
                   {"beacon", t.beacon},
                   {"callsign", jsonText(t.callsign)},
                   {"hits", t.hits},
                   {"peak_sum", printedNumber(static_cast<double>(t.peakSum), "%.9g")},
                   {"s_level", t.sLevel},
                   {"logged", t.logged}});
}

}  // namespace

void ExplainedDetector::beginSlot(const SlotRef& slot) {
  m_detector.beginSlot(slot);
  collect();
}

void ExplainedDetector::addBlock(const std::int16_t* samples, std::size_t count, SysTime end) {
  m_detector.addBlock(samples, count, end);
  collect();
}

SlotDecision ExplainedDetector::decide(SysTime now) {
  const SlotDecision d = m_detector.decide(now);
  collect();
  return d;
}

void ExplainedDetector::collect() {
  std::vector<SlotMeasurement> ms = m_detector.takeMeasurements();
  for (std::size_t i = 0; i < ms.size(); ++i) {
    std::optional<Rejection> why;
    if (i + 1 == ms.size()) why = m_detector.lastMatch().rejection;
    m_done.emplace_back(std::move(ms[i]), why);
  }
}

std::vector<std::pair<SlotMeasurement, std::optional<Rejection>>> ExplainedDetector::take() {
  collect();
  std::vector<std::pair<SlotMeasurement, std::optional<Rejection>>> out;
  out.swap(m_done);
  return out;
}

std::string sensitiveTraceLine(const SlotMeasurement& m, bool logged, std::optional<Rejection> why) {
  auto snr = [](const std::optional<double>& v) { return v ? printedNumber(*v, "%.1f") : Json(nullptr); };
  Json snrs = Json::array();
  for (const auto& v : m.dashSnrDb) snrs.push_back(snr(v));
  Json line = {{"slot_start", timestampText(m.slot.startLocal)},
                   {"band", bandMHz(m.slot.band)},
                   {"beacon", m.slot.beacon},
                   {"callsign", jsonText(m.callsign)},
                   {"heard", m.heard},
                   {"logged", logged},
                   {"s_level", m.sLevel},
                   {"snr_db", snr(m.dashSnrDb[0])},
                   {"dash_snr_db", std::move(snrs)},
                   {"dashes", m.dashes},
                   {"tone_hz", m.heard ? printedNumber(m.toneHz, "%.1f") : Json(nullptr)},
                   {"offset_ms", m.heard ? printedNumber(m.offsetMs, "%.0f") : Json(nullptr)},
                   {"score", printedNumber(m.score, "%.1f")}};
  if (why) line["rejection"] = m.heard ? Json(nullptr) : Json(rejectionWord(*why));
  return jsonLine(line);
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

  ExplainedDetector explained(sensitiveDetector);
  ReplaySession session(d, o.settings, source, &results, trace, o.sensitive ? &explained : nullptr);
  session.run();
  if (o.sensitive) {
    if (publisher.enabled())
      results.addListener([&](const SlotMeasurement& m) { publisher.add(m, results.clockCheck()); });
    for (const auto& [m, why] : explained.take()) {
      results.add(m);
      // A heard slot counts as logged when every heard-log record of the replay arrived.
      if (o.trace) err << sensitiveTraceLine(m, m.heard && results.heardFailures() == 0, why);
    }
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
