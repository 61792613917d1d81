#pragma once
// Rig control as the main window switches it: the transmit warning before a session
// starts, the start on the selected band, band changes while it runs and the finish,
// over whichever Rig the program was given. Failures are shown through the notifier
// with the rig's own words.

#include <functional>

#include "common/Notice.h"
#include "common/PublicDecs.h"
#include "rig/Rig.h"

namespace harkola {

class RigSession {
 public:
  using Notifier = std::function<Answer(const Notice&)>;

  // `requireTest`: the link is the serial command link, whose setup test must have been
  // completed (RigTested) before a session may start.
  RigSession(PublicDecs& d, Rig& rig, Notifier notify, bool requireTest = true);

  void setRig(Rig& rig, bool requireTest);
  Rig& rig() { return *rig_; }

  enum class Toggle { Started, StartFailed, NeedsTest, Finished };
  // Starts a session on `band` when none is active, finishes the active one otherwise.
  // NeedsTest: the setup test has not been completed; the user has been told and the
  // caller opens the setup window.
  Toggle toggle(int band);
  // Finishes an active session (shutdown); nothing when none is active.
  void finish();
  // Tunes an active session to `band`; nothing when none is active.
  void changeBand(int band);
  bool active() const { return active_; }

 private:
  void sayFailure(const RigResult& r);

  PublicDecs& d_;
  Rig* rig_;
  Notifier notify_;
  bool requireTest_;
  bool active_ = false;
};

}  // namespace harkola
