#pragma once
// The parts the main window is handed, made for a test: a recording voice player, the
// classic detector, a rig that records what it was asked, and the serial rig control for
// the setup window (its port is opened only when a test is run there).
#include "app/frmPrimary.h"
#include "audio/ClassicDetector.h"
#include "rig/SerialRigPort.h"
#include "support/RecordingRig.h"
#include "voice/VoicePlayer.h"

namespace harkola::test {

// Records the calls in order. A play is recorded with its number, a stop as 0;
// out-of-range numbers are recorded too, so tests see exactly what was asked.
class RecordingVoicePlayer : public VoicePlayer {
 public:
  std::vector<int> calls;
  void play(int number) override { calls.push_back(number); }
  void stop() override { calls.push_back(0); }
  std::vector<int> played() const {
    std::vector<int> p;
    for (int c : calls)
      if (c != 0) p.push_back(c);
    return p;
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
