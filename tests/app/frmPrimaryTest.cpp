// The main window driven headless with a simulated clock, real files in temp folders:
// what it shows at a glance (UTC beside the local time, which logging is on, which S
// buttons take a click, a frame without an empty strip) and follow mode through its
// menu and the follow window; then every other window opened once and closed the way the
// user closes the program: nothing may call into a window that is being destroyed.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdlib>
#include <ctime>

#include "PrimaryFixture.h"
#include "analysis/frmChart.h"
#include "analysis/frmDataAnalysis.h"
#include "audio/frmAnalyser.h"
#include "clock/frmGraph.h"
#include "rig/frmFollow.h"
#include "support/WaitFor.h"
#include "voice/frmVoiceSel.h"

namespace harkola {
namespace {

using MainWindow = test::PrimaryFixture;
const LocalTime kMorning{2026, 12, 6, 10, 0, 5, 2};

TEST_F(MainWindow, FirstStartWritesDefaultsAndShowsTheBeaconOnFourteen) {
  ASSERT_TRUE(start(kMorning));
  ASSERT_EQ(dialogs.messages.size(), 5u) << ::testing::PrintToString(dialogs.texts());
  EXPECT_TRUE(std::filesystem::exists(d.LogFilePath));
  tick();
  EXPECT_EQ(QStringList({win->lblHome->text(), win->lblSlotNumber->text(), win->lblCallsign->text(),
                         win->lblDx->text()}).join('|'),
            "London|1|4U1UN|3432");
  EXPECT_EQ(checkedBand(), 0);
}

TEST_F(MainWindow, WithoutSoundOutputTheProgramEndsBeforeOpeningTheLog) {
  EXPECT_FALSE(start(kMorning, false));
  EXPECT_EQ(dialogs.messages.size(), 1u);
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
}

// The keys reach the clock while manual logging is on (its logging rules are checked
// there); S9 fills a bar, S1 shows one ninth, a beacon not heard in its slot keeps bar 0
// with its indicator yellow.
TEST_F(MainWindow, SessionGraphBarsShowTheLoggedLevels) {
  running();  // 10:00:05, slot 1
  win->mnuLogManual_Click();
  key('q');
  EXPECT_EQ(heardLog(), "");
  key('9');
  EXPECT_TRUE(win->opgS[9]->isChecked());
  EXPECT_EQ(heardLog(), "\"06-Dec-26\",\"10\",\"14\",\"4U1UN\",\"9\"\r\n");
  tick(5000);  // slot 2
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
  ASSERT_FALSE(heardLog().empty());

  const auto archive = dir / "logs/archive.csv";
  dialogs.files.push_back(FileDialogResult{false, archive.string()});
  dialogs.answers = {Answer::Ok, Answer::Yes};
  win->mnuArchiveLog_Click();
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
// completed setup test starts it on the next activation; closing the program finishes it.
TEST_F(MainWindow, RigControlColoursMenusAndItsFinishAtExit) {
  running();
  d.RigTested = true;
  rig.fail = "Cannot start rig control due to serial port error";  // a rig that cannot start
  win->mnuRigCtrlActivate_Click();
  EXPECT_TRUE(!win->mnuRigCtrlActivate->isChecked() && win->mnuRigSetup->isEnabled());
  EXPECT_EQ(dialogs.texts().back(), rig.fail);  // the rig's own words
  rig.fail.clear();
  rig.calls.clear();
  auto bandSheet = [&] { return win->opgBandSelect[0]->styleSheet(); };
  win->mnuRigCtrlActivate_Click();
  EXPECT_TRUE(win->mnuRigCtrlActivate->isChecked() && !win->mnuRigSetup->isEnabled() &&
              bandSheet().contains("rgb(255,0,0)"));
  win->opgBandSelect_Click(2);
  win->mnuRigCtrlActivate_Click();
  EXPECT_TRUE(!win->mnuRigCtrlActivate->isChecked() && win->mnuRigSetup->isEnabled() &&
              bandSheet().contains("rgb(0,0,255)"));
  win->opgBandSelect_Click(3);  // rig control off: the rig is left alone
  EXPECT_EQ(rig.calls, (std::vector<std::string>{"start 14", "band 21", "finish"}));

  d.RigStartPending = true;  // as the setup window leaves it after a completed test
  win->activate();
  EXPECT_TRUE(!d.RigStartPending && win->mnuRigCtrlActivate->isChecked());
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

// In a zone five hours behind UTC (a POSIX rule: no zone database needed); the suite
// runs in UTC.
TEST_F(MainWindow, ShowsUtcBesideTheLocalTime) {
  setenv("TZ", "EST5", 1);
  tzset();
  running({2026, 12, 6, 22, 30, 5, 2});
  EXPECT_EQ(win->lblSystemTime->text() + " " + win->lblUtcTime->text(), "22:30:05 03:30:05 UTC");
  setenv("TZ", "UTC", 1);
  tzset();
}

// The log buttons are checked exactly while their logging runs, whether switched from
// the button or the menu. Automatic logging comes with its warning and the session graph,
// and the keys log nothing while it runs; after it the S buttons are grey.
TEST_F(MainWindow, LogButtonsShowWhichLoggingIsOn) {
  running();
  auto state = [this] { return std::pair(win->cmdALog->isChecked(), win->cmdMLog->isChecked()); };
  EXPECT_EQ(state(), std::pair(false, false));
  win->cmdMLog->click();
  EXPECT_EQ(state(), std::pair(false, true));
  win->cmdALog->click();  // automatic takes over from manual
  EXPECT_EQ(state(), std::pair(true, false));
  EXPECT_TRUE(win->mnuDisplayGraph->isChecked());
  EXPECT_EQ(dialogs.messages.size(), 1u);  // the warning
  key('5');
  EXPECT_EQ(heardLog(), "");
  win->mnuLogAuto->trigger();
  EXPECT_EQ(state(), std::pair(false, false));
  EXPECT_TRUE(win->opgS[1]->styleSheet().contains("background-color: rgb(192,192,192)"));
  win->mnuLogManual->trigger();
  EXPECT_EQ(state(), std::pair(false, true));
  win->cmdMLog->click();
  EXPECT_EQ(state(), std::pair(false, false));
}

// Bright pixels (the digits) of a button as drawn.
int brightPixels(QWidget* w) {
  const QImage img = w->grab().toImage();
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QColor c = img.pixelColor(x, y);
      n += c.red() > 230 && c.green() > 230 && c.blue() > 230;
    }
  return n;
}

// While automatic logging runs the S buttons keep their red but take no click: their
// digits fade, so they cannot pass for the red buttons of manual logging. The window is
// fixed to its contents: a window manager then draws no empty resize strip under it.
TEST_F(MainWindow, DisabledSButtonsLookDisabledAndTheFrameIsFixed) {
  running();
  win->show();
  EXPECT_EQ(win->minimumSize(), win->maximumSize());
  win->mnuLogManual_Click();
  ASSERT_TRUE(win->opgS[5]->isEnabled());
  const int enabled = brightPixels(win->opgS[5]);
  win->mnuLogAuto_Click();
  ASSERT_FALSE(win->opgS[5]->isEnabled());
  ASSERT_TRUE(win->opgS[5]->styleSheet().contains("background-color: rgb(255,0,0)"));
  EXPECT_GT(enabled, 10);
  EXPECT_LT(brightPixels(win->opgS[5]) * 2, enabled);
}

// While following, the band buttons take no click and the separator lines are red.
void expectFollowDisplay(const frmPrimary& win, bool following) {
  for (auto* b : win.opgBandSelect) EXPECT_EQ(b->isEnabled(), !following);
  for (auto* l : win.separatorLines)
    EXPECT_EQ(l->styleSheet(), following ? "background-color: rgb(255,0,0);" : "background-color: rgb(0,0,255);");
}

// The stepping itself is the clock's (checked there for every slot); here the window
// shows it: the band buttons and the labels follow beacon 3 up from 14 MHz, the follow
// graph names it; unchecking the entry ends logging and returns to 14 MHz.
TEST_F(MainWindow, TheChosenBeaconIsFollowedUntilTheFollowEntryIsUnchecked) {
  running();  // slot 1 on 14 MHz
  follow(3);
  EXPECT_FALSE(win->followWindow()->isVisible());
  EXPECT_TRUE(win->mnuFollowBeacon->isChecked());
  win->mnuLogManual_Click();
  frmGraphFollow* g = win->followGraphWindow();
  EXPECT_TRUE(g->isVisible());
  EXPECT_FALSE(win->graphWindow()->isVisible());
  EXPECT_EQ(g->windowTitle(), "Harkola 5   Logged S meter readings for W6WX, USA");
  tick(30000);  // slot 4: beacon 3 has moved up to 18 MHz
  EXPECT_EQ(checkedBand(), 1);
  EXPECT_EQ(win->lblCallsign->text(), "W6WX");
  expectFollowDisplay(*win, true);

  win->mnuFollowBeacon->trigger();
  EXPECT_FALSE(win->mnuFollowBeacon->isChecked() || d.FollowMode);
  EXPECT_FALSE(win->mnuLogManual->isChecked() || win->mnuDisplayGraph->isChecked() || g->isVisible());
  EXPECT_EQ(checkedBand(), 0);
  expectFollowDisplay(*win, false);

  // Clear ends following and every announcement at once.
  follow(7);
  d.VoiceSelected.fill(true);
  win->followWindow()->cmdClear->click();
  EXPECT_FALSE(d.FollowMode || win->mnuFollowBeacon->isChecked() || win->followWindow()->isVisible());
  EXPECT_EQ(std::count(d.VoiceSelected.begin(), d.VoiceSelected.end(), true), 0);
  EXPECT_EQ(win->lblVInd->text(), "OFF");
  expectFollowDisplay(*win, false);
}

TEST_F(MainWindow, EveryWindowOpenedOnceThenTheProgramClosesCleanly) {
  ASSERT_TRUE(start(kMorning));
  tick();
  // Modal windows (editors, rig setup, about, help) are closed as soon as they are up.
  QTimer closer;
  int modalsClosed = 0;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (QWidget* m = QApplication::activeModalWidget()) {
      m->close();
      ++modalsClosed;
    }
  });
  closer.start(20);

