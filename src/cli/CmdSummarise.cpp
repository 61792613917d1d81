// harkola-cli summarise: the hour-of-day summary of a heard log, written exactly as the
// analysis window saves it.

#include <filesystem>
#include <sstream>

#include "analysis/LogRecords.h"
#include "analysis/LogSummary.h"
#include "cli/CliSupport.h"
#include "data/Beacons.h"
#include "common/Folders.h"
#include "common/LocalTime.h"

namespace harkola::cli {

namespace {

constexpr const char* kUsage =
    "usage: harkola-cli summarise LOG.csv (--by-beacon --band 14|18|21|24|28 "
    "[--beacons all|CALL,CALL...] | --by-band --beacon CALL [--bands all|14,18,...]) "
    "[--months all|August,September,...] [-o OUT.csv]";

std::vector<std::string> splitList(const std::string& s) {
  std::vector<std::string> parts;
  std::string item;
  std::istringstream in(s);
  while (std::getline(in, item, ',')) {
    while (!item.empty() && item.front() == ' ') item.erase(item.begin());
    while (!item.empty() && item.back() == ' ') item.pop_back();
    if (!item.empty()) parts.push_back(item);
  }
  return parts;
}

std::string upperCase(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

int monthOfName(const std::string& s) {
  for (int m = 1; m <= 12; ++m)
    if (upperCase(s) == upperCase(monthName(m))) return m;
  return 0;
}

int bad(std::ostream& err, const std::string& message) {
  err << message << "\n" << kUsage << "\n";
  return 2;
}

}  // namespace

int runSummarise(const Args& args, std::ostream& out, std::ostream& err) {
  ParsedArgs p;
  std::string error;
  if (!p.parse(args, {"--band", "--beacons", "--beacon", "--bands", "--months", "-o"},
               {"--by-beacon", "--by-band"}, error))
    return bad(err, error);
  if (p.positional().size() != 1) return bad(err, "one log file expected");
  const bool byBeacon = p.has("--by-beacon");
  if (byBeacon == p.has("--by-band")) return bad(err, "give either --by-beacon or --by-band");

  PublicDecs d;
  loadDataReadOnly("", d);
  SummaryRequest request;
  if (byBeacon) {
    if (p.has("--beacon") || p.has("--bands")) return bad(err, "--beacon and --bands go with --by-band");
    request.mode = SummaryMode::ByBeacon;
    request.band = bandFromText(p.value("--band").value_or(""));
    if (request.band < 0) return bad(err, "--band must be 14, 18, 21, 24 or 28");
    const std::string list = p.value("--beacons").value_or("all");
    std::array<bool, kBeaconCount + 1> ticked{};
    if (upperCase(list) == "ALL") {
      ticked.fill(true);
    } else {
      for (const auto& call : splitList(list)) {
        const int found = Beacons(d.BeaconTable).numberOfCallsign(call);
        if (!found) return bad(err, "not a beacon of the beacon data: " + call);
        ticked[static_cast<std::size_t>(found)] = true;
      }
    }
    for (int b = 1; b <= kBeaconCount; ++b)
      if (ticked[static_cast<std::size_t>(b)]) request.beacons.push_back(Beacons(d.BeaconTable).callsign(b));
  } else {
    if (p.has("--band") || p.has("--beacons")) return bad(err, "--band and --beacons go with --by-beacon");
    request.mode = SummaryMode::ByBand;
    const std::string call = p.value("--beacon").value_or("");
    request.callsign = Beacons(d.BeaconTable).callsign(Beacons(d.BeaconTable).numberOfCallsign(call));
    if (request.callsign.empty()) return bad(err, "--beacon must name a beacon of the beacon data");
    const std::string list = p.value("--bands").value_or("all");
    std::array<bool, 5> ticked{};
    if (upperCase(list) == "ALL") {
      ticked.fill(true);
    } else {
      for (const auto& band : splitList(list)) {
        const int i = bandFromText(band);
        if (i < 0) return bad(err, "not a band: " + band);
        ticked[static_cast<std::size_t>(i)] = true;
      }
    }
    for (int i = 0; i < 5; ++i)
      if (ticked[static_cast<std::size_t>(i)]) request.bands.push_back(i);
  }
  const std::string months = p.value("--months").value_or("all");
  if (upperCase(months) == "ALL") {
    request.months.fill(true);
  } else {
    for (const auto& name : splitList(months)) {
      const int m = monthOfName(name);
      if (!m) return bad(err, "not a month name: " + name);
      request.months[static_cast<std::size_t>(m)] = true;
    }
  }

  const std::filesystem::path input = p.positional()[0];
  const auto outPath = p.value("-o");
  const SummaryGuard guard{input, heardLogPath(defaultLogFolder(), d.TitleText)};
  if (outPath) {
    if (const std::string why = summaryRefusal(*outPath, guard); !why.empty()) {
      err << why << "\n";
      return 2;
    }
  }
  LogData log;
  if (!loadLogFile(input, log, &error)) {
    err << error << "\n";
    return 1;
  }
  const SummaryTable table = summarise(log, request);
  if (outPath) {
    if (writeSummaryFile(*outPath, table, guard) != SummarySave::Saved) {
      err << "Summary Log file NOT saved\n";
      return 1;
    }
    return 0;
  }
  const std::string text = formatSummaryFile(table);
  out << text;
  return 0;
}

}  // namespace harkola::cli
