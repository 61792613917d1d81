// The voice selection window, and the clip player the announcements go through.
#include "voice/frmVoiceSel.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "data/DefaultData.h"
#include "data/StartupChecks.h"
#include "support/ScriptedDialogs.h"
#include "voice/ResfileSoundModule.h"

namespace harkola {
namespace {

const char* const kVox =
    "Please check your radio does not have voice activated switching (vox) active, to avoid "
    "transmitting the beacon announcements!  Thanks.";

class VoiceSelWindow : public ::testing::Test {
 protected:
  VoiceSelWindow() {
    d.BeaconTable = *parseBeacons(defaultBeaconData());
    win = std::make_unique<frmVoiceSel>(d, [this](const VoiceIndicator& i) { shown.push_back(i.caption); });
  }
  QCheckBox* box(int i) { return win->findChild<QCheckBox*>(QStringLiteral("chkVoiceBeID_%1").arg(i)); }
  int vox() const {
    return int(std::ranges::count(dialogs.texts(), kVox));
  }

  test::ScriptedDialogs dialogs;
  PublicDecs d;
  std::vector<std::string> shown;  // indicator captions in the order reported
  std::unique_ptr<frmVoiceSel> win;
};

// Loading shows the table and the selection and brings the indicator up to date; a
// click edits the selection and the indicator follows (its counting is the core's).
TEST_F(VoiceSelWindow, LoadShowsTheSelectionAndClicksEditIt) {
  d.VoiceSelected[2] = true;
  win->show();
  EXPECT_EQ(win->findChild<QLabel*>("lblVBeID_17")->text(), "YV5B");
  for (int i = 0; i < kBeaconCount; ++i) EXPECT_EQ(box(i)->isChecked(), i == 2) << i;
  EXPECT_EQ(shown, std::vector<std::string>{"(ON)"});
  box(2)->click();
  EXPECT_FALSE(d.VoiceSelected[2]);
  box(0)->click();
  EXPECT_TRUE(d.VoiceSelected[0]);
  EXPECT_EQ(shown, (std::vector<std::string>{"(ON)", "OFF", "(ON)"}));
}

// The bulk buttons close the window and report the indicator once, at the end; All on
// warns about vox once.
TEST_F(VoiceSelWindow, AllOnClosesWithOneVoxWarningAllOffWithout) {
  for (bool on : {true, false}) {
    win->show();
    shown.clear();
    dialogs.messages.clear();
    (on ? win->cmdAllOn : win->cmdAllOff)->click();
    EXPECT_FALSE(win->isVisible());
    EXPECT_EQ(dialogs.texts(), on ? std::vector<std::string>{kVox} : std::vector<std::string>{});
    for (bool v : d.VoiceSelected) EXPECT_EQ(v, on);
    EXPECT_EQ(shown, std::vector<std::string>{on ? "ON" : "OFF"});
  }
}

TEST_F(VoiceSelWindow, CloseBoxWarnsOnceAndAgainAfterReopeningWhileBeaconsStaySelected) {
  win->show();
  box(5)->click();
  win->close();
  EXPECT_EQ(vox(), 1);
  win->close();  // closing again (already hidden) stays quiet
  EXPECT_EQ(vox(), 1);
  EXPECT_TRUE(d.VoiceSelected[5]);
  d.BeaconTable[6][3] = "EDITED";
  win->show();
  EXPECT_TRUE(box(5)->isChecked());
  EXPECT_EQ(win->lblVBeID[5]->text(), "EDITED");
  win->close();
  EXPECT_EQ(vox(), 2);
}

// Every clip is compiled into the program (their format is checked on the files). With
// or without a sound device, no call fails or reports anything; numbers outside 1..18
// play nothing.
TEST(ResfileSoundModule, EveryClipIsAResourceAndOutOfRangeAndStopAreHarmless) {
  ResfileSoundModule player;  // registers the resources
  for (int n = 1; n <= kBeaconCount; ++n) EXPECT_TRUE(QFile::exists(ResfileSoundModule::clipPath(n))) << n;
  player.StopVoice();
  for (int n : {0, 19, -5}) {
    player.PlayVoiceClip(n);
    EXPECT_EQ(player.current(), 0) << n;
  }
  player.PlayVoiceClip(3);
  player.StopVoice();
  EXPECT_EQ(player.current(), 0);
}

}  // namespace
}  // namespace harkola
