// The main window's voice, log analysis and rig control actions.
#include "app/frmPrimary.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <filesystem>

#include "analysis/frmChart.h"
#include "analysis/frmDataAnalysis.h"
#include "common/Folders.h"
#include "ui/HelpWindow.h"
#include "ui/UserDialogs.h"
#include "app/frmAbout.h"
#include "app/frmEnd.h"
#include "audio/QtAudioCapture.h"
#include "audio/SoundCardTest.h"
#include "audio/frmAnalyser.h"
#include "clock/frmGraph.h"
#include "clock/AlignedTicker.h"
#include "clock/ClockSync.h"
#include "clock/frmNextBeacon.h"
#include "app/frmPrimaryStyle.h"
#include "data/DefaultData.h"
#include "data/frmBeaconDataEdit.h"
#include "data/frmHomeDataEdit.h"
#include "data/StartupChecks.h"
#include "rig/RigChoice.h"
#include "rig/RigData.h"
#include "rig/SerialRigPort.h"
#include "rig/frmTxRx.h"
#include "voice/ResfileSoundModule.h"
#include "voice/frmVoiceSel.h"

namespace harkola {

using primary::rgb;
using primary::setBackground;

void frmPrimary::playVoiceClip(int stationNumber) { m_services.voice->play(stationNumber); }

frmVoiceSel* frmPrimary::ensureVoiceWindow() {
  if (!m_voiceSel) {
    m_voiceSel = new frmVoiceSel(
        d,
        [this](const VoiceIndicator& i) {
          lblVInd->setText(qs(i.caption));
          lblVInd->setToolTip(qs(i.tooltip));
        },
        this);
  }
  return m_voiceSel;
}

void frmPrimary::mnuVoiceActivate_Click() {
  mnuVoiceActivate->setChecked(false);
  ensureVoiceWindow()->show();
  m_voiceSel->raise();
}

void frmPrimary::sendBandCommand() {
  m_rigSession.changeBand(m_clock.SelectedBand);
  checkRigLink();
}

// --- log analysis ---------------------------------------------------------------------

frmDataAnalysis* frmPrimary::analysisWindow() const { return m_analysis.data(); }

void frmPrimary::mnuChart_Click() {
  if (m_analysis) {
    m_analysis->close();  // an instance already open is closed first
    m_analysis->deleteLater();
    m_analysis = nullptr;
  }
  m_analysis = new frmDataAnalysis(d, this, this);
  m_analysis->show();
}

void frmPrimary::pauseForAnalysis() {
  d.ClockRunning = false;
  m_manualBeforeAnalysis = mnuLogManual->isChecked();
  m_autoBeforeAnalysis = mnuLogAuto->isChecked();
  if (m_manualBeforeAnalysis) mnuLogManual_Click();
  if (m_autoBeforeAnalysis) mnuLogAuto_Click();
  m_heardLog.close();
}

void frmPrimary::resumeAfterAnalysis() {
  if (m_shutDown) return;
  openHeardLog();
  d.ClockRunning = true;
  if (m_manualBeforeAnalysis && !mnuLogManual->isChecked()) mnuLogManual_Click();
  if (m_autoBeforeAnalysis && !mnuLogAuto->isChecked()) mnuLogAuto_Click();
  m_manualBeforeAnalysis = m_autoBeforeAnalysis = false;
}

// --- rig control -------------------------------------------------------------------------

void frmPrimary::paintBandButtons(bool rigActive) {
  // Red band buttons are the sign that the rig follows the band selection; blue is their
  // normal colour.
  const QString sheet = rigActive ? "QRadioButton { background-color: rgb(255,0,0); }"
                                  : "QRadioButton { background-color: rgb(0,0,255); }";
  for (auto* b : opgBandSelect) b->setStyleSheet(sheet);
  mnuScanBands->setEnabled(rigActive);  // scanning steps the rig
}

void frmPrimary::mnuRigCtrlActivate_Click() {
  if (mnuRigCtrlActivate->isChecked()) {
    mnuRigCtrlActivate->setChecked(false);
    mnuRigSetup->setEnabled(true);
    m_clock.rigControlActive = false;
    stopBandScan();  // scanning needs the rig
    paintBandButtons(false);
    m_rigSession.finish();
    return;
  }
  if (m_services.rigChoice) {
    m_services.rigChoice->reload();
    m_rigSession.setRig(m_services.rigChoice->rig(), m_services.rigChoice->needsTest());
  }
  switch (m_rigSession.toggle(m_clock.SelectedBand)) {
    case RigSession::Toggle::Started:
      mnuRigCtrlActivate->setChecked(true);
      mnuRigSetup->setEnabled(false);
      m_clock.rigControlActive = true;
      paintBandButtons(true);
      break;
    case RigSession::Toggle::NeedsTest:
      mnuRigSetup_Click();
      break;
    default:
      break;
  }
}

void frmPrimary::checkRigLink() {
  if (!m_services.rigChoice) return;
  const std::string unreported = m_services.rigChoice->takeUnreported();
  if (!unreported.empty())
    dialogs().message(this, Notice{unreported, d.TitleText, NoticeIcon::Exclamation, NoticeButtons::Ok});
  // Switched off as by the menu; the lost link's finish adds no second message.
  if (m_services.rigChoice->lost() && mnuRigCtrlActivate->isChecked()) mnuRigCtrlActivate_Click();
}

void frmPrimary::mnuRigSetup_Click() {
  if (mnuRigCtrlActivate->isChecked()) return;  // the setup entry is disabled then
  if (!m_services.rigSetup) return;
  frmTxRx w(d, *m_services.rigSetup, &WriteDefaultRigData, this);
  bool corrupt = false;
  connect(&w, &frmTxRx::corruptDataFile, this, [&corrupt] { corrupt = true; });
  if (w.load()) w.exec();
  if (corrupt) {
    close();  // a rig file the lists cannot show ends the program
    return;
  }
  if (d.RigStartPending && isActiveWindow()) activate();
}

}  // namespace harkola
