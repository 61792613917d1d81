#pragma once
// The rig setup window: serial settings, the rig maker, the 14 command codes with
// their labels, loading a maker's defaults, the compulsory test routine and saving.
//
// Controls (member name = objectName; arrays carry "_<index>"):
//   lstPortSet_0..5 (rows 0..5), lstRigCtrlString (maker), lblRig_1..14 and
//   lblRigCtrlString_1..14 (label and code of rows 7..20), cmdDefault, cmdTest, cmdSave.
//
// Use: construct, connect corruptDataFile, call load(); when it returns true, exec().
// Opening withdraws the test flag; every closing asks when untested, saves RigData.dat
// (and RigLink.dat) once, closes the port and, after a completed test, sets
// RigStartPending.

#include <QDialog>
#include <array>
#include <filesystem>
#include <functional>

#include "common/Notice.h"
#include "common/PublicDecs.h"
#include "rig/RigCodeTest.h"
#include "rig/RigCtrl.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace harkola {

class RigLinkPanel;

// Writes the built-in rig data of a maker (121..123) into a folder and returns the
// notice to show (normally WriteDefaultRigData).
using RigDefaultWriter = std::function<Notice(const std::filesystem::path& folder, int makerCode)>;

class frmTxRx : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kLines = kRigCodeLines;  // code lines 1..14 = rows 7..20

  frmTxRx(PublicDecs& d, RigCtrl& rig, RigDefaultWriter writeDefault, QWidget* parent = nullptr);

  // Caption, flags, lists and data. False when RigData.dat holds a value that the
  // lists do not offer: the corrupt-file message has been shown and corruptDataFile
  // emitted; the window must not be shown then.
  bool load();

  // The window's actions, also reached by clicks and double clicks.
  void defaultSettings();
  void editCode(int line, bool fromLabelEdit = false);
  void editLabel(int line, bool fromCodeEdit = false);
  void runTest();

  void done(int result) override;

  QListWidget* lstPortSet[6] = {};
  QListWidget* lstRigCtrlString = nullptr;
  QLabel* lblPortSetup = nullptr;
  QLabel* lblStrings = nullptr;
  std::array<QLabel*, kLines + 1> lblRig{};            // [1..14]
  std::array<QLabel*, kLines + 1> lblRigCtrlString{};  // [1..14]
  QPushButton* cmdDefault = nullptr;
  QPushButton* cmdSave = nullptr;
  QPushButton* cmdTest = nullptr;
  // How the rig is reached (devices of ports 1..4, serial or rigctld), kept in
  // RigLink.dat beside RigData.dat and saved with it.
  RigLinkPanel* linkPanel = nullptr;

 signals:
  // The rig data file is corrupt; the owner ends the program.
  void corruptDataFile();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool showData();
  void reportCorrupt();
  void portSetClicked(int list, const QString& text);
  void makerClicked(const QString& text);
  void paintCode(int line, const QColor& colour);
  void editLine(int line, int column, bool thenOther);
  Answer ask(const std::string& text, NoticeIcon icon, NoticeButtons buttons,
             const std::string& title = kAppTitle);

  PublicDecs& d_;
  RigCtrl& rig_;
  RigDefaultWriter writeDefault_;
  bool filling_ = false;  // list selections made by showData are not clicks
  bool corrupt_ = false;
  bool closed_ = false;
};

}  // namespace harkola
