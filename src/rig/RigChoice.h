#pragma once
// The rig that rig control drives, as Rig setup chose it in RigLink.dat: the serial
// command-string link (borrowed) or Hamlib's rigctld (owned here). The main window asks
// for the choice again each time rig control is switched on, so a change in Rig setup
// counts from the next session.
//
// It also reads the rig's S-meter for automatic logging when the user ticked "S level
// from the rig's S-meter" and a rigctld session runs.

#include <memory>
#include <optional>
#include <string>

#include "common/PublicDecs.h"
#include "rig/Rig.h"
#include "rig/RigLinkSettings.h"
#include "rig/RigctldRig.h"

namespace harkola {

class RigChoice {
 public:
  RigChoice(PublicDecs& d, Rig& serial);

  // Reads RigLink.dat again. Call only while no session runs.
  void reload();
  Rig& rig();
  // The serial link's setup test must have been completed before a session starts.
  bool needsTest() const { return settings_.kind == RigLinkKind::Serial; }
  const RigLinkSettings& settings() const { return settings_; }
  // The rigctld link (null until rigctld has been chosen).
  RigctldRig* rigctld() { return rigctld_.get(); }

  // The running rigctld session lost its connection: rig control is over.
  bool lost() const;
  // S level 1..9 from the rig's meter; nullopt when not wanted, not possible or failed.
  std::optional<int> meterLevel();
  // A failure of a meter read not yet shown to the user (at most one per session);
  // empty when there is none. Taking it clears it.
  std::string takeUnreported();

 private:
  PublicDecs& d_;
  Rig& serial_;
  RigLinkSettings settings_;
  std::unique_ptr<RigctldRig> rigctld_;
  std::string unreported_;
  bool meterFailed_ = false;  // in this session: no more reads, no more messages
  bool meterSession_ = false;
};

}  // namespace harkola
