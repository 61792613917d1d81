// The main window's side of the receiver input: its window, its start, and its slots
// into the same results as automatic logging (heard log, slot log, clock check,
// listeners), one record per band heard.
#include "app/frmPrimary.h"

#include "data/Beacons.h"
#include "receiver/ReceiverRun.h"
#include "receiver/frmReceiver.h"

namespace harkola {

void frmPrimary::mnuReceiver_Click() {
  if (!m_receiver) m_receiver = std::make_unique<ReceiverRun>(Beacons(d.BeaconTable).callsigns());
  if (!m_receiverWindow) m_receiverWindow = new frmReceiver(*m_receiver, d.DataFolder, this);
  m_receiverWindow->show();
  m_receiverWindow->raise();
  m_receiverWindow->activateWindow();
}

bool frmPrimary::startReceiver(const ReceiverSettings& s, std::string& error) {
  if (!m_receiver) m_receiver = std::make_unique<ReceiverRun>(Beacons(d.BeaconTable).callsigns());
  const bool ok = m_receiver->start(s, error);
  if (m_receiverWindow) {
    m_receiverWindow->show(s);
    m_receiverWindow->refresh();
  }
  return ok;
}

void frmPrimary::stopReceiverInput() {
  if (m_receiver) m_receiver->stop();
}

void frmPrimary::receiverResults() {
  if (!m_receiver) return;
  m_receiver->setCallsigns(Beacons(d.BeaconTable).callsigns());
  m_receiver->setSMeterOffset(d.SMeterOffset);
  for (const SlotMeasurement& m : m_receiver->tick(timePointOf(m_services.time->now()))) {
    // While the log analysis window has the heard log closed, heard slots reach the
    // slot log only.
    if (m.heard && m_heardLog.isOpen()) m_results.write(heardRecord(m.slot.startLocal, m.slot.band, m.callsign, m.sLevel));
    m_results.setSlotLogPath(slotLogBeside(d.LogFilePath));
    if (!m_results.add(m)) logWriteFailed(m_results.slotLogPath().string());
  }
}

}  // namespace harkola
