#pragma once
// The parts the main window is handed, made for a test: a recording voice player, the
// classic detector and the serial rig (its port is opened only when rig control runs).
#include "app/frmPrimary.h"
#include "audio/ClassicDetector.h"
#include "rig/SerialRigPort.h"
#include "support/RecordingVoicePlayer.h"

namespace harkola::test {

struct TestDevices {
  explicit TestDevices(PublicDecs& d) : detector(d), serialRig(d, nullptr) {}
  void fill(PrimaryServices& s) {
    s.voice = &voice;
    s.detector = &detector;
    s.rig = &serialRig.rig();
    s.rigSetup = &serialRig.ctrl();
  }
  RecordingVoicePlayer voice;
  ClassicDetector detector;
  SerialRig serialRig;
};

}  // namespace harkola::test
