#include "voice/frmVoiceSel.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "support/ScriptedDialogs.h"

namespace harkola {
namespace {

const char* const kVox =
    "Please check your radio does not have voice activated switching (vox) active, to avoid "
    "transmitting the beacon announcements!  Thanks.";

class VoiceSelWindow : public ::testing::Test {
 protected:
  VoiceSelWindow() {
    for (int n = 1; n <= kBeaconCount; ++n) {
      d.BeaconTable[n][2] = "Country " + std::to_string(n);
      d.BeaconTable[n][3] = "CALL" + std::to_string(n);
    }
    win = std::make_unique<frmVoiceSel>(
        d, [this](const VoiceIndicator& i) { shown.push_back(i); });
  }

  QCheckBox* box(int i) {
    return win->findChild<QCheckBox*>(QStringLiteral("chkVoiceBeID_%1").arg(i));
  }
  int vox() const {
    int n = 0;
    for (const auto& m : dialogs.messages) n += m.text == kVox;
    return n;
  }

  test::ScriptedDialogs dialogs;
  PublicDecs d;
  std::vector<VoiceIndicator> shown;
  std::unique_ptr<frmVoiceSel> win;
};

TEST_F(VoiceSelWindow, LoadShowsTheBeaconTableAndTheSelection) {
  d.VoiceSelected[2] = true;
  win->show();
  EXPECT_EQ(win->windowTitle(), "Harkola 5  - Voice announcement activation");
  EXPECT_FALSE(win->isModal());
  for (int i = 0; i < kBeaconCount; ++i) {
    const QString n = QString::number(i + 1);
    EXPECT_EQ(win->findChild<QLabel*>(QStringLiteral("lblVBeID_%1").arg(i))->text(), "CALL" + n);
    EXPECT_EQ(win->findChild<QLabel*>(QStringLiteral("Label2_%1").arg(i))->text(), "Country " + n);
    ASSERT_TRUE(box(i));
    EXPECT_EQ(box(i)->isChecked(), i == 2) << i;
    EXPECT_EQ(box(i)->toolTip(), "Click to select beacon for report");
  }
  auto* on = win->findChild<QPushButton*>("cmdAllOn");
  auto* off = win->findChild<QPushButton*>("cmdAllOff");
  EXPECT_EQ(on->text(), "All ON ");
  EXPECT_EQ(on->toolTip(), "Click to switch on all voice announcements");
  EXPECT_EQ(off->text(), "All OFF (default)");
  EXPECT_EQ(off->toolTip(), "Click to switch off all voice announcements");
  // Loading a selected beacon brings the indicator up to date.
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back().caption, "(ON)");
}

TEST_F(VoiceSelWindow, ClickingBoxesEditsTheSelectionAndTheIndicator) {
  win->show();
  box(0)->click();
  EXPECT_TRUE(d.VoiceSelected[0]);
  EXPECT_EQ(shown.back(), (VoiceIndicator{"(ON)", "Only some beacon voice announcements enabled"}));
  box(0)->click();
  EXPECT_FALSE(d.VoiceSelected[0]);
  EXPECT_EQ(shown.back(), (VoiceIndicator{"OFF", "All beacon voice announcements disabled"}));
  for (int i = 0; i < kBeaconCount; ++i) box(i)->click();
  EXPECT_EQ(shown.back(), (VoiceIndicator{"ON", "All beacon voice announcements enabled"}));
  for (int i = 0; i < kBeaconCount; ++i) box(i)->click();
  EXPECT_EQ(shown.back().caption, "OFF");
  win->close();  // nothing selected any more: no warning
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(VoiceSelWindow, AllOnClosesWithOneVoxWarning) {
  win->show();
  shown.clear();
  win->cmdAllOn->click();
  EXPECT_FALSE(win->isVisible());
  EXPECT_EQ(vox(), 1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].title, "Harkola 5 ");
  EXPECT_EQ(dialogs.messages[0].icon, NoticeIcon::Exclamation);
  for (bool v : d.VoiceSelected) EXPECT_TRUE(v);
  // The bulk change reports the indicator once, at the end.
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "ON");
}

TEST_F(VoiceSelWindow, AllOffClosesWithoutWarning) {
  d.VoiceSelected.fill(true);
  win->show();
  shown.clear();
  win->cmdAllOff->click();
  EXPECT_FALSE(win->isVisible());
  EXPECT_TRUE(dialogs.messages.empty());
  for (bool v : d.VoiceSelected) EXPECT_FALSE(v);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "OFF");
}

TEST_F(VoiceSelWindow, CloseBoxAfterCheckingOneBeaconWarnsOnce) {
  win->show();
  box(5)->click();
  win->close();
  EXPECT_EQ(vox(), 1);
  win->close();  // closing again (already hidden) stays quiet
  EXPECT_EQ(vox(), 1);
  EXPECT_TRUE(d.VoiceSelected[5]);
}

TEST_F(VoiceSelWindow, ReopeningReloadsAndWarnsAgainWhileBeaconsStaySelected) {
  win->show();
  box(1)->click();
  win->close();
  d.BeaconTable[2][3] = "EDITED";
  win->show();
  EXPECT_TRUE(box(1)->isChecked());
  EXPECT_EQ(win->lblVBeID[1]->text(), "EDITED");
  win->close();
  EXPECT_EQ(vox(), 2);
}

}  // namespace
}  // namespace harkola
