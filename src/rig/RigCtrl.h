#pragma once
// Rig control over a RigPort: opening the port from the rig table, sending one row's
// command in the maker's form, the hexadecimal code check, and the session start,
// finish and band-change sequences with their messages.
//
// Every step returns whether it went through (RigPortError and HexCodeValid keep the
// last outcome for the steps of one sequence); messages go to the notifier, which the
// windows bind to harkola::dialogs(). The port is closed at rest: every sequence opens
// it, writes, and closes it again. SerialCommandRig puts this behind the Rig seam;
// RigSession holds the session flow around it.
//
// A port that fails while a sequence writes (cable pulled, device gone) is closed at
// once by the port; the sequence then stops, sets RigPortError and reports the fault
// once. The program keeps running; the next sequence tries to open the port afresh.

#include <functional>
#include <string>
#include <string_view>

#include "common/Notice.h"
#include "common/PublicDecs.h"
#include "rig/RigPort.h"

namespace harkola {

class RigCtrl {
 public:
  using Notifier = std::function<Answer(const Notice&)>;

  RigCtrl(PublicDecs& d, RigPort& port, Notifier notify);

  // (Re)opens the port with rows 0..5 of RigTable. False when it failed: the failure has
  // been reported and the port is closed.
  bool OpenRigPort();
  // Sends row `row`'s code in the maker's form. The port must be open (a hexadecimal
  // code reopens it itself). Empty codes and unknown makers send nothing.
  void SendRigCommand(int row);
  // Reopens the port, then writes the code's bytes one per write. Leaves it open.
  bool SendHexCode(std::string_view code);
  // Writes a text code as it is (one write). The port must be open.
  bool SendTextCode(std::string_view code);
  // True when the code is a valid hexadecimal code; reports the first fault of a
  // non-empty code.
  bool ValidateHexCode(std::string_view code);
  void CloseRigPort();

  // Rows 7..10 and RigBandRow / rows 11..14 and 20 / RigBandRow; each opens the port,
  // stops at once when it cannot, sends the non-empty codes and closes the port. False
  // when the port failed (reported).
  bool SendSessionStartCommands();
  bool SendSessionFinishCommands();
  bool SendBandCommand();

  static Notice portErrorNotice(const std::string& title, const PortError& e, bool whileWriting);

 private:
  bool runSequence(const std::vector<int>& rows);
  void writeBytes(std::string_view bytes);
  void reportPortError(const PortError& e, bool whileWriting);
  Answer say(const std::string& text, NoticeIcon icon);

  PublicDecs& d_;
  RigPort& port_;
  Notifier notify_;
  FlowControl flow_ = FlowControl::None;  // kept when the row holds no known value
};

}  // namespace harkola