  // Log analysis with a summary and its chart.
  win->mnuChart_Click();
  frmDataAnalysis* analysis = win->analysisWindow();
  ASSERT_NE(analysis, nullptr);
  const std::string sample = (std::filesystem::path(d.LogFolder) / "Chart Sample.csv").string();
  dialogs.files.push_back({false, sample});
  analysis->cmdOpenFile->click();
  ASSERT_TRUE(test::waitFor([&] { return !analysis->busy(); }));
  for (QAbstractButton* b : {analysis->chkSelFunction[1], analysis->chkChartBandSel[0], analysis->beID[0]})
    b->click();
  analysis->cmdSummarise->click();
  ASSERT_TRUE(test::waitFor([&] { return !analysis->busy(); }));
  analysis->cmdChart->click();
  ASSERT_NE(analysis->chart(), nullptr);

  win->mnuLogAuto_Click();  // the analyser
  ASSERT_NE(win->analyserWindow(), nullptr);
  win->analyserWindow()->cmdTestButton_Click();
  win->mnuFollowBeacon->trigger();
  win->mnuVoiceActivate_Click();
  win->mnuNextBeacon_Click();
  for (QAction* modal : {win->mnuData, win->mnuHome, win->mnuAbout, win->mnuHelpFile}) modal->trigger();
  d.RigTested = true;
  win->mnuRigSetup_Click();
  EXPECT_GE(modalsClosed, 4);
  EXPECT_TRUE(win->followWindow() && win->voiceWindow());

  win->close();
  EXPECT_TRUE(win->isShutDown());
  EXPECT_FALSE(d.ClockRunning) << "closing the analysis window on the way out must not restart the clock";
  win.reset();  // the main window and everything it owns go; the process must live on
  closer.stop();
}

}  // namespace
}  // namespace harkola
