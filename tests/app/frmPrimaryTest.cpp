// The main window driven headless with a simulated clock, real files in temp folders.
#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "PrimaryFixture.h"
#include "analysis/frmDataAnalysis.h"
#include "clock/frmGraph.h"

namespace harkola {
namespace {

class MainWindow : public test::PrimaryFixture {
 protected:
  void start(bool sound = true) { loaded = PrimaryFixture::start({2026, 12, 6, 10, 0, 5, 2}, sound); }
  bool loaded = false;
};

TEST_F(MainWindow, FirstStartWritesDefaultsAndShowsTheBeaconOnFourteen) {
  start();
  ASSERT_TRUE(loaded);
  ASSERT_EQ(dialogs.messages.size(), 5u) << ::testing::PrintToString(dialogs.texts());
  EXPECT_EQ(dialogs.messages[0].text, "Default home data written to file");
  EXPECT_TRUE(std::filesystem::exists(d.LogFilePath));
  tick();
  EXPECT_EQ(QStringList({win->lblHome->text(), win->lblDistanceUnits->text(), win->lblSystemTime->text(),
                         win->lblSlotNumber->text(), win->lblCallsign->text(), win->lblCountry->text(),
                         win->lblDx->text(), win->lblAz->text(), win->windowTitle()})
                .join('|'),
            "London|m|10:00:05|1|4U1UN|New York|3432|287|Harkola 5 ");
  EXPECT_TRUE(win->opgBandSelect[0]->isChecked());
}

TEST_F(MainWindow, WithoutSoundOutputTheProgramEndsBeforeOpeningTheLog) {
  start(false);
  EXPECT_FALSE(loaded);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(std::pair(dialogs.messages[0].title, dialogs.messages[0].icon),
            std::pair(std::string("Harkola 5 terminating"), NoticeIcon::Critical));
  EXPECT_FALSE(std::filesystem::exists(dir / "logs"));
  EXPECT_TRUE(win->isShutDown()) << "the program ends through its closing sequence";
}

TEST_F(MainWindow, BandChangeInMidSlotShowsTheBeaconOnTheNewBand) {
  running();
  win->mnuLogManual_Click();
  win->opgS_Click(4);
  win->opgBandSelect_Click(4);  // 28 MHz in slot 1: beacon 15
  // At once, before the next tick: beacon, status and next beacon all of the new band.
  EXPECT_EQ(win->lblCallsign->text() + " " + win->lblCountry->text() + " " + win->lblStatus->text(),
            "CS3B Madeira Off air");
  EXPECT_FALSE(win->opgS[4]->isChecked()) << "a band change clears the S buttons";
  tick();
  EXPECT_EQ(win->graphWindow()->Shape1[14]->indicator(), Indicator::Yellow);
}

// The keys reach the clock while manual logging is on (its one-record-per-slot rule is
// checked there); S9 fills a bar, S1 shows one ninth, a beacon not heard in its slot
// keeps bar 0 with its indicator yellow; each new slot frees the S buttons again.
TEST_F(MainWindow, SessionGraphBarsShowTheLoggedLevels) {
  running();  // 10:00:05, slot 1
  key('5');  // logging is off: nothing
  win->mnuLogManual_Click();
  key('q');
  EXPECT_EQ(heardLog(), "");
  key('9');
  EXPECT_TRUE(win->opgS[9]->isChecked());
  EXPECT_EQ(heardLog(), "\"06-Dec-26\",\"10\",\"14\",\"4U1UN\",\"9\"\r\n");
  EXPECT_EQ(win->lblSaved->styleSheet(), "background-color: rgb(0,0,255);");
  tick(5000);  // slot 2
  EXPECT_TRUE(!win->opgS[9]->isChecked() && win->opgS[9]->isEnabled());
  EXPECT_EQ(win->lblCallsign->text(), "VE8AT");
  key('1');
  tick(10000);  // slot 3: nothing logged
  tick(10000);
  const auto& bars = win->graphWindow()->ProgressBar1;
  EXPECT_EQ(bars[0]->value(), bars[0]->maximum());
  EXPECT_EQ(bars[1]->value() * 9, bars[1]->maximum() - bars[1]->minimum());
  EXPECT_EQ(bars[2]->value(), 0);
  EXPECT_EQ(win->graphWindow()->Shape1[2]->indicator(), Indicator::Yellow);
}

// A cancelled backup keeps the log; an archive answered Yes empties it; neither is ever
// made onto the live log.
TEST_F(MainWindow, BackupAndArchiveKeepTheLiveLogWhole) {
  running();
  win->mnuLogManual_Click();
  key('3');
  win->mnuBackupLog_Click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Backup file NOT saved");
  EXPECT_EQ(dialogs.messages[0].title, "Harkola 5 Backup");
  EXPECT_EQ(dialogs.fileRequests[0].fileName, "Harkola 5 backup Log 06-Dec-26.csv");
  ASSERT_FALSE(heardLog().empty());

  dialogs.messages.clear();
  const auto archive = dir / "logs/archive.csv";
  dialogs.files.push_back(FileDialogResult{false, archive.string()});
  dialogs.answers = {Answer::Ok, Answer::Yes};
  win->mnuArchiveLog_Click();
  ASSERT_EQ(dialogs.fileRequests.size(), 2u);
  EXPECT_EQ(dialogs.fileRequests[1].fileName, "Harkola 5 Archive Log 06-Dec-26.csv");
  EXPECT_EQ(dialogs.fileRequests[1].initialFolder, d.LogFolder);
  EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{archive.string() + " has been saved",
                                                        "Do you want to start new log file?"}));
  EXPECT_EQ(heardLog(), "");
  EXPECT_NE(test::fileText(archive).find("\"3\""), std::string::npos);
  tick(10000);
  key('2');  // the next record starts the new file
  EXPECT_EQ(heardLog().substr(0, 13), "\"06-Dec-26\",\"");

