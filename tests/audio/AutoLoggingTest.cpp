// Automatic logging in the main window, the analyser capturing a recording released in
// step with a simulated clock (the records it writes are checked on real sound in
// AnalyserCaptureTest).
#include <gtest/gtest.h>

#include <QAction>
#include <QRadioButton>
#include <QLabel>
#include <QPushButton>
#include <sstream>

#include "audio/WavFileSource.h"
#include "audio/frmAnalyser.h"
#include "clock/frmGraph.h"
#include "audio/AnalyserTestSupport.h"
#include "app/PrimaryFixture.h"

namespace harkola {
namespace {

class AutoLogging : public test::PrimaryFixture {
 protected:
  ~AutoLogging() override { win.reset(); }  // the window goes before the inputs it borrows
  // Tone in the listed slots of 40 s of audio that starts at 10:00:00.000 (on 14 MHz slot
  // 1 is 4U1UN, slot 2 VE8AT, slot 3 W6WX, slot 4 KH6RS).
  void start(const std::set<int>& toneSlots) {
    inputs = std::make_unique<WavFileInputs>(test::beaconAudio(40, toneSlots), "recording", false);
    inputs->realTime = false;
    open(inputs.get());
  }
  void open(CaptureProvider* capture) {
    adjustServices = [capture](PrimaryServices& s) { s.capture = capture; };
    ASSERT_TRUE(PrimaryFixture::start(LocalTime{2026, 12, 6, 10, 0, 0, 0}));
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
  std::vector<std::string> records() const {
    std::vector<std::string> r;
    std::istringstream in(heardLog());
    for (std::string line; std::getline(in, line);) r.push_back(line);
    return r;
  }

  std::unique_ptr<WavFileInputs> inputs;
  long long elapsedMs = 0;
};

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
