// The rig windows: the setup window and the follow window.
#include "rig/frmTxRx.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

#include "RigTestSupport.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"
#include "rig/RigLinkPanel.h"
#include "rig/RigLinkSettings.h"
#include "rig/SerialRigPort.h"
#include "rig/frmFollow.h"
#include "support/Files.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

using test::rigDefaults;
using Texts = std::vector<std::string>;

const char* const kNotTested =
    "You have not tested all of your settings, rig control will not work until you do.  Continue to quit?";
const char* const kUpdated = "Rig control data file updated";

// Scripted dialogs that can also look at the window while a message is up.
class WatchingDialogs : public test::ScriptedDialogs {
 public:
  std::function<void(const Notice&)> onMessage;
  Answer message(QWidget* w, const Notice& n) override {
    if (onMessage) onMessage(n);
    return ScriptedDialogs::message(w, n);
  }
};

class RigSetupWindow : public ::testing::Test {
 protected:
  RigSetupWindow() : rig(d, port, dialogNotifierFor(nullptr)) {
    d.DataFolder = dir_.path.string();
    useFile(kRigKenwood);
  }
  void useFile(int maker, int row = -1, const char* value = "") {
    d.RigTable = rigDefaults(maker);
    if (row >= 0) d.RigTable[row][1] = value;
    EXPECT_TRUE(SaveRigData(d) && LoadRigData(d));
  }
  void open() {
    w = std::make_unique<frmTxRx>(d, rig, WriteDefaultRigData);
    EXPECT_TRUE(w->load());
    w->show();
  }
  std::string fileText() { return test::fileText(dir_ / "RigData.dat"); }
  std::string lastLine() {
    const std::string t = fileText();
    return t.substr(t.rfind('\n', t.size() - 2) + 1);
  }
  QColor codeColour(int line) { return w->lblRigCtrlString[line]->palette().color(QPalette::Window); }

  test::TempFolder dir_{"harkola-txrx"};
  PublicDecs d;
  test::RecorderPort port;
  RigCtrl rig;
  WatchingDialogs dialogs;
  std::unique_ptr<frmTxRx> w;
};

// Opening withdraws the test flag and shows the file; closing at once asks and saves "False".
TEST_F(RigSetupWindow, OpeningAndClosingAtOnceSavesFalse) {
  useFile(kRigKenwood, kRigRowTested, "True");
  d.RigStartPending = true;
  open();
  EXPECT_FALSE(d.RigTested || d.RigStartPending);
  // Fixed to its contents: a window manager then draws no empty resize strip under it.
  EXPECT_EQ(w->minimumSize(), w->maximumSize());
  w->close();
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(dialogs.texts(), (Texts{kNotTested, kUpdated}));
  EXPECT_EQ(lastLine(), "\"\",\"False\"\r\n");
}

// An unlisted port value is reported to the owner (which rows count is checked below
// the window).
TEST_F(RigSetupWindow, CorruptFileIsReportedToTheOwner) {
  useFile(kRigKenwood, 1, "9601");
  frmTxRx win(d, rig, WriteDefaultRigData);
  int reported = 0;
  QObject::connect(&win, &frmTxRx::corruptDataFile, [&] { ++reported; });
  EXPECT_FALSE(win.load());
  EXPECT_EQ(reported, 1);
  EXPECT_EQ(dialogs.texts(), Texts{"The file RigData.dat is corrupt.  Please delete it and restart Harkola"});
}

// Yes loads the Icom set with a notice; No keeps the Kenwood codes under the Icom maker.
TEST_F(RigSetupWindow, ChoosingIcomAnswersYesThenNo) {
  open();
  w->lstRigCtrlString->setCurrentRow(1);
  EXPECT_EQ(dialogs.texts(), (Texts{"This will delete your current settings and substitute default settings.  Do "
                                    "you want to proceed?",
                                    "Default rig control data written to file"}));
  EXPECT_EQ(d.RigTable, rigDefaults(kRigIcom));
  EXPECT_EQ(w->lblRigCtrlString[1]->text(), "FEFE00E00103FD");  // and on screen

  useFile(kRigKenwood);
  open();
  dialogs.answers = {Answer::No};
  w->lstRigCtrlString->setCurrentRow(1);
  EXPECT_EQ(std::tuple(d.RigTable[kRigRowMaker][1], d.RigMakerCode, d.RigTable[7][1]),
            std::tuple("Icom", kRigIcom, "MD3;"));
}

