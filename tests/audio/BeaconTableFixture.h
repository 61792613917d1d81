#pragma once
// Shared pieces of the audio tests: the shipped beacon table and a sink that keeps
// every heard-log record in memory.

#include <string>
#include <vector>

#include "common/PublicDecs.h"
#include "clock/HeardLog.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"

namespace harkola::testing_support {

inline void fillCallsigns(PublicDecs& d) { d.BeaconTable = *parseBeacons(defaultBeaconData()); }

struct RecorderSink : HeardLogSink {
  bool write(const std::string& record) override {
    records.push_back(record);
    return true;
  }
  std::vector<std::string> records;
};

}  // namespace harkola::testing_support
