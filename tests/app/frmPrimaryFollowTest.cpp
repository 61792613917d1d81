// Follow mode driven through the main window, its menu and the follow window, with a
// simulated clock and real files in temp folders.
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "PrimaryFixture.h"
#include "clock/frmGraph.h"
#include "rig/frmFollow.h"

namespace harkola {
namespace {

class FollowMode : public test::PrimaryFixture {
 protected:
  // Opens the follow window from the menu, chooses beacon `number` and activates it.
  void follow(int number) {
    win->mnuFollowBeacon->trigger();
    ASSERT_TRUE(win->followWindow() && win->followWindow()->isVisible());
    win->followWindow()->opgFollowBeID[number - 1]->click();
    win->followWindow()->cmdActivate->click();
  }
  void expectFollowDisplay(bool following) {
    for (auto* b : win->opgBandSelect) EXPECT_EQ(b->isEnabled(), !following);
    for (auto* l : win->separatorLines)
      EXPECT_EQ(l->styleSheet(), following ? "background-color: rgb(255,0,0);" : "background-color: rgb(0,0,255);");
  }
};

// The stepping itself is the clock's (checked there for every slot); here the window
// shows it: the band buttons and the labels follow beacon 3 up from 14 MHz, the follow
// graph names it; unchecking the entry ends logging and returns to 14 MHz.
TEST_F(FollowMode, TheChosenBeaconIsFollowedUntilTheEntryIsUnchecked) {
  running();  // slot 1 on 14 MHz
  follow(3);
  EXPECT_EQ(d.FollowedBeacon, 3);
  EXPECT_FALSE(win->followWindow()->isVisible());
  EXPECT_TRUE(win->mnuFollowBeacon->isChecked());
  win->mnuLogManual_Click();
  frmGraphFollow* g = win->followGraphWindow();
  EXPECT_TRUE(g->isVisible());
  EXPECT_FALSE(win->graphWindow()->isVisible());
  EXPECT_EQ(g->windowTitle(), "Harkola 5   Logged S meter readings for W6WX, USA");
  EXPECT_TRUE(g->Label1[2]->styleSheet().contains("rgb(255,0,0)"));
  EXPECT_FALSE(g->Label1[3]->styleSheet().contains("rgb(255,0,0)"));
  tick(30000);  // slot 4: beacon 3 has moved up to 18 MHz
  EXPECT_EQ(checkedBand(), 1);
  EXPECT_EQ(win->lblCallsign->text(), "W6WX");
  expectFollowDisplay(true);

  win->mnuFollowBeacon->trigger();
  EXPECT_FALSE(win->mnuFollowBeacon->isChecked() || d.FollowMode);
  EXPECT_FALSE(win->mnuLogManual->isChecked() || win->mnuDisplayGraph->isChecked() || g->isVisible());
  EXPECT_EQ(checkedBand(), 0);
  expectFollowDisplay(false);
  tick(10000);  // slot 5 stays on 14 MHz: beacon 5
  EXPECT_EQ(win->lblCallsign->text(), "ZL6B");

  // Clear ends following and every announcement at once.
  follow(7);
  d.VoiceSelected.fill(true);
  win->followWindow()->cmdClear->click();
  EXPECT_FALSE(d.FollowMode || win->mnuFollowBeacon->isChecked() || win->followWindow()->isVisible());
  EXPECT_EQ(std::count(d.VoiceSelected.begin(), d.VoiceSelected.end(), true), 0);
  EXPECT_EQ(win->lblVInd->text(), "OFF");
  expectFollowDisplay(false);
}

}  // namespace
}  // namespace harkola