// A double click on line 1's label asks for the label, then the code; one on the code
// asks for the code alone, and an answer not taken asks no more (the answers' rules are
// checked below the window). A half left blank blanks the line on screen.
TEST_F(RigSetupWindow, DoubleClickEditsTheLine) {
  open();
  dialogs.inputs = {"Mode", "MD2;", std::nullopt, "Leave blank"};
  for (QLabel* target : {w->lblRig[1], w->lblRigCtrlString[1], w->lblRigCtrlString[1]}) {
    QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
    if (target == w->lblRig[1]) {
      EXPECT_EQ(target->text() + " " + w->lblRigCtrlString[1]->text(), "Mode MD2;");
    }
  }
  const QString label = "Enter new control code label\n\nLine 1 of 14, \"CW mode\", code now: MD3;";
  const QString code = "Enter new control code\n\nLine 1 of 14, \"Mode\", code now: ";
  EXPECT_EQ(dialogs.inputPrompts, (std::vector<QString>{label, code + "MD3;", code + "MD2;", code + "MD2;"}));
  EXPECT_EQ(std::tuple(dialogs.beeps, d.RigTable[7][0], d.RigTable[7][1]), std::tuple(4, "Mode", ""));
  EXPECT_TRUE(w->lblRig[1]->text().isEmpty() && w->lblRigCtrlString[1]->text().isEmpty());
}

// The yellow marking stays on the lines already tested until the routine ends. A port
// setting clicked changes the file only on leaving; No to the quit question keeps both
// the window and the file as they were. A completed test is saved as such.
TEST_F(RigSetupWindow, TestAnsweredNoLeavesFalseAndACompletedTestIsSaved) {
  open();
  w->lstPortSet[2]->setCurrentRow(4);  // Space parity
  std::vector<int> yellowAtQuestion;
  dialogs.onMessage = [&](const Notice& n) {
    for (int i = 1; n.text == "Continue ?" && i <= frmTxRx::kLines; ++i)
      if (codeColour(i) == QColor(255, 255, 0)) yellowAtQuestion.push_back(i);
  };
  dialogs.answers = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::Yes, Answer::No};
  w->cmdTest->click();
  EXPECT_EQ(yellowAtQuestion, (std::vector<int>{1, 1, 2, 1, 2, 3, 1, 2, 3, 4, 1, 2, 3, 4, 5}));
  for (int i = 1; i <= frmTxRx::kLines; ++i) EXPECT_EQ(codeColour(i), QColor(255, 255, 255)) << i;
  dialogs.messages.clear();
  dialogs.answers = {Answer::No};
  w->cmdSave->click();
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(fileText(), defaultRigData(kRigKenwood));
  w->close();
  EXPECT_EQ(dialogs.texts(), (Texts{kNotTested, kNotTested, kUpdated}));
  EXPECT_NE(fileText().find("\"Parity\",\"Space\""), std::string::npos);
  EXPECT_EQ(lastLine(), "\"\",\"False\"\r\n");

  // A completed test is saved and starts rig control next.
  open();
  w->runTest();
  dialogs.messages.clear();
  w->cmdSave->click();
  EXPECT_EQ(dialogs.texts(), Texts{kUpdated});
  EXPECT_EQ(lastLine(), "\"\",\"True\"\r\n");
  EXPECT_TRUE(d.RigStartPending);
}

