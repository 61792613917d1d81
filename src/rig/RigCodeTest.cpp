#include "rig/RigCodeTest.h"

#include "rig/RigCommands.h"

namespace harkola {

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
