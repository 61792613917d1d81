// The main window's side of follow mode: the menu entry, the follow window's wiring to
// the band selector and the voice selection, and the session graph that belongs to the
// mode. The band step itself is the clock's (BeaconClock::tick).

#include <QAction>
#include <QCheckBox>
#include <QPushButton>

#include "clock/frmGraph.h"
#include "app/frmPrimary.h"
#include "rig/frmFollow.h"
#include "voice/frmVoiceSel.h"

namespace harkola {

frmFollow* frmPrimary::ensureFollowWindow() {
  if (m_follow) return m_follow;
  m_follow = new frmFollow(d, this);
  m_follow->onSelectBand = [this](int band) { opgBandSelect_Click(band); };
  // The voice selection window's own actions, so its boxes, the indicator and its
  // warning on closing stay in step with what the follow window chose.
  m_follow->onAllVoiceOff = [this] { ensureVoiceWindow()->cmdAllOff->click(); };
  m_follow->onVoiceOn = [this](int beaconIndex) {
    if (beaconIndex >= 0 && beaconIndex < kBeaconCount)
      ensureVoiceWindow()->chkVoiceBeID[static_cast<std::size_t>(beaconIndex)]->setChecked(true);
  };
  m_follow->onUncheckMenu = [this] { mnuFollowBeacon->setChecked(false); };
  m_follow->onFollowChanged = [this] { followModeChanged(); };
  // The entry stays checked while following; a window closed without following leaves
  // nothing for the entry to end.
  m_follow->onClosed = [this] {
    if (!d.FollowMode) mnuFollowBeacon->setChecked(false);
  };
  return m_follow;
}

void frmPrimary::mnuFollowBeacon_Click() {
  frmFollow* f = ensureFollowWindow();
  if (!mnuFollowBeacon->isChecked()) {
    mnuFollowBeacon->setChecked(true);
    f->show();
    f->raise();
    f->activateWindow();
    return;
  }
  mnuFollowBeacon->setChecked(false);
  d.FollowMode = false;
  f->selectEntry(kNoBeaconEntry);  // a first load (also hidden) returns to 14 MHz
  if (f->isVisible()) f->close();
  // Logging switched off through its own actions; they close the normal graph now that
  // follow mode is off, so the follow graph is closed here.
  if (mnuLogManual->isChecked()) {
    mnuLogManual_Click();
    if (m_graphFollow->isVisible()) m_graphFollow->close();
  }
  if (mnuLogAuto->isChecked()) {
    mnuLogAuto_Click();
    if (m_graphFollow->isVisible()) m_graphFollow->close();
  }
  followModeChanged();
}

void frmPrimary::followModeChanged() {
  if (d.FollowMode) stopBandScan();  // the two exclude each other
  followDisplay();
  // A session graph on show is swapped for the one of the new mode.
  if (mnuDisplayGraph->isChecked()) {
    QWidget* other = d.FollowMode ? static_cast<QWidget*>(m_graph) : m_graphFollow;
    if (other && other->isVisible()) other->hide();
    showSessionGraph();
  }
  render();
}

}  // namespace harkola
