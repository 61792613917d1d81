#pragma once
// The parts the main window is handed, made for a test: a recording voice player, the
// classic detector, a rig that records what it was asked, and the serial rig control for
// the setup window (its port is opened only when a test is run there).
#include "app/frmPrimary.h"
#include "audio/ClassicDetector.h"
#include "rig/SerialRigPort.h"
#include "support/RecordingRig.h"
#include "support/RecordingVoicePlayer.h"

namespace harkola::test {

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
