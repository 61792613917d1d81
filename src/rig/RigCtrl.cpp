#include "rig/RigCtrl.h"

#include <utility>

namespace harkola {

namespace {

// What the user can do about a port that failed.
const char* portFaultHint(PortFault kind) {
  switch (kind) {
    case PortFault::NoDevice:
      return "There is no such device. Check that the rig's cable is plugged in, and choose the device of this "
             "port in Rig setup";
    case PortFault::Busy:
      return "Another program is using the serial port (a logging or digital-mode program, or rigctld). Close it, "
             "or choose \"Hamlib rigctld (network)\" in Rig setup to share the rig through rigctld";
    case PortFault::NoPermission:
      return "You may not use this device: add yourself to the dialout group (sudo adduser $USER dialout), then "
             "log out and in again";
    case PortFault::Other:
      break;
  }
  return "Check there is no other program using the serial port and that the settings you have used are correct";
}

}  // namespace

RigCtrl::RigCtrl(PublicDecs& d, RigPort& port, Notifier notify)
    : d_(d), port_(port), notify_(std::move(notify)) {}

Answer RigCtrl::say(const std::string& text, NoticeIcon icon) {
  if (!notify_) return Answer::Ok;
  return notify_(Notice{text, d_.TitleText, icon, NoticeButtons::Ok});
}

Notice RigCtrl::portErrorNotice(const std::string& title, const PortError& e, bool whileWriting) {
  std::string text = whileWriting ? "There has been an error writing to the serial port. "
                                  : "There has been an error opening the serial port. ";
  text += "\n\nError report: " + std::to_string(e.number) + " " + e.description;
  text += "\n\nHint - ";
  text += portFaultHint(e.kind);
  return Notice{text, title, NoticeIcon::Critical, NoticeButtons::Ok};
}

void RigCtrl::reportPortError(const PortError& e, bool whileWriting) {
  d_.RigPortError = true;
  if (notify_) notify_(portErrorNotice(d_.TitleText, e, whileWriting));
}

bool RigCtrl::OpenRigPort() {
  d_.RigPortError = false;
  port_.close();
  const RigGrid& t = d_.RigTable;
  PortSettings s;
  s.portNumber = t[kRigRowPort][1];
  s.line = parseLineSettings(lineSettingsText(t));
  if (auto f = flowControlFor(t[kRigRowHandshake][1])) flow_ = *f;
  s.flow = flow_;
  s.raiseRts = assertsRts(flow_);
  if (!s.line.valid) {
    reportPortError(PortError{0, "Invalid settings: " + s.line.problem}, false);
    return false;
  }
  PortError e;
  if (!port_.open(s, e)) reportPortError(e, false);
  return !d_.RigPortError;
}

void RigCtrl::writeBytes(std::string_view bytes) {
  if (d_.RigPortError) return;
  PortError e;
  if (!port_.write(bytes, e)) reportPortError(e, true);
}

bool RigCtrl::SendTextCode(std::string_view code) {
  if (!code.empty()) writeBytes(code);
  return !d_.RigPortError;
}

bool RigCtrl::SendHexCode(std::string_view code) {
  auto cmd = encodeCommand(kRigIcom, code);
  if (cmd && !cmd->fault.empty()) {
    // Not sent at all: part of a command, or a zero in place of a bad pair, could
    // leave the rig in a state the user never asked for.
    say(cmd->fault, NoticeIcon::Critical);
    return false;
  }
  if (!OpenRigPort()) return false;
  if (!cmd) return true;
  for (const auto& w : cmd->writes) {
    writeBytes(w);
    if (d_.RigPortError) return false;
  }
  return true;
}

void RigCtrl::SendRigCommand(int row) {
  if (row < 0 || row >= kRigRowCount) return;
  const std::string& code = d_.RigTable[row][1];
  if (code.empty()) return;
  if (d_.RigMakerCode == kRigKenwood) {
    SendTextCode(code);
  } else if (makerUsesHex(d_.RigMakerCode)) {
    SendHexCode(code);
  }
}

bool RigCtrl::ValidateHexCode(std::string_view code) {
  const HexCheck c = checkHexCode(code);
  d_.HexCodeValid = c.valid;
  if (!c.fault.empty()) say(c.fault, NoticeIcon::Critical);
  return c.valid;
}

void RigCtrl::CloseRigPort() { port_.close(); }

bool RigCtrl::runSequence(const std::vector<int>& rows) {
  if (!OpenRigPort()) return false;
  for (int r : rows) {
    SendRigCommand(r);
    if (d_.RigPortError) break;
  }
  CloseRigPort();
  return !d_.RigPortError;
}

bool RigCtrl::SendSessionStartCommands() { return runSequence(sessionStartRows(d_.RigBandRow)); }
bool RigCtrl::SendSessionFinishCommands() { return runSequence(sessionFinishRows()); }
bool RigCtrl::SendBandCommand() { return runSequence(bandRows(d_.RigBandRow)); }

}  // namespace harkola
