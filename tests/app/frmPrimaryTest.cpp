// The main window driven headless with a simulated clock, real files in temp folders.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "PrimaryFixture.h"
#include "analysis/frmChart.h"
#include "analysis/frmDataAnalysis.h"
#include "clock/frmGraph.h"
#include "voice/frmVoiceSel.h"

namespace harkola {
namespace {

class MainWindow : public test::PrimaryFixture {
 protected:
  void start(bool sound = true) { loaded = PrimaryFixture::start({2026, 12, 6, 10, 0, 5, 2}, sound); }
  // Started and ticked once, with the start-up notices forgotten.
  void running() {
    start();
    tick();
    dialogs.messages.clear();
  }
  bool loaded = false;
};

TEST_F(MainWindow, FirstStartWritesDefaultsAndShowsTheBeaconOnFourteen) {
  start();
  ASSERT_TRUE(loaded);
  ASSERT_EQ(dialogs.messages.size(), 5u) << ::testing::PrintToString(dialogs.texts());
  EXPECT_EQ(dialogs.messages[0].text, "Default home data written to file");
  EXPECT_TRUE(std::filesystem::exists(d.LogFilePath));
  tick();
  EXPECT_EQ(win->lblHome->text(), "London");
  EXPECT_EQ(win->lblDistanceUnits->text(), "m");
  EXPECT_EQ(win->lblSystemTime->text(), "10:00:05");
  EXPECT_EQ(win->lblSlotNumber->text(), "1");
  EXPECT_EQ(win->lblCallsign->text(), "4U1UN");
  EXPECT_EQ(win->lblCountry->text(), "New York");
  EXPECT_EQ(win->lblDx->text(), "3432");
  EXPECT_EQ(win->lblAz->text(), "287");
  EXPECT_TRUE(win->opgBandSelect[0]->isChecked());
  EXPECT_EQ(win->windowTitle(), "Harkola 5 ");
}

TEST_F(MainWindow, WithoutSoundOutputTheProgramEndsBeforeOpeningTheLog) {
  start(false);
  EXPECT_FALSE(loaded);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].title, "Harkola 5 terminating");
  EXPECT_EQ(dialogs.messages[0].icon, NoticeIcon::Critical);
  EXPECT_FALSE(std::filesystem::exists(dir / "logs"));
}

TEST_F(MainWindow, NewSlotRunsOnceAndMarksTheGraph) {
  running();
  win->mnuLogManual_Click();
  const long before = win->clock().newSlotCount;
  win->opgS_Click(4);
  EXPECT_TRUE(win->opgS[4]->isChecked());
  tick(4800);  // still slot 1
  EXPECT_EQ(win->clock().newSlotCount, before);
  tick(200);  // 10:00:10.1: slot 2
  EXPECT_EQ(win->clock().newSlotCount, before + 1);
  EXPECT_EQ(win->graphWindow()->Shape1[1]->indicator(), Indicator::Yellow);
  EXPECT_FALSE(win->opgS[4]->isChecked());
  EXPECT_TRUE(win->opgS[4]->isEnabled());
  EXPECT_EQ(win->lblCallsign->text(), "VE8AT");
}

TEST_F(MainWindow, BandChangeInMidSlotShowsTheBeaconOnTheNewBand) {
  running();
  win->opgBandSelect_Click(4);  // 28 MHz in slot 1: beacon 15
  tick();
  EXPECT_EQ(win->lblCallsign->text(), "CS3B");
  EXPECT_EQ(win->lblStatus->text(), "Off air");
  EXPECT_EQ(win->graphWindow()->Shape1[14]->indicator(), Indicator::Yellow);
  EXPECT_EQ(win->graphWindow()->Shape1[0]->indicator(), Indicator::ButtonFace);
}

TEST_F(MainWindow, DigitKeysLogOneRecordPerSlot) {
  PrimaryFixture::start({2026, 12, 6, 9, 59, 41, 2});  // slot 17: OA4B on 14 MHz
  tick();
  key('5');  // logging is off: nothing
  win->mnuLogManual_Click();
  key('0');
  key('q');
  EXPECT_EQ(heardLog(), "");
  key('5');
  key('5');
  const std::string first = "\"06-Dec-26\",\"9\",\"14\",\"OA4B\",\"5\"\r\n";
  EXPECT_EQ(heardLog(), first);
  EXPECT_EQ(win->lblSaved->styleSheet(), "background-color: rgb(0,0,255);");
  tick(20000);  // 10:00:01: slot 1, 4U1UN
  key('7');
  EXPECT_EQ(heardLog(), first + "\"06-Dec-26\",\"10\",\"14\",\"4U1UN\",\"7\"\r\n");
}

TEST_F(MainWindow, CancelledBackupKeepsTheLogAndArchiveWithYesEmptiesIt) {
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
  EXPECT_NE(slurp(archive).find("\"3\""), std::string::npos);
  tick(10000);
  key('2');  // the next record starts the new file
  EXPECT_EQ(heardLog().substr(0, 13), "\"06-Dec-26\",\"");
}

TEST_F(MainWindow, AutoLoggingWarnsAndPaintsTheButtonsRed) {
  running();
  win->mnuLogAuto_Click();
  EXPECT_TRUE(win->mnuLogAuto->isChecked());
  EXPECT_TRUE(win->mnuDisplayGraph->isChecked());
  EXPECT_EQ(dialogs.texts(), std::vector<std::string>{
                                 "Please note that Harkola AutoLog is designed for attended operation only.\r\n\r\n"
                                 "It must not be used or left running while unattended"});
  EXPECT_FALSE(win->opgS[1]->isEnabled());
  EXPECT_TRUE(win->opgS[1]->styleSheet().contains("background-color: rgb(255,0,0)"));
  key('5');
  EXPECT_EQ(heardLog(), "");
  win->mnuLogAuto_Click();
  EXPECT_FALSE(win->mnuLogAuto->isChecked());
  EXPECT_TRUE(win->opgS[1]->styleSheet().contains("background-color: rgb(192,192,192)"));
}

TEST_F(MainWindow, LogAnalysisPausesTheClockAndLoggingUntilItCloses) {
  running();
  win->mnuLogManual_Click();
  win->mnuChart_Click();
  ASSERT_NE(win->analysisWindow(), nullptr);
  EXPECT_FALSE(d.ClockRunning);
  EXPECT_FALSE(win->mnuLogManual->isChecked());
  const QString shown = win->lblSystemTime->text();
  tick(3000);
  EXPECT_EQ(win->lblSystemTime->text(), shown);  // the display froze
  win->analysisWindow()->close();
  EXPECT_TRUE(d.ClockRunning);
  EXPECT_TRUE(win->mnuLogManual->isChecked());
  key('4');
  EXPECT_FALSE(heardLog().empty());  // the heard log is open again
}

}  // namespace
}  // namespace harkola