  // The live log is no backup or archive of itself, whatever name the dialog returns for
  // it: the copy is refused and the log stays whole, still open for appending.
  const std::string before = heardLog();
  const std::string sameByAnotherName = (dir / "logs" / ".." / "logs").string() + "/Harkola 5 Heard Log.csv";
  for (bool archive : {false, true}) {
    dialogs.messages.clear();
    dialogs.files.push_back(FileDialogResult{false, archive ? d.LogFilePath : sameByAnotherName});
    dialogs.answers = {Answer::Yes};
    archive ? win->mnuArchiveLog_Click() : win->mnuBackupLog_Click();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{archive ? "Archive file NOT saved" : "Backup file NOT saved"});
    EXPECT_EQ(heardLog(), before);
  }
  tick(10000);
  key('4');
  EXPECT_GT(heardLog().size(), before.size());
}

// Rig control through the main window: a rig that cannot start leaves it off; red band
// buttons and the setup entry disabled while it runs, band changes retune, blue buttons and the entry back after it ends; a
// completed setup test starts it on the next activation (with the transmit warning);
// closing the program finishes it.
TEST_F(MainWindow, RigControlColoursMenusAndItsFinishAtExit) {
  running();
  d.RigTested = true;
  auto& rig = devices.rig;
  rig.fail = "Cannot start rig control due to serial port error";  // a rig that cannot start
  win->mnuRigCtrlActivate_Click();
  EXPECT_TRUE(!win->mnuRigCtrlActivate->isChecked() && win->mnuRigSetup->isEnabled());
  EXPECT_EQ(dialogs.texts().back(), rig.fail);  // the rig's own words
  rig.fail.clear();
  rig.calls.clear();
  dialogs.messages.clear();
  auto bandSheet = [&] { return win->opgBandSelect[0]->styleSheet(); };
  EXPECT_TRUE(bandSheet().contains("rgb(0,0,255)"));
  win->mnuRigCtrlActivate_Click();
  EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Please check and ensure your rig cannot transmit - see help files"});
  EXPECT_TRUE(win->mnuRigCtrlActivate->isChecked());
  EXPECT_FALSE(win->mnuRigSetup->isEnabled());
  EXPECT_TRUE(bandSheet().contains("rgb(255,0,0)"));
  win->opgBandSelect_Click(2);
  win->mnuRigCtrlActivate_Click();
  EXPECT_FALSE(win->mnuRigCtrlActivate->isChecked());
  EXPECT_TRUE(win->mnuRigSetup->isEnabled());
  EXPECT_TRUE(bandSheet().contains("rgb(0,0,255)")) << bandSheet().toStdString();
  win->opgBandSelect_Click(3);  // rig control off: the rig is left alone
  EXPECT_EQ(rig.calls, (std::vector<std::string>{"start 14", "band 21", "finish"}));

  dialogs.messages.clear();
  d.RigStartPending = true;  // as the setup window leaves it after a completed test
  win->activate();
  EXPECT_FALSE(d.RigStartPending);
  EXPECT_TRUE(win->mnuRigCtrlActivate->isChecked());
  EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Please check and ensure your rig cannot transmit - see help files"});
  win->close();
  EXPECT_EQ(rig.calls, (std::vector<std::string>{"start 14", "band 21", "finish", "start 24", "finish"}));
}

TEST_F(MainWindow, LogAnalysisPausesTheClockAndLoggingUntilItCloses) {
  running();
  win->mnuLogManual_Click();
  win->mnuChart_Click();
  ASSERT_NE(win->analysisWindow(), nullptr);
  // Its own top-level window beside the main window, not painted inside it.
  EXPECT_TRUE(win->analysisWindow()->isWindow() && win->analysisWindow()->windowFlags().testFlag(Qt::Window));
  EXPECT_FALSE(d.ClockRunning || win->mnuLogManual->isChecked());
  const QString shown = win->lblSystemTime->text();
  tick(3000);
  EXPECT_EQ(win->lblSystemTime->text(), shown);  // the display froze
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(win->analysisWindow(), &escape);  // closes it, even with no file loaded
  EXPECT_TRUE(d.ClockRunning && win->mnuLogManual->isChecked());
  key('4');
  EXPECT_FALSE(heardLog().empty());  // the heard log is open again
}

}  // namespace
}  // namespace harkola
