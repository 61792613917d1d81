#include "rig/SerialCommandRig.h"

#include "rig/RigCommands.h"

namespace harkola {

namespace {
constexpr const char* kStartFailed = "Cannot start rig control due to serial port error";
constexpr const char* kFinishFailed = "Cannot run Rig Control session finish commands due to serial port error";
}  // namespace

void SerialCommandRig::selectRow(int band) {
  if (band >= 0 && band < kBandCount) d_.RigBandRow = static_cast<std::int16_t>(kRigRowFirstBand + band);
}

RigResult SerialCommandRig::startSession(int band) {
  selectRow(band);
  return ctrl_.SendSessionStartCommands() ? RigResult::success() : RigResult::failure(kStartFailed);
}

RigResult SerialCommandRig::changeBand(int band) {
  selectRow(band);
  // A port fault has been reported by RigCtrl itself; nothing more to say.
  return ctrl_.SendBandCommand() ? RigResult::success() : RigResult::failure("");
}

RigResult SerialCommandRig::finishSession() {
  return ctrl_.SendSessionFinishCommands() ? RigResult::success() : RigResult::failure(kFinishFailed);
}

}  // namespace harkola
