#pragma once
// The rig setup window's test of the command codes, one line at a time: lines 1..14
// (rig table rows 7..20), each code that is not blank sent in the maker's form
// (Kenwood as text, Icom and Yaesu as checked hexadecimal bytes). The window asks
// between lines whether to go on. A code that fails its check, or a port that fails,
// ends the test; only a test that reaches the last line counts as done (RigTested, and
// "True" in the tested row).

#include <optional>
#include <string>

#include "common/PublicDecs.h"
#include "rig/RigCtrl.h"

namespace harkola {

inline constexpr int kRigCodeLines = 14;

// The rig table row of code line 1..14.
constexpr int rigRowOfLine(int line) { return line + 6; }

// The setup window's edit of a code line: the answer to its prompt for the code (column 1)
// or the label (column 0). "Leave blank" empties that half of the table row (Blanked); no
// answer (Cancel) or an empty one changes nothing; a code that fails the maker's hex
// check changes nothing (Refused, reported by the rig control).
inline constexpr const char* kRigLeaveBlank = "Leave blank";
enum class RigLineEdit { Unchanged, Set, Blanked, Refused };
RigLineEdit editRigLine(PublicDecs& d, RigCtrl& rig, int line, int column,
                        const std::optional<std::string>& answer);
// What the prompt says below its question: `Line 3 of 14, "Mode", code now: MD3;`, with
// "(no label)" and "(blank)" for empty halves.
std::string rigLineDetail(const PublicDecs& d, int line);

class RigCodeTest {
 public:
  enum class Step { Sent, Stopped, Complete };

  RigCodeTest(PublicDecs& d, RigCtrl& rig) : d(d), m_rig(rig) {}

  // Opens the port; false when it failed (reported by the rig control).
  bool start() { return m_rig.OpenRigPort(); }
  // The line the next sendLine() sends, 1..14.
  int line() const { return m_line; }
  // Sends the current line's code unless the window shows the line blank (a label left
  // blank blanks the line on screen while the table keeps its code). Sent: more lines
  // follow; Stopped: a fault ended the test (reported); Complete: that was the last line
  // and the test is done.
  Step sendLine(bool shownBlank = false);
  void finish() { m_rig.CloseRigPort(); }

 private:
  PublicDecs& d;
  RigCtrl& m_rig;
  int m_line = 1;
};

}  // namespace harkola
