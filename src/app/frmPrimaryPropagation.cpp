// The main window's side of the propagation view and of band scanning.
#include <QAction>
#include <QRadioButton>
#include <QScreen>

#include "app/frmPrimary.h"
#include "common/LocalTime.h"
#include "network/NetworkStation.h"
#include "propagation/frmPropagation.h"

namespace harkola {

void frmPrimary::mnuPropagation_Click() {
  if (!m_propagation) {
    m_propagation = new frmPropagation(
        d, d.LogFolder, [this] { return timePointOf(m_services.time->now()); }, this);
    connect(m_propagation, &frmPropagation::bandRequested, this, &frmPrimary::propagationBandRequested);
    if (m_network->running() && m_network->settings().showNetwork) m_propagation->setNetwork(m_network.get());
    // A window of its own, on the screen of the main window.
    if (QScreen* s = screen()) {
      const QRect area = s->availableGeometry();
      m_propagation->resize(m_propagation->size().boundedTo(area.size() * 0.95));
      m_propagation->move(area.center() - m_propagation->rect().center());
    }
  }
  m_propagation->show();
  m_propagation->raise();
  m_propagation->activateWindow();
}

void frmPrimary::propagationBandRequested(int band) {
  // Only with rig control on, and not while follow mode owns the band.
  if (!mnuRigCtrlActivate->isChecked() || d.FollowMode) return;
  if (band != m_clock.SelectedBand) opgBandSelect_Click(band);
}

void frmPrimary::mnuScanBands_Click() {
  if (m_bandScan.active()) {
    stopBandScan();
    return;
  }
  if (!mnuRigCtrlActivate->isChecked()) return;  // the entry is disabled then
  // Scanning and follow mode exclude each other: choosing one ends the other.
  if (mnuFollowBeacon->isChecked() || d.FollowMode) mnuFollowBeacon_Click();
  m_bandScan.start(std::chrono::duration_cast<std::chrono::seconds>(
                       timePointOf(m_services.time->now()).time_since_epoch())
                       .count());
  showBandScan();
}

void frmPrimary::stopBandScan() {
  if (!m_bandScan.active()) return;
  m_bandScan.stop();
  showBandScan();
}

void frmPrimary::scanTick() {
  if (!m_bandScan.active()) return;
  const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                       timePointOf(m_clock.lastTick).time_since_epoch())
                       .count();
  if (const auto band = m_bandScan.onTick(now, m_clock.SelectedBand, d.FollowMode)) opgBandSelect_Click(*band);
}

void frmPrimary::showBandScan() {
  const bool on = m_bandScan.active();
  mnuScanBands->setChecked(on);
  paintBandButtons(mnuRigCtrlActivate->isChecked());
  if (on) {
    // Red (rig control) with a yellow frame: the band steps by itself.
    for (auto* b : opgBandSelect) {
      b->setStyleSheet("QRadioButton { background-color: rgb(255,0,0); border: 2px solid rgb(255,255,0); }");
      b->setToolTip("Scanning bands: the next band at the start of each 3-minute cycle");
    }
  } else {
    for (auto* b : opgBandSelect) b->setToolTip(QString());
  }
}

}  // namespace harkola
