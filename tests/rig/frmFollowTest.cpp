// The follow window alone: its list, its choice and its loading.
#include "rig/frmFollow.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "data/DefaultData.h"
#include "data/StartupChecks.h"
#include "support/ScriptedDialogs.h"

namespace harkola {
namespace {

class FollowWindow : public ::testing::Test {
 protected:
  FollowWindow() {
    d.BeaconTable = *parseBeacons(defaultBeaconData());
    win = std::make_unique<frmFollow>(d);
    win->onSelectBand = [this](int b) { bands.push_back(b); };
  }
  QRadioButton* option(int k) { return win->findChild<QRadioButton*>(QStringLiteral("opgFollowBeID_%1").arg(k)); }
  QPushButton* button(const char* name) { return win->findChild<QPushButton*>(name); }
  bool activeButtons() { return button("cmdActivate")->isEnabled() && button("cmdVoiceFollow")->isEnabled(); }

  test::ScriptedDialogs dialogs;
  PublicDecs d;
  std::unique_ptr<frmFollow> win;
  std::vector<int> bands;
};

// Loading lists the beacons with "no beacon" (hidden) chosen and 14 MHz selected; a
// beacon or its callsign chosen enables Activate and Voice, "no beacon" disables them.
TEST_F(FollowWindow, LoadListsTheBeaconsAndAChoiceEnablesActivate) {
  win->show();
  EXPECT_EQ(win->findChild<QLabel*>("lblVBeID_17")->text(), "YV5B");
  for (int k = 0; k < kBeaconCount; ++k) EXPECT_TRUE(option(k)->isVisible() && !option(k)->isChecked()) << k;
  EXPECT_TRUE(option(18)->isChecked() && !option(18)->isVisible());
  EXPECT_EQ(bands, std::vector<int>{0});
  EXPECT_FALSE(activeButtons());

  option(4)->click();
  EXPECT_EQ(win->chosenEntry(), 4);
  EXPECT_TRUE(activeButtons());
  QLabel* call = win->lblVBeID[11];
  QMouseEvent up(QEvent::MouseButtonRelease, QPointF(2, 2), call->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                 Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(call, &up);
  EXPECT_EQ(win->chosenEntry(), 11);
  EXPECT_TRUE(option(11)->isChecked() && !option(4)->isChecked());
  win->selectEntry(18);
  EXPECT_FALSE(option(11)->isChecked());
  EXPECT_FALSE(button("cmdActivate")->isEnabled() || button("cmdVoiceFollow")->isEnabled());
}

// A choice made before the window is shown loads it hidden; every load starts afresh.
TEST_F(FollowWindow, EveryLoadStartsAfreshAndAChoiceWhileUnloadedLoadsHidden) {
  win->selectEntry(18);
  EXPECT_TRUE(win->isLoaded());
  EXPECT_FALSE(win->isVisible());
  win->show();  // already loaded: no second band change
  EXPECT_EQ(bands, std::vector<int>{0});
  option(3)->click();
  button("cmdVoiceFollow")->click();
  win->close();
  win->show();
  EXPECT_EQ(bands, (std::vector<int>{0, 0}));
  EXPECT_EQ(win->chosenEntry(), 18);
  EXPECT_EQ(button("cmdVoiceFollow")->text(), "Voice off");
  win->selectEntry(19);  // not an entry
  EXPECT_EQ(win->chosenEntry(), 18);
}

}  // namespace
}  // namespace harkola
