// The follow window alone, with its callbacks recorded.
#include "rig/frmFollow.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "support/ScriptedDialogs.h"

namespace harkola {
namespace {

const char* const kVox =
    "Please check your radio does not have voice activated switching (vox) active, to avoid "
    "transmitting the beacon announcements!  Thanks.";

class FollowWindow : public ::testing::Test {
 protected:
  FollowWindow() {
    for (int n = 1; n <= kBeaconCount; ++n) {
      d.BeaconTable[n][2] = "Country " + std::to_string(n);
      d.BeaconTable[n][3] = "CALL" + std::to_string(n);
    }
    win = std::make_unique<frmFollow>(d);
    win->onSelectBand = [this](int b) { bands.push_back(b); };
    win->onAllVoiceOff = [this] { ++allOff; };
    win->onVoiceOn = [this](int i) { voiceOn.push_back(i); };
    win->onUncheckMenu = [this] { ++unchecks; };
    win->onFollowChanged = [this] { ++changes; };
    win->onClosed = [this] { ++closes; };
  }
  QRadioButton* option(int k) {
    return win->findChild<QRadioButton*>(QStringLiteral("opgFollowBeID_%1").arg(k));
  }
  QPushButton* button(const char* name) { return win->findChild<QPushButton*>(name); }

  test::ScriptedDialogs dialogs;
  PublicDecs d;
  std::unique_ptr<frmFollow> win;
  std::vector<int> bands;
  std::vector<int> voiceOn;
  int allOff = 0, unchecks = 0, changes = 0, closes = 0;
};

TEST_F(FollowWindow, LoadListsTheBeaconsSelectsFourteenAndNoBeacon) {
  win->show();
  EXPECT_EQ(win->windowTitle(), "Harkola 5  - Activate follow a single beacon mode");
  EXPECT_FALSE(win->isModal());
  for (int k = 0; k < kBeaconCount; ++k) {
    const QString n = QString::number(k + 1);
    EXPECT_EQ(win->findChild<QLabel*>(QStringLiteral("lblVBeID_%1").arg(k))->text(), "CALL" + n);
    EXPECT_EQ(win->findChild<QLabel*>(QStringLiteral("Label2_%1").arg(k))->text(), "Country " + n);
    ASSERT_TRUE(option(k));
    EXPECT_TRUE(option(k)->isVisible());
    EXPECT_FALSE(option(k)->isChecked());
    EXPECT_EQ(option(k)->toolTip(), "Click to select beacon to follow");
  }
  ASSERT_TRUE(option(18));
  EXPECT_TRUE(option(18)->isChecked());
  EXPECT_FALSE(option(18)->isVisible());
  EXPECT_EQ(option(18)->text(), "Dummy button");
  EXPECT_EQ(bands, std::vector<int>{0});
  EXPECT_EQ(button("cmdActivate")->text(), "Activate");
  EXPECT_EQ(button("cmdClear")->text(), "Clear");
  EXPECT_EQ(button("cmdVoiceFollow")->text(), "Voice off");
  EXPECT_FALSE(button("cmdActivate")->isEnabled());
  EXPECT_FALSE(button("cmdVoiceFollow")->isEnabled());
  EXPECT_TRUE(button("cmdClear")->isEnabled());
}

TEST_F(FollowWindow, ChoosingABeaconEnablesActivateAndVoiceNoBeaconDisablesThem) {
  win->show();
  option(4)->click();
  EXPECT_EQ(win->chosenEntry(), 4);
  EXPECT_TRUE(button("cmdActivate")->isEnabled());
  EXPECT_TRUE(button("cmdVoiceFollow")->isEnabled());
  // A click on a callsign chooses its beacon too.
  QLabel* call = win->lblVBeID[11];
  QMouseEvent up(QEvent::MouseButtonRelease, QPointF(2, 2), call->mapToGlobal(QPointF(2, 2)),
                 Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(call, &up);
  EXPECT_EQ(win->chosenEntry(), 11);
  EXPECT_TRUE(option(11)->isChecked());
  EXPECT_FALSE(option(4)->isChecked());
  win->selectEntry(18);
  EXPECT_FALSE(option(11)->isChecked());
  EXPECT_FALSE(button("cmdActivate")->isEnabled());
  EXPECT_FALSE(button("cmdVoiceFollow")->isEnabled());
}

TEST_F(FollowWindow, ActivateFollowsTheChosenBeaconAndCloses) {
  win->show();
  option(17)->click();  // beacon 18
  button("cmdActivate")->click();
  EXPECT_TRUE(d.FollowMode);
  EXPECT_EQ(d.FollowedBeacon, 0);
  EXPECT_FALSE(win->isVisible());
  EXPECT_FALSE(win->isLoaded());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(unchecks, 0);
  EXPECT_EQ(allOff, 0);
}

TEST_F(FollowWindow, ActivateWithNoBeaconEndsFollowing) {
  d.FollowMode = true;
  d.FollowedBeacon = 7;
  win->show();
  button("cmdActivate")->click();  // disabled: nothing happens
  EXPECT_TRUE(win->isVisible());
  EXPECT_TRUE(d.FollowMode);
  win->cmdActivate_Click();
  EXPECT_FALSE(d.FollowMode);
  EXPECT_EQ(d.FollowedBeacon, 7);
  EXPECT_FALSE(win->isVisible());
}

TEST_F(FollowWindow, VoiceButtonAnnouncesOnlyTheChosenBeaconThenNone) {
  win->show();
  option(6)->click();
  button("cmdVoiceFollow")->click();
  EXPECT_EQ(allOff, 1);
  EXPECT_EQ(voiceOn, std::vector<int>{6});
  EXPECT_EQ(button("cmdVoiceFollow")->text(), "Voice on");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, kVox);
  EXPECT_EQ(dialogs.messages[0].title, "Harkola 5 ");
  EXPECT_EQ(dialogs.messages[0].icon, NoticeIcon::Exclamation);

  button("cmdVoiceFollow")->click();
  EXPECT_EQ(allOff, 2);
  EXPECT_EQ(voiceOn.size(), 1u);
  EXPECT_EQ(button("cmdVoiceFollow")->text(), "Voice off");
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(FollowWindow, ClearEndsFollowingSilencesAndCloses) {
  d.FollowMode = true;
  win->show();
  option(2)->click();
  button("cmdClear")->click();
  EXPECT_FALSE(d.FollowMode);
  EXPECT_EQ(win->chosenEntry(), 18);
  EXPECT_EQ(unchecks, 1);
  EXPECT_EQ(allOff, 1);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(win->isVisible());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FollowWindow, EveryLoadStartsAfreshAndAChoiceWhileUnloadedLoadsHidden) {
  win->selectEntry(18);  // not shown yet: loads hidden
  EXPECT_TRUE(win->isLoaded());
  EXPECT_FALSE(win->isVisible());
  EXPECT_EQ(bands, std::vector<int>{0});
  win->show();  // already loaded: no second band change
  EXPECT_EQ(bands, std::vector<int>{0});
  option(3)->click();
  button("cmdVoiceFollow")->click();
  win->close();
  win->show();  // loaded again
  EXPECT_EQ(bands, (std::vector<int>{0, 0}));
  EXPECT_EQ(win->chosenEntry(), 18);
  EXPECT_EQ(button("cmdVoiceFollow")->text(), "Voice off");
  win->selectEntry(19);  // not an entry
  EXPECT_EQ(win->chosenEntry(), 18);
}

}  // namespace
}  // namespace harkola
