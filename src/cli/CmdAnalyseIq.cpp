// harkola-cli analyse-iq: replays an I/Q recording through the five-band receiver and
// its detectors and prints the heard-log records of every band, like analyse.

#include <algorithm>
#include <sstream>

#include "clock/SlotResults.h"
#include "cli/AnalyseOutput.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "common/Bands.h"
#include "data/Beacons.h"
#include "receiver/IqFile.h"
#include "receiver/IqReplay.h"

namespace harkola::cli {

namespace {

const char* const kUsage =
    "usage: harkola-cli analyse-iq FILE --centre HZ --rate SPS --format cs16|cu8|cs8|cf32|wav "
    "--start \"YYYY-MM-DD HH:MM:SS\" [--bands all|14,18,...] [--smeter-offset 0] [--log FILE] "
    "[--slot-log FILE] [--trace]\n"
    "(--start is UTC; a WAV or SigMF recording may name rate, centre and start itself)\n";

bool readBands(const std::string& text, std::vector<int>& out) {
  out.clear();
  if (text == "all") {
    for (const BandInfo& b : kBands) out.push_back(b.index);
    return true;
  }
  std::stringstream ss(text);
  for (std::string t; std::getline(ss, t, ',');) {
    const int b = bandFromText(t);
    if (b < 0) return false;
    if (std::find(out.begin(), out.end(), b) == out.end()) out.push_back(b);
  }
  return !out.empty();
}

}  // namespace

int runAnalyseIq(const Args& args, std::ostream& out, std::ostream& err) {
  ParsedArgs p;
  std::string error;
  if (!p.parse(args, {"--centre", "--rate", "--format", "--start", "--bands", "--smeter-offset", "--log", "--slot-log"},
               {"--trace"}, error)) {
    err << error << '\n' << kUsage;
    return 2;
  }
  if (p.positional().size() != 1) {
    err << "analyse-iq needs exactly one recording.\n" << kUsage;
    return 2;
  }
  IqFileInfo info;
  const std::string format = p.value("--format").value_or("wav");
  if (format != "wav") {
    info.format = iqFormatFromName(format);
    if (!info.format) {
      err << "--format must be cs16, cu8, cs8, cf32 or wav.\n";
      return 2;
    }
  }
  for (const char* name : {"--centre", "--rate"}) {
    if (const auto v = p.value(name)) {
      char* end = nullptr;
      const double x = std::strtod(v->c_str(), &end);
      if (end == v->c_str() || *end != '\0' || !(x > 0)) {
        err << name << " must be a positive number (" << (name[2] == 'c' ? "Hz" : "samples per second") << ").\n";
        return 2;
      }
      (name[2] == 'c' ? info.centreHz : info.rate) = x;
    }
  }
  if (const auto v = p.value("--start")) {
    SysTime t;
    if (!parseUtcText(*v, t)) {
      err << "--start needs the UTC time of the recording's first sample as \"YYYY-MM-DD HH:MM:SS\".\n";
      return 2;
    }
    info.start = t;
  }
  std::vector<int> bands;
  if (!readBands(p.value("--bands").value_or("all"), bands)) {
    err << "--bands must be all or a list of 14, 18, 21, 24, 28.\n";
    return 2;
  }
  int offset = 0;
  if (const auto v = p.value("--smeter-offset"); v && !parseIntOption(*v, -10, 10, offset)) {
    err << "--smeter-offset must be a whole number from -10 to 10.\n";
    return 2;
  }
  IqFileSource source;
  if (!source.open(p.positional()[0], info, error)) {
    err << error << '\n';
    return 2;
  }
  if (!info.start && source.start() == SysTime{}) {
    err << "--start needs the UTC time of the recording's first sample (the file does not say).\n";
    return 2;
  }
  if (!source.warning().empty()) err << source.warning() << '\n';

  PublicDecs d;
  loadDataReadOnly("", d);
  const std::vector<std::string> calls = Beacons(d.BeaconTable).callsigns();

  SlotResults results;
  StreamSink stdoutSink(out);
  HeardLogFile logFile;
  results.setHeardLog(&stdoutSink);
  if (const auto log = p.value("--log")) {
    if (!logFile.open(*log)) {
      err << "Cannot open the log file " << *log << " for appending.\n";
      return 1;
    }
    results.setHeardLog(&logFile);
  }
  if (const auto slotLog = p.value("--slot-log")) {
    results.setSlotLogPath(*slotLog);
    if (!results.openSlotLog()) {
      err << "Cannot open the slot log " << *slotLog << " for appending.\n";
      return 1;
    }
  }
  if (p.has("--trace"))
    results.addListener([&](const SlotMeasurement& m) { err << sensitiveTraceLine(m, m.heard && results.heardFailures() == 0); });

  BandReceiver receiver(bands);
  FiveBandDetector detector(calls);
  detector.setSMeterOffset(offset);
  replayIq(source, receiver, detector, [&](const SlotMeasurement& m) {
    if (m.heard) results.write(heardRecord(m.slot.startLocal, m.slot.band, m.callsign, m.sLevel));
    results.add(m);
  });
  if (receiver.bands().empty()) {
    err << "The recording (" << source.rate() << " samples per second at " << source.centreHz()
        << " Hz) carries none of the bands asked for.\n";
    return 1;
  }
  for (int b : receiver.bands()) err << bandMHz(b) << " MHz: " << detector.clockCheck(b).text() << '\n';
  if (results.slotLogFailures() > 0) {
    err << results.slotLogFailures() << " slot-log record(s) could not be written.\n";
    return 1;
  }
  if (results.heardFailures() > 0) {
    err << results.heardFailures() << " heard-log record(s) could not be written.\n";
    return 1;
  }
  return 0;
}

}  // namespace harkola::cli