// The link and the port devices live in RigLink.dat beside the rig file, which keeps
// its 22 lines.
TEST_F(RigSetupWindow, LinkAndDevicesAreKeptBesideTheRigFile) {
  open();
  auto* host = w->findChild<QLineEdit*>("txtRigctldHost");
  EXPECT_TRUE(w->findChild<QRadioButton*>("optLinkSerial")->isChecked() && !host->isEnabled());
  w->findChild<QRadioButton*>("optLinkRigctld")->setChecked(true);
  EXPECT_TRUE(host->isEnabled());
  host->setText("shack-pi");
  w->findChild<QComboBox*>("cboPortDevice_2")->setEditText("ttyUSB5");
  w->close();

  const RigLinkSettings saved = kRigLinkFile.load(d.DataFolder);
  EXPECT_EQ(std::pair(saved.kind, saved.host), std::pair(RigLinkKind::Rigctld, std::string("shack-pi")));
  EXPECT_EQ(saved.devices, (std::array<std::string, 4>{"", "/dev/ttyUSB5", "", ""}));
  const std::string rigFile = fileText();
  EXPECT_EQ(std::count(rigFile.begin(), rigFile.end(), '\n'), 22);
  open();
  EXPECT_EQ(w->linkPanel->settings(), saved);
}

// The follow window alone: its list, its choice and its loading.
class FollowWindow : public ::testing::Test {
 protected:
  FollowWindow() {
    d.BeaconTable = *parseBeacons(defaultBeaconData());
    win = std::make_unique<frmFollow>(d);
    win->onSelectBand = [this](int b) { bands.push_back(b); };
  }
  QRadioButton* option(int k) { return win->findChild<QRadioButton*>(QStringLiteral("opgFollowBeID_%1").arg(k)); }
  QPushButton* button(const char* name) { return win->findChild<QPushButton*>(name); }
  bool activeButtons() { return button("cmdActivate")->isEnabled() && button("cmdVoiceFollow")->isEnabled(); }

  test::ScriptedDialogs dialogs;
  PublicDecs d;
  std::unique_ptr<frmFollow> win;
  std::vector<int> bands;
};

// Loading lists the beacons with "no beacon" (hidden) chosen and 14 MHz selected; a
// beacon or its callsign chosen enables Activate and Voice, "no beacon" disables them.
TEST_F(FollowWindow, LoadListsTheBeaconsAndAChoiceEnablesActivate) {
  win->show();
  EXPECT_EQ(win->findChild<QLabel*>("lblVBeID_17")->text(), "YV5B");
  for (int k = 0; k < kBeaconCount; ++k) EXPECT_TRUE(option(k)->isVisible() && !option(k)->isChecked()) << k;
  EXPECT_TRUE(option(18)->isChecked() && !option(18)->isVisible());
  EXPECT_EQ(bands, std::vector<int>{0});
  EXPECT_FALSE(activeButtons());

  option(4)->click();
  EXPECT_EQ(win->chosenEntry(), 4);
  EXPECT_TRUE(activeButtons());
  QLabel* call = win->lblVBeID[11];
  QMouseEvent up(QEvent::MouseButtonRelease, QPointF(2, 2), call->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                 Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(call, &up);
  EXPECT_EQ(win->chosenEntry(), 11);
  EXPECT_TRUE(option(11)->isChecked());
  win->selectEntry(18);
  EXPECT_FALSE(button("cmdActivate")->isEnabled() || button("cmdVoiceFollow")->isEnabled());
}

// A choice made before the window is shown loads it hidden; every load starts afresh.
TEST_F(FollowWindow, EveryLoadStartsAfreshAndAChoiceWhileUnloadedLoadsHidden) {
  win->selectEntry(18);
  EXPECT_TRUE(win->isLoaded());
  EXPECT_FALSE(win->isVisible());
  win->show();  // already loaded: no second band change
  EXPECT_EQ(bands, std::vector<int>{0});
  option(3)->click();
  button("cmdVoiceFollow")->click();
  win->close();
  win->show();
  EXPECT_EQ(bands, (std::vector<int>{0, 0}));
  EXPECT_EQ(win->chosenEntry(), 18);
  EXPECT_EQ(button("cmdVoiceFollow")->text(), "Voice off");
  win->selectEntry(19);  // not an entry
  EXPECT_EQ(win->chosenEntry(), 18);
}

}  // namespace
}  // namespace harkola
