#pragma once
// The main window driven headless: a simulated clock, scripted dialogs, a fresh data and
// log folder per test, and the parts the window is handed made for a test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <string>
#include <vector>

#include "app/frmPrimary.h"
#include "audio/ClassicDetector.h"
#include "audio/WavFileSource.h"
#include "common/Bands.h"
#include "rig/Rig.h"
#include "rig/SerialRigPort.h"
#include "rig/frmFollow.h"
#include "support/Files.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "voice/VoicePlayer.h"

namespace harkola::test {

// A rig that records what it was asked: "start 14", "band 21", "finish"; `fail` makes
// every call fail with that text.
class RecordingRig : public Rig {
 public:
  RigResult startSession(int band) override { return did("start " + mhz(band)); }
  RigResult changeBand(int band) override { return did("band " + mhz(band)); }
  RigResult finishSession() override { return did("finish"); }
  std::vector<std::string> calls;
  std::string fail;

 private:
  static std::string mhz(int band) { return std::string(bandInfo(band).text); }
  RigResult did(std::string what) {
    calls.push_back(std::move(what));
    return fail.empty() ? RigResult::success() : RigResult::failure(fail);
  }
};

struct SilentVoicePlayer : VoicePlayer {
  void play(int) override {}
  void stop() override {}
};

class PrimaryFixture : public ::testing::Test {
 protected:
  PrimaryFixture() {
    std::filesystem::create_directories(dir / "data");
    d.LogFolder = (dir / "logs").string();
  }
  ~PrimaryFixture() override { win.reset(); }
  // Builds and loads the window at `t`; activates it when loading succeeded.
  bool start(LocalTime t, bool sound = true) {
    time.current = t;
    PrimaryServices s;
    s.time = &time;
    s.voice = &voice;
    s.detector = &detector;
    s.rig = &rig;
    s.rigSetup = &serialRig.ctrl();
    s.dataFolder = (dir / "data").string();
    s.soundCardTest = [sound] { return sound; };
    s.showClosingWindow = s.startTicker = false;
    s.capture = &recording;  // automatic logging needs a sound input
    if (adjustServices) adjustServices(s);
    win = std::make_unique<frmPrimary>(d, s);
    const bool loaded = win->load();
    if (loaded) win->activate();
    return loaded;
  }
  // Started at `t` and ticked once, with the start-up notices forgotten.
  void running(LocalTime t = {2026, 12, 6, 10, 0, 5, 2}) {
    ASSERT_TRUE(start(t));
    tick();
    dialogs.messages.clear();
  }
  // The one checked band button; -1 for none, -2 for several.
  int checkedBand() const {
    int checked = -1;
    for (int b = 0; b < kBandCount; ++b)
      if (win->opgBandSelect[b]->isChecked()) checked = checked == -1 ? b : -2;
    return checked;
  }
  // Ticks every 100 ms for `ms` milliseconds.
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
  std::string heardLog() const { return fileText(d.LogFilePath); }
  // Opens the follow window from the menu, chooses beacon `number` and activates it.
  void follow(int number) {
    win->mnuFollowBeacon->trigger();
    ASSERT_TRUE(win->followWindow() && win->followWindow()->isVisible());
    win->followWindow()->opgFollowBeID[number - 1]->click();
    win->followWindow()->cmdActivate->click();
  }

  TempFolder dir{"harkola-main"};
  PublicDecs d;
  ManualTimeSource time;
  ScriptedDialogs dialogs;
  // A silent voice player, the classic detector, a recording rig, and the serial rig
  // control for the setup window (its port is opened only when a test is run there).
  SilentVoicePlayer voice;
  ClassicDetector detector{d};
  RecordingRig rig;
  SerialRig serialRig{d, nullptr};
  WavFileInputs recording{std::vector<std::int16_t>(kSampleRate), "recording"};
  // Changes the services before the window is built (a test's own devices).
  std::function<void(PrimaryServices&)> adjustServices;
  std::unique_ptr<frmPrimary> win;
};

}  // namespace harkola::test
