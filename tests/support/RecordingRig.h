#pragma once
// A rig that records what it was asked: "start 14", "band 21", "finish"; `fail` makes
// every call fail with that text.
#include <string>
#include <vector>

#include "common/Bands.h"
#include "rig/Rig.h"

namespace harkola::test {

class RecordingRig : public Rig {
 public:
  RigResult startSession(int band) override { return did("start " + mhz(band)); }
  RigResult changeBand(int band) override { return did("band " + mhz(band)); }
  RigResult finishSession() override { return did("finish"); }
  std::vector<std::string> calls;
  std::string fail;

 private:
  static std::string mhz(int band) { return std::string(bandInfo(band).text); }
  RigResult did(std::string what) {
    calls.push_back(std::move(what));
    return fail.empty() ? RigResult::success() : RigResult::failure(fail);
  }
};

}  // namespace harkola::test
