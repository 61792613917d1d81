#pragma once
// Rig control over a RigPort: opening the port from the rig table, sending one row's
// command in the maker's form, the hexadecimal code check, and the session start,
// finish and band-change sequences with their messages.
//
// Results are left in the shared flags of PublicDecs (RigPortError, HexCodeValid) as
// the rest of the program expects; messages go to the notifier, which the windows
// bind to harkola::dialogs(). The port is closed at rest: every sequence opens it,
// writes, and closes it again.
//
// A port that fails while a sequence writes (cable pulled, device gone) is closed at
// once by the port; the sequence then stops, sets RigPortError and reports the fault
// once. The program keeps running; the next sequence tries to open the port afresh.

#include <functional>
#include <string>
#include <string_view>

#include "app/Notice.h"
#include "app/PublicDecs.h"
#include "rig/RigPort.h"

namespace harkola {

class RigCtrl {
 public:
  using Notifier = std::function<Answer(const Notice&)>;

  RigCtrl(PublicDecs& d, RigPort& port, Notifier notify);

  // (Re)opens the port with rows 0..5 of RigTable. RigPortError tells the outcome; a
  // failure has been reported and the port is closed.
  void OpenRigPort();
  // Sends row `row`'s code in the maker's form. The port must be open (a hexadecimal
  // code reopens it itself). Empty codes and unknown makers send nothing.
  void SendRigCommand(int row);
  // Reopens the port, then writes the code's bytes one per write. Leaves it open.
  void SendHexCode(std::string_view code);
  // Writes a text code as it is (one write). The port must be open.
  void SendTextCode(std::string_view code);
  // Sets HexCodeValid; reports the first fault of a non-empty code.
  void ValidateHexCode(std::string_view code);
  void CloseRigPort();

  // Rows 7..10 and RigBandRow / rows 11..14 and 20 / RigBandRow; each opens the port,
  // stops at once when it cannot, sends the non-empty codes and closes the port.
  void SendSessionStartCommands();
  void SendSessionFinishCommands();
  void SendBandCommand();

  // The transmit warning, then the start commands. True when the port worked (the
  // caller then shows rig control as active); otherwise a second message says rig
  // control cannot start.
  bool StartRigSession();
  // The finish commands; a port failure adds a message. Rig control is off afterwards
  // either way.
  void FinishRigSession();

  // What toggling rig control (menu or button) did. NeedsTest: the test routine has
  // not been completed, the message has been shown, and the caller opens the setup
  // window; rig control stays off.
  enum class Toggle { Started, StartFailed, NeedsTest, Finished };
  Toggle ToggleRigControl(bool active);

  static Notice portErrorNotice(const std::string& title, const PortError& e, bool whileWriting);

 private:
  void runSequence(const std::vector<int>& rows);
  void writeBytes(std::string_view bytes);
  void reportPortError(const PortError& e, bool whileWriting);
  Answer say(const std::string& text, NoticeIcon icon);

  PublicDecs& d_;
  RigPort& port_;
  Notifier notify_;
  FlowControl flow_ = FlowControl::None;  // kept when the row holds no known value
};

}  // namespace harkola
