// Band scanning and the propagation window driven through the main window's menus, with
// a simulated clock and a rig that records what it is told.
#include <QAction>
#include <QPushButton>
#include <QRadioButton>

#include "app/PrimaryFixture.h"
#include "propagation/frmPropagation.h"
#include "rig/frmFollow.h"
#include "support/RecordingRig.h"

namespace harkola {
namespace {

class ScanBands : public test::PrimaryFixture {
 protected:
  ~ScanBands() override { win.reset(); }  // the window goes before the rig it borrows
  void SetUp() override {
    adjustServices = [this](PrimaryServices& s) {
      s.rig = &rig;
      s.rigNeedsTest = false;
    };
    // 5 s before the 10:02 slot, 65 s before a cycle
    ASSERT_TRUE(start({2026, 12, 7, 10, 1, 55, 0}));
    tick();
  }
  test::RecordingRig rig;
};

TEST_F(ScanBands, StepsAtCycleStartsWhileRigControlRunsAndEndsWithIt) {
  EXPECT_FALSE(win->mnuScanBands->isEnabled());
  win->mnuRigCtrlActivate->trigger();
  tick();
  ASSERT_TRUE(win->mnuScanBands->isEnabled());
  win->mnuScanBands->trigger();
  EXPECT_TRUE(win->mnuScanBands->isChecked());
  EXPECT_TRUE(win->opgBandSelect[0]->toolTip().startsWith("Scanning bands"));

  tick(64'900 + 9 * 60'000);  // 10:03:00 and three more cycles (when exactly is the scan's)
  EXPECT_EQ(checkedBand(), 4);
  EXPECT_EQ(rig.calls, (std::vector<std::string>{"start 14", "band 18", "band 21", "band 24", "band 28"}));

  win->mnuRigCtrlActivate->trigger();  // finishing rig control ends the scan
  EXPECT_FALSE(win->bandScanActive() || win->mnuScanBands->isChecked());
  tick(3 * 60'000);
  EXPECT_EQ(checkedBand(), 4);
  EXPECT_EQ(rig.calls.back(), "finish");
}

TEST_F(ScanBands, FollowModeAndScanningEndEachOther) {
  win->mnuRigCtrlActivate->trigger();
  win->mnuScanBands->trigger();
  ASSERT_TRUE(win->bandScanActive());
  win->mnuFollowBeacon->trigger();  // the follow window
  ASSERT_TRUE(win->followWindow());
  win->followWindow()->opgFollowBeID[2]->click();
  win->followWindow()->cmdActivate->click();
  EXPECT_TRUE(d.FollowMode);
  EXPECT_FALSE(win->bandScanActive() || win->mnuScanBands->isChecked());

  win->mnuScanBands->trigger();
  EXPECT_TRUE(win->bandScanActive());
  EXPECT_FALSE(d.FollowMode || win->mnuFollowBeacon->isChecked());
}

TEST_F(ScanBands, PropagationWindowTunesOnlyWithRigControl) {
  win->mnuPropagation->trigger();
  frmPropagation* w = win->propagationWindow();
  ASSERT_TRUE(w);
  EXPECT_TRUE(w->isWindow() && w->isVisible());
  emit w->bandRequested(3);
  EXPECT_EQ(checkedBand(), 0);
  win->mnuRigCtrlActivate->trigger();
  emit w->bandRequested(3);
  EXPECT_EQ(checkedBand(), 3);
  EXPECT_EQ(rig.calls.back(), "band 24");
  // The menu brings the same window back.
  w->hide();
  win->mnuPropagation->trigger();
  EXPECT_EQ(win->propagationWindow(), w);
  EXPECT_TRUE(w->isVisible());
}

}  // namespace
}  // namespace harkola
