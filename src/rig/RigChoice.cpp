#include "rig/RigChoice.h"

namespace harkola {

RigChoice::RigChoice(PublicDecs& d, Rig& serial) : d_(d), serial_(serial) { reload(); }

void RigChoice::reload() {
  if (rigctld_ && rigctld_->sessionRunning()) return;
  settings_ = kRigLinkFile.load(d_.DataFolder);
  if (settings_.kind == RigLinkKind::Rigctld)
    rigctld_ = std::make_unique<RigctldRig>(QString::fromStdString(settings_.host),
                                            static_cast<quint16>(settings_.port));
  meterFailed_ = false;
  unreported_.clear();
}

Rig& RigChoice::rig() {
  if (settings_.kind == RigLinkKind::Rigctld && rigctld_) return *rigctld_;
  return serial_;
}

bool RigChoice::lost() const {
  return settings_.kind == RigLinkKind::Rigctld && rigctld_ && rigctld_->connectionLost();
}

std::optional<int> RigChoice::meterLevel() {
  if (!settings_.sLevelFromMeter || settings_.kind != RigLinkKind::Rigctld || !rigctld_) return std::nullopt;
  if (!rigctld_->sessionRunning() || rigctld_->connectionLost()) {
    meterSession_ = false;
    return std::nullopt;
  }
  if (!meterSession_) {  // a new session: the meter gets a fresh chance
    meterSession_ = true;
    meterFailed_ = false;
  }
  if (meterFailed_) return std::nullopt;
  const SMeterReading r = rigctld_->readSLevel();
  if (r.result) return r.sLevel;
  if (rigctld_->connectionLost()) {
    unreported_ = r.result.message;
  } else {
    // The rig refuses the meter (not every rig has one Hamlib can read): said once, and
    // the S level comes from the audio for the rest of the session.
    meterFailed_ = true;
    unreported_ = "The rig's S-meter cannot be read, so the S level comes from the audio. " + r.result.message;
  }
  return std::nullopt;
}

std::string RigChoice::takeUnreported() {
  std::string s;
  s.swap(unreported_);
  return s;
}

}  // namespace harkola
