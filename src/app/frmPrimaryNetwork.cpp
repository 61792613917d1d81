// The main window's side of the network: the link started from Network.dat, every slot
// result handed to it, its state and what waits in the spool on a line of the window,
// the Network window, and the propagation window told when the network's picture moved.
#include <QLabel>

#include "app/frmPrimary.h"
#include "data/Maidenhead.h"
#include "network/NetworkStation.h"
#include "network/frmNetworkSettings.h"
#include "propagation/BeaconSites.h"
#include "propagation/frmPropagation.h"
#include "ui/UserDialogs.h"

namespace harkola {

QLabel* frmPrimary::buildNetworkLine(QWidget* central) {
  lblNetwork = new QLabel(central);
  lblNetwork->setObjectName("lblNetwork");
  lblNetwork->setToolTip("The network link: its state and the slot results waiting for the broker");
  lblNetwork->hide();  // shown while the network is in use
  return lblNetwork;
}

bool frmPrimary::applyNetworkSettings(const NetworkSettings& s, std::string& error) {
  const bool ok = m_network->start(s, d.LogFolder, HARKOLA_VERSION, error);
  m_networkProblem = ok ? std::string() : error;
  if (m_propagation) m_propagation->setNetwork(s.showNetwork && ok ? m_network.get() : nullptr);
  showNetworkLine();
  return ok;
}

void frmPrimary::startNetwork() {
  std::string error;
  applyNetworkSettings(kNetworkSettingsFile.load(d.DataFolder), error);
}

void frmPrimary::mnuNetwork_Click() {
  if (!m_networkWindow) {
    const GeoPoint home = homePoint(d);
    m_networkWindow = new frmNetworkSettings(
        *m_network, d.DataFolder, locatorFromPosition(home.latitude, home.longitude),
        [this](const NetworkSettings& s, std::string& error) { return applyNetworkSettings(s, error); }, this);
  }
  m_networkWindow->show();
  m_networkWindow->raise();
  m_networkWindow->activateWindow();
}

void frmPrimary::networkTick() {
  if (!m_network->running()) return;
  const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                       timePointOf(m_services.time->now()).time_since_epoch())
                       .count();
  if (m_network->poll(now) && m_propagation) m_propagation->networkChanged();
  m_network->takeNotices();  // the Network window shows the state; no boxes from here
  showNetworkLine();
}

void frmPrimary::showNetworkLine() {
  const bool on = m_network->settings().linkWanted();
  lblNetwork->setVisible(on);
  if (!on) return;
  lblNetwork->setText(qs(m_networkProblem.empty() ? m_network->statusLine() : "Network: " + m_networkProblem));
  const LinkState st = m_network->state();
  lblNetwork->setStyleSheet(!m_networkProblem.empty() || st == LinkState::Retrying ? "color: rgb(200,0,0);"
                            : st == LinkState::Connected                        ? "color: rgb(0,128,0);"
                                                                                : "");
}

}  // namespace harkola
