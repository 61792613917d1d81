// harkola-cli: the beacon clock, distances and log tools from the command line, on the
// same core as the desktop program. Reads the data files of a data folder (built-in
// defaults when they are missing) and writes nothing unless a command says so.
#include <cstring>
#include <iostream>

#include "cli/Commands.h"

namespace {

using harkola::cli::Command;

const Command kCommands[] = {
    {"now", "now [--band 14|18|21|24|28] [--at \"YYYY-MM-DD HH:MM:SS\"] [--data-folder DIR] [--json]",
     "the beacon on the air now (or at --at) and the next one", harkola::cli::runNow},
    {"table", "table [--at \"YYYY-MM-DD HH:MM:SS\"] [--data-folder DIR] [--json]",
     "the beacon on each of the five bands", harkola::cli::runTable},
    {"distaz", "distaz [--data-folder DIR] [--json]",
     "distance and azimuth of all 18 beacons from home", harkola::cli::runDistaz},
    {"analyse",
     "analyse AUDIO.wav --start \"YYYY-MM-DD HH:MM:SS\" --band 14|18|21|24|28 [--noise-filter 14]\n"
     "          [--morse-threshold 55] [--listen-seconds 8] [--smeter-offset 0] [--log FILE] [--trace]\n"
     "          [--detector classic|sensitive] [--slot-log FILE]\n"
     "          [--publish URL --station CALL --locator LOC [--full-locator] [--spool FILE]\n"
     "           [--publish-wait SECONDS]]",
     "replay a recording through the automatic logger; heard-log records to --log or stdout",
     harkola::cli::runAnalyse},
    {"analyse-iq",
     "analyse-iq FILE --centre HZ --rate SPS --format cs16|cu8|cs8|cf32|wav --start \"YYYY-MM-DD HH:MM:SS\"\n"
     "          [--bands all|14,18,...] [--smeter-offset 0] [--log FILE] [--slot-log FILE] [--trace]",
     "replay an I/Q recording through the five-band receiver (start in UTC); records of every band",
     harkola::cli::runAnalyseIq},
    {"summarise",
     "summarise LOG.csv (--by-beacon --band 14|18|21|24|28 [--beacons all|CALL,CALL...] |\n"
     "          --by-band --beacon CALL [--bands all|14,18,...]) [--months all|August,...]\n"
     "          [-o OUT.csv]",
     "hour-of-day table of average S levels from a heard log, as the analysis window saves it",
     harkola::cli::runSummarise},
    {"collect",
     "collect --broker mqtt[s]://[USER[:PASSWORD]@]HOST[:PORT] --store FILE.sqlite|postgresql://...\n"
     "          [--client-id ID] [--every SECONDS]",
     "store every slot report of the network's stations exactly once (until Ctrl+C)", harkola::cli::runCollect},
    {"network-report",
     "network-report --store FILE.sqlite|postgresql://... --from \"YYYY-MM-DD[ HH:MM:SS]\"\n"
     "          --to \"YYYY-MM-DD[ HH:MM:SS]\" [--near LOCATOR --km N] [-o OUT.csv]",
     "CSV of the share of slots each station heard, per beacon, band and hour (UTC)",
     harkola::cli::runNetworkReport},
};

void usage(std::ostream& os) {
  os << "Usage: harkola-cli COMMAND [OPTIONS]\n\n"
        "Commands:\n";
  for (const auto& c : kCommands) os << "  " << c.usage << "\n      " << c.summary << "\n";
  os << "\nTimes are local (the TZ of the process). --data-folder defaults to the current\n"
        "folder; missing data files are replaced by the built-in defaults in memory only.\n"
        "Exit status: 0 done, 1 failed, 2 bad arguments.\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    usage(std::cerr);
    return 2;
  }
  const char* name = argv[1];
  if (!std::strcmp(name, "--help") || !std::strcmp(name, "-h") || !std::strcmp(name, "help")) {
    usage(std::cout);
    return std::cout.flush() ? 0 : 1;
  }
  for (const auto& c : kCommands) {
    if (!std::strcmp(name, c.name)) {
      harkola::cli::Args args(argv + 2, argv + argc);
      for (const auto& a : args)
        if (a == "--help" || a == "-h") {
          std::cout << "Usage: harkola-cli " << c.usage << "\n  " << c.summary << "\n";
          return 0;
        }
      const int status = c.run(args, std::cout, std::cerr);
      // Output that never arrived (a full disk, a closed pipe) is a failure, not success.
      std::cout.flush();
      if (!std::cout) {
        std::cerr << "harkola-cli: " << c.name << ": the output could not be written.\n";
        return status == 0 ? 1 : status;
      }
      return status;
    }
  }
  std::cerr << "harkola-cli: unknown command '" << name << "' (try --help)\n";
  return 2;
}
