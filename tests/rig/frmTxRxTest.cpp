#include "rig/frmTxRx.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <functional>

#include "RigTestSupport.h"
#include "rig/RigLinkPanel.h"
#include "rig/RigLinkSettings.h"
#include "rig/SerialRigPort.h"
#include "support/Files.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "support/Tables.h"

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
  EXPECT_EQ(w->findChild<QLabel*>("lblRigCtrlString_11")->text(), "FA00021150000;");
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
  EXPECT_EQ(dialogs.messages.at(0).icon, NoticeIcon::Critical);
}

// Yes loads the Icom set with a notice; No keeps the Kenwood codes under the Icom maker.
TEST_F(RigSetupWindow, ChoosingIcomAnswersYesThenNo) {
  open();
  w->lstRigCtrlString->setCurrentRow(1);
  EXPECT_EQ(dialogs.texts(), (Texts{"This will delete your current settings and substitute default settings.  Do "
                                    "you want to proceed?",
                                    "Default rig control data written to file"}));
  EXPECT_EQ(d.RigTable, rigDefaults(kRigIcom));
  EXPECT_EQ(w->lstPortSet[1]->currentItem()->text(), "1200");
  EXPECT_EQ(w->lblRigCtrlString[1]->text(), "FEFE00E00103FD");

  useFile(kRigKenwood);
  open();
  dialogs.answers = {Answer::No};
  w->lstRigCtrlString->setCurrentRow(1);
  EXPECT_EQ(std::tuple(d.RigTable[kRigRowMaker][1], d.RigMakerCode, d.RigTable[7][1]),
            std::tuple("Icom", kRigIcom, "MD3;"));
}

// One double click on line 1 (its label or its code) and the answers to the prompts.
struct EditCase {
  const char* name;
  int maker;
  bool startOnLabel;
  std::vector<std::optional<QString>> answers;
  Texts prompts;
  std::string label, code;  // RigTable row 7 afterwards; the line shows them unless blanked
  bool lineBlanked = false;
  const char* message = nullptr;
};

class EditLine : public RigSetupWindow, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditLine, FollowsTheAnswers) {
  const auto& c = GetParam();
  useFile(c.maker);
  open();
  dialogs.inputs.assign(c.answers.begin(), c.answers.end());
  QWidget* target = c.startOnLabel ? static_cast<QWidget*>(w->lblRig[1]) : w->lblRigCtrlString[1];
  QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &e);
  Texts prompts;
  for (const auto& s : dialogs.inputPrompts) prompts.push_back(s.section('\n', 0, 0).toStdString());
  EXPECT_EQ(prompts, c.prompts);
  // Each prompt says which line it is and what it holds now.
  EXPECT_TRUE(dialogs.inputPrompts.at(0).contains("\n\nLine 1 of 14, \"CW mode\", code now: ")) << prompts[0];
  EXPECT_EQ(dialogs.beeps, static_cast<int>(c.prompts.size()));
  EXPECT_EQ(std::pair(d.RigTable[7][0], d.RigTable[7][1]), std::pair(c.label, c.code));
  EXPECT_EQ(std::pair(w->lblRig[1]->text().toStdString(), w->lblRigCtrlString[1]->text().toStdString()),
            c.lineBlanked ? std::pair(std::string(), std::string()) : std::pair(c.label, c.code));
  EXPECT_EQ(dialogs.texts(), c.message ? Texts{c.message} : Texts{});
}

const std::string kCode = "Enter new control code";
const std::string kLabel = "Enter new control code label";

INSTANTIATE_TEST_SUITE_P(
    Answers, EditLine,
    ::testing::Values(
        EditCase{"KenwoodTextUnchecked", kRigKenwood, false, {"MD3", std::nullopt}, {kCode, kLabel}, "CW mode",
                 "MD3"},
        EditCase{"LabelThenCode", kRigKenwood, true, {"Mode", "MD2;"}, {kLabel, kCode}, "Mode", "MD2;"},
        EditCase{"OddHexRefused", kRigIcom, false, {"ABC"}, {kCode}, "CW mode", "FEFE00E00103FD", false,
                 "Data entry must be an even number of hex codes"},
        EditCase{"CancelChangesNothing", kRigKenwood, false, {std::nullopt}, {kCode}, "CW mode", "MD3;"},
        EditCase{"LeaveBlankCode", kRigKenwood, false, {"Leave blank"}, {kCode}, "CW mode", "", true},
        EditCase{"LeaveBlankLabel", kRigKenwood, true, {"Leave blank"}, {kLabel}, "", "MD3;", true}),
    test::rowName);

// The yellow marking stays on the lines already tested until the routine ends. A port
// setting clicked changes the file only on leaving; No to the quit question keeps both
// the window and the file as they were. A completed test is saved as such.
TEST_F(RigSetupWindow, TestAnsweredNoLeavesFalseAndACompletedTestIsSaved) {
  open();
  w->lstPortSet[2]->setCurrentRow(4);
  EXPECT_EQ(d.RigTable[kRigRowParity][1], "Space");
  std::vector<int> yellowAtQuestion;
  dialogs.onMessage = [&](const Notice& n) {
    for (int i = 1; n.text == "Continue ?" && i <= frmTxRx::kLines; ++i)
      if (codeColour(i) == QColor(255, 255, 0)) yellowAtQuestion.push_back(i);
  };
  dialogs.answers = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::Yes, Answer::No};
  w->cmdTest->click();
  EXPECT_EQ(yellowAtQuestion, (std::vector<int>{1, 1, 2, 1, 2, 3, 1, 2, 3, 4, 1, 2, 3, 4, 5}));
  EXPECT_EQ(port.writes, (Texts{"MD3;", "FW0500;", "EX0380001;", "MD1;"}));
  EXPECT_EQ(dialogs.texts().back(), "Testing complete");
  EXPECT_FALSE(d.RigTested || port.isOpen());
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

}  // namespace
}  // namespace harkola
