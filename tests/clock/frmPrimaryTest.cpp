// The main window driven headless with a simulated clock, real files in temp folders.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "audio/WavFileSource.h"
#include "audio/frmGraph.h"
#include "clock/frmPrimary.h"
#include "voice/frmVoiceSel.h"
#include "support/ScriptedDialogs.h"

namespace harkola {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("harkola-main-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "data");
    d.LogFolder = (root / "logs").string();
    time.current = LocalTime{2026, 12, 6, 10, 0, 5, 2};
  }
  void TearDown() override {
    win.reset();
    fs::remove_all(root);
  }
  void start(bool sound = true) {
    PrimaryServices s;
    s.time = &time;
    s.dataFolder = (root / "data").string();
    s.soundCardTest = [sound] { return sound; };
    s.showClosingWindow = false;
    s.startTicker = false;
    s.capture = &recording;  // automatic logging needs a sound input
    win = std::make_unique<frmPrimary>(d, s);
    loaded = win->load();
    if (loaded) win->activate();
  }
  void tick(long ms = 100) {
    for (long t = 0; t < ms; t += 100) {
      time.advanceMs(100);
      win->onTick();
    }
  }
  void key(char c) {
    QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c)));
    QApplication::sendEvent(win.get(), &e);
  }
  std::string heardLog() const { return slurp(d.LogFilePath); }

  fs::path root;
  PublicDecs d;
  ManualTimeSource time;
  test::ScriptedDialogs dialogs;
  WavFileInputs recording{std::vector<std::int16_t>(kSampleRate), "recording"};
  std::unique_ptr<frmPrimary> win;
  bool loaded = false;
};

TEST_F(MainWindow, FirstStartWritesDefaultsAndShowsTheBeaconOnFourteen) {
  start();
  ASSERT_TRUE(loaded);
  ASSERT_EQ(dialogs.messages.size(), 5u) << ::testing::PrintToString(dialogs.texts());
  EXPECT_EQ(dialogs.messages[0].text, "Default home data written to file");
  EXPECT_TRUE(fs::exists(d.LogFilePath));
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
  EXPECT_FALSE(fs::exists(root / "logs"));
}

TEST_F(MainWindow, NewSlotRunsOnceAndMarksTheGraph) {
  start();
  win->mnuLogManual_Click();
  tick();
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
  start();
  tick();
  win->opgBandSelect_Click(4);  // 28 MHz in slot 1: beacon 15
  tick();
  EXPECT_EQ(win->lblCallsign->text(), "CS3B");
  EXPECT_EQ(win->lblStatus->text(), "Off air");
  EXPECT_EQ(win->graphWindow()->Shape1[14]->indicator(), Indicator::Yellow);
  EXPECT_EQ(win->graphWindow()->Shape1[0]->indicator(), Indicator::ButtonFace);
}

TEST_F(MainWindow, DigitKeysLogOneRecordPerSlot) {
  time.current = LocalTime{2026, 12, 6, 9, 59, 41, 2};  // slot 17: OA4B on 14 MHz
  start();
  tick();
  key('5');  // logging is off: nothing
  win->mnuLogManual_Click();
  key('0');
  key('q');
  EXPECT_EQ(heardLog(), "");
  key('5');
  key('5');
  EXPECT_EQ(heardLog(), "\"06-Dec-26\",\"9\",\"14\",\"OA4B\",\"5\"\r\n");
  EXPECT_EQ(win->lblSaved->styleSheet(), "background-color: rgb(0,0,255);");
  tick(20000);  // 10:00:01: slot 1, 4U1UN
  key('7');
  EXPECT_EQ(heardLog(),
            "\"06-Dec-26\",\"9\",\"14\",\"OA4B\",\"5\"\r\n"
            "\"06-Dec-26\",\"10\",\"14\",\"4U1UN\",\"7\"\r\n");
}

