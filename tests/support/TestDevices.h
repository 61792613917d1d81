#pragma once
// The parts the main window is handed, made for a test: a recording voice player, the
// classic detector, a rig that records what it was asked, and the serial rig control for
// the setup window (its port is opened only when a test is run there).
#include <string>
#include <vector>

#include "app/frmPrimary.h"
#include "audio/ClassicDetector.h"
#include "rig/Rig.h"
#include "rig/SerialRigPort.h"
#include "support/RecordingVoicePlayer.h"

namespace harkola::test {

// Records "start 14", "band 21", "finish"; `fail` makes every call fail with that text.
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

struct TestDevices {
  explicit TestDevices(PublicDecs& d) : detector(d), serialRig(d, nullptr) {}
  void fill(PrimaryServices& s) {
    s.voice = &voice;
    s.detector = &detector;
    s.rig = &rig;
    s.rigSetup = &serialRig.ctrl();
  }
  RecordingVoicePlayer voice;
  ClassicDetector detector;
  RecordingRig rig;
  SerialRig serialRig;
};

}  // namespace harkola::test
