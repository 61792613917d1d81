// Automatic logging end to end in the main window: the analyser captures a recording
// released in step with a simulated clock, the clock's heard test writes the heard log.
#include <gtest/gtest.h>

#include <QRadioButton>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "audio/WavFileSource.h"
#include "audio/frmAnalyser.h"
#include "clock/frmGraph.h"
#include "audio/AnalyserTestSupport.h"
#include "app/frmPrimary.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "support/TestDevices.h"

namespace harkola {
namespace {

namespace fs = std::filesystem;

class AutoLogging : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root / "data");
    d.LogFolder = (root / "logs").string();
    // 10:00:00 on 14 MHz: slot 1 is 4U1UN, slot 2 VE8AT, slot 3 W6WX, slot 4 KH6RS.
    time.current = LocalTime{2026, 12, 6, 10, 0, 0, 0};
  }
  void TearDown() override { win.reset(); }
  // Tone in the listed slots of 40 s of audio that starts at 10:00:00.000.
  void start(const std::set<int>& toneSlots) {
    inputs = std::make_unique<WavFileInputs>(test::beaconAudio(40, toneSlots), "recording", false);
    inputs->realTime = false;
    open(inputs.get());
  }
  void open(CaptureProvider* capture) {
    PrimaryServices s;
    s.time = &time;
    devices.fill(s);
    s.dataFolder = (root / "data").string();
    s.soundCardTest = [] { return true; };
    s.showClosingWindow = false;
    s.startTicker = false;
    s.capture = capture;
    win = std::make_unique<frmPrimary>(d, s);
    ASSERT_TRUE(win->load());
    win->activate();
    dialogs.messages.clear();
  }
  // Runs `ms` of wall time: the audio that has arrived by each tick is analysed first.
  void run(long ms) {
    for (long t = 0; t < ms; t += 100) {
      time.advanceMs(100);
      elapsedMs += 100;
      if (auto* src = inputs->lastCreated; src && src->isRunning()) {
        const long long due = elapsedMs * kSampleRate / 1000;
        src->deliverBlocks(static_cast<int>((due - src->samplesDelivered()) / kBlockSamples));
      }
      win->onTick();
    }
  }
  std::string heardLog() const {
    std::ifstream in(d.LogFilePath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  std::vector<std::string> records() const {
    std::vector<std::string> r;
    std::istringstream in(heardLog());
    for (std::string line; std::getline(in, line);) r.push_back(line);
    return r;
  }

  test::TempFolder root{"harkola-autolog"};
  PublicDecs d;
  test::TestDevices devices{d};
  ManualTimeSource time;
  test::ScriptedDialogs dialogs;
  std::unique_ptr<WavFileInputs> inputs;
  std::unique_ptr<frmPrimary> win;
  long long elapsedMs = 0;
};

TEST_F(AutoLogging, OneRecordPerHeardSlotAndNoneForASilentOne) {
  start({0, 2});
  win->mnuLogAuto_Click();
  frmAnalyser* a = win->analyserWindow();
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->isVisible() && win->mnuLogAuto->isChecked());
  ASSERT_EQ(dialogs.messages.size(), 1u);  // the attended-operation warning
  a->StartButton->click();
  run(100);
  EXPECT_EQ(a->lblListen->text() + a->lblCountDown->text(), "Listening for seconds:8");
  run(8000);
  EXPECT_EQ(a->lblListen->text() + a->lblCountDown->text(), "Waiting for new slot");
  run(31000);

  const auto r = records();
  ASSERT_EQ(r.size(), 2u) << heardLog();
  EXPECT_EQ(r[0].rfind("\"06-Dec-26\",\"10\",\"14\",\"4U1UN\",\"", 0), 0u) << r[0];
  EXPECT_EQ(r[1].rfind("\"06-Dec-26\",\"10\",\"14\",\"W6WX\",\"", 0), 0u) << r[1];
  EXPECT_EQ(win->lblSaved->styleSheet(), "background-color: rgb(192,192,192);");  // slot 4: silent
}

TEST_F(AutoLogging, TestModeWritesNothingInAnySlot) {
  start({0, 1, 2, 3});
  win->mnuLogAuto_Click();
  frmAnalyser* a = win->analyserWindow();
  a->cmdTestButton->click();
  run(39000);
  EXPECT_GT(win->clock().newSlotCount, 3);
  EXPECT_EQ(heardLog(), "");
  // The graph and indicators still react: the heard test held in the tone slots.
  EXPECT_EQ(win->lblSaved->styleSheet(), "background-color: rgb(255,0,0);");
}

TEST_F(AutoLogging, ClosingTheAnalyserSwitchesAutomaticLoggingOff) {
  start({0, 1});
  win->mnuLogAuto_Click();
  frmAnalyser* a = win->analyserWindow();
  a->StartButton->click();
  run(2000);
  const auto before = records().size();
  a->close();
  EXPECT_TRUE(!win->mnuLogAuto->isChecked() && d.AnalyserClosed && d.SlotLogged && !d.AnalyserRunning);
  EXPECT_EQ(dialogs.beeps, 1);
  win->activate();  // the main window coming back up after the analyser closed
  EXPECT_TRUE(!win->mnuLogAuto->isChecked() && !win->mnuLogManual->isChecked());
  EXPECT_FALSE(win->opgS[1]->isEnabled());
  run(15000);  // slot 2 keyed, but nobody is listening
  EXPECT_EQ(records().size(), before);

  // Switching automatic logging on again loads the window afresh; manual logging then
  // closes it and stays on.
  win->mnuLogAuto_Click();
  EXPECT_TRUE(a->isVisible() && !d.AnalyserClosed && a->lblAnalyser->text() == "Stopped");
  win->mnuLogManual_Click();
  EXPECT_TRUE(!a->isVisible() && win->mnuLogManual->isChecked() && !win->mnuLogAuto->isChecked());
}

TEST_F(AutoLogging, WithoutASoundInputAutomaticLoggingStaysOff) {
  class NoInputs : public CaptureProvider {
    std::vector<CaptureInput> inputs() override { return {}; }
    std::unique_ptr<CaptureSource> create(const QByteArray&) override { return nullptr; }
  } none;
  open(&none);
  win->mnuLogAuto_Click();
  ASSERT_EQ(dialogs.messages.size(), 1u);  // the unsuitable message, no warning
  EXPECT_FALSE(win->mnuLogAuto->isChecked());
  EXPECT_FALSE(win->graphWindow()->isVisible());
  win.reset();  // the analyser goes before the provider it borrows
}

}  // namespace
}  // namespace harkola