TEST_F(MainWindow, ArchiveWithYesLeavesAnEmptyLog) {
  start();
  tick();
  win->mnuLogManual_Click();
  key('3');
  ASSERT_FALSE(heardLog().empty());
  const fs::path archive = root / "logs" / "archive.csv";
  dialogs.messages.clear();
  dialogs.files.push_back(FileDialogResult{false, archive.string()});
  dialogs.answers = {Answer::Ok, Answer::Yes};
  win->mnuArchiveLog_Click();
  ASSERT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(dialogs.fileRequests[0].fileName, "Harkola 5 Archive Log 06-Dec-26.csv");
  EXPECT_EQ(dialogs.fileRequests[0].initialFolder, d.LogFolder);
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].text, archive.string() + " has been saved");
  EXPECT_EQ(dialogs.messages[1].text, "Do you want to start new log file?");
  EXPECT_EQ(heardLog(), "");
  EXPECT_NE(slurp(archive).find("\"3\""), std::string::npos);
  tick(10000);
  key('2');  // the next record starts the new file
  EXPECT_EQ(heardLog().substr(0, 13), "\"06-Dec-26\",\"");
}

TEST_F(MainWindow, CancelledBackupSaysNotSavedAndKeepsLogging) {
  start();
  tick();
  dialogs.messages.clear();
  win->mnuBackupLog_Click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Backup file NOT saved");
  EXPECT_EQ(dialogs.messages[0].title, "Harkola 5 Backup");
  EXPECT_EQ(dialogs.fileRequests[0].fileName, "Harkola 5 backup Log 06-Dec-26.csv");
  win->mnuLogManual_Click();
  key('6');
  EXPECT_FALSE(heardLog().empty());
}

TEST_F(MainWindow, AutoLoggingWarnsAndPaintsTheButtonsRed) {
  start();
  tick();
  dialogs.messages.clear();
  win->mnuLogAuto_Click();
  EXPECT_TRUE(win->mnuLogAuto->isChecked());
  EXPECT_TRUE(win->mnuDisplayGraph->isChecked());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            "Please note that Harkola AutoLog is designed for attended operation only.\r\n\r\n"
            "It must not be used or left running while unattended");
  EXPECT_FALSE(win->opgS[1]->isEnabled());
  EXPECT_TRUE(win->opgS[1]->styleSheet().contains("background-color: rgb(255,0,0)"));
  key('5');
  EXPECT_EQ(heardLog(), "");
  win->mnuLogAuto_Click();
  EXPECT_FALSE(win->mnuLogAuto->isChecked());
  EXPECT_TRUE(win->opgS[1]->styleSheet().contains("background-color: rgb(192,192,192)"));
}

}  // namespace
}  // namespace harkola

namespace harkola {
namespace {

TEST_F(MainWindow, VoiceWindowDrivesTheIndicator) {
  start();
  tick();
  win->mnuVoiceActivate_Click();
  ASSERT_NE(win->voiceWindow(), nullptr);
  auto* allOn = win->voiceWindow()->findChild<QPushButton*>("cmdAllOn");
  ASSERT_NE(allOn, nullptr);
  allOn->click();
  EXPECT_EQ(win->lblVInd->text(), "ON");
  EXPECT_TRUE(d.VoiceSelected[17]);
}

}  // namespace
}  // namespace harkola

#include "analysis/frmChart.h"
#include "analysis/frmDataAnalysis.h"

namespace harkola {
namespace {

TEST_F(MainWindow, LogAnalysisPausesTheClockAndLoggingUntilItCloses) {
  start();
  tick();
  win->mnuLogManual_Click();
  win->mnuChart_Click();
  ASSERT_NE(win->analysisWindow(), nullptr);
  EXPECT_FALSE(d.ClockRunning);
  EXPECT_FALSE(win->mnuLogManual->isChecked());
  const std::string shown = win->lblSystemTime->text().toStdString();
  tick(3000);
  EXPECT_EQ(win->lblSystemTime->text().toStdString(), shown);  // the display froze
  win->analysisWindow()->close();
  EXPECT_TRUE(d.ClockRunning);
  EXPECT_TRUE(win->mnuLogManual->isChecked());
  key('4');
  EXPECT_FALSE(heardLog().empty());  // the heard log is open again
}

}  // namespace
}  // namespace harkola
