#pragma once
// Shared pieces of the core tests: the home and beacon data the program ships (what a
// first start writes and loads), and a heard log kept in memory.

#include <string>
#include <vector>

#include "clock/HeardLog.h"
#include "common/PublicDecs.h"
#include "data/ArrayCalcsModule.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"

namespace harkola::test {

// The shipped beacons and home, distances and azimuths computed (`distances` false:
// the table is left empty, as before the first computation).
inline PublicDecs shippedDecs(bool distances = true) {
  PublicDecs d;
  d.Home = parseHome(defaultHomeData()).value();
  d.BeaconTable = parseBeacons(defaultBeaconData()).value();
  if (distances) computeDistAzTable(d);
  return d;
}

// Keeps every record; `fail` makes every write fail.
struct RecordingSink : HeardLogSink {
  bool write(const std::string& record) override {
    if (fail) return false;
    records.push_back(record);
    return true;
  }
  std::vector<std::string> records;
  bool fail = false;
};

}  // namespace harkola::test
