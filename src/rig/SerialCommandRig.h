#pragma once
// The rig reached by the rig file's command strings over a serial port: the session
// start, band and finish rows of RigTable, written by RigCtrl. RigCtrl shows its own port
// messages while it writes; the results say whether the sequence went through.

#include "common/PublicDecs.h"
#include "rig/Rig.h"
#include "rig/RigCtrl.h"

namespace harkola {

class SerialCommandRig : public Rig {
 public:
  SerialCommandRig(PublicDecs& d, RigCtrl& ctrl) : d_(d), ctrl_(ctrl) {}

  RigResult startSession(int band) override;
  RigResult changeBand(int band) override;
  RigResult finishSession() override;

 private:
  void selectRow(int band);

  PublicDecs& d_;
  RigCtrl& ctrl_;
};

}  // namespace harkola
