#include "rig/RigCodeTest.h"

#include "rig/RigCommands.h"

namespace harkola {

RigLineEdit editRigLine(PublicDecs& d, RigCtrl& rig, int line, int column,
                        const std::optional<std::string>& answer) {
  if (!answer || answer->empty()) return RigLineEdit::Unchanged;
  auto& row = d.RigTable[static_cast<std::size_t>(rigRowOfLine(line))];
  std::string& cell = row[static_cast<std::size_t>(column)];
  if (*answer == kRigLeaveBlank) {
    cell.clear();
    return RigLineEdit::Blanked;
  }
  const bool refused = column == 1 && makerUsesHex(d.RigMakerCode) && !rig.ValidateHexCode(*answer);
  if (refused) return RigLineEdit::Refused;
  cell = *answer;
  return RigLineEdit::Set;
}

std::string rigLineDetail(const PublicDecs& d, int line) {
  const auto& row = d.RigTable[static_cast<std::size_t>(rigRowOfLine(line))];
  const std::string label = row[0].empty() ? "(no label)" : "\"" + row[0] + "\"";
  const std::string code = row[1].empty() ? "(blank)" : row[1];
  return "Line " + std::to_string(line) + " of 14, " + label + ", code now: " + code;
}

RigCodeTest::Step RigCodeTest::sendLine(bool shownBlank) {
  const std::string& code = d.RigTable[static_cast<std::size_t>(rigRowOfLine(m_line))][1];
  if (!shownBlank && !code.empty()) {
    bool sent = true;
    if (d.RigMakerCode == kRigKenwood) {
      sent = m_rig.SendTextCode(code);
    } else if (makerUsesHex(d.RigMakerCode)) {
      sent = m_rig.ValidateHexCode(code) && m_rig.SendHexCode(code);
    }
    // A port that failed has been reported; the rig cannot follow the rest.
    if (!sent) return Step::Stopped;
  }
  if (m_line == kRigCodeLines) {
    d.RigTested = true;
    d.RigTable[kRigRowTested][1] = "True";
    return Step::Complete;
  }
  ++m_line;
  return Step::Sent;
}

}  // namespace harkola
