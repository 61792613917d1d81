// The main window's logging modes, session graphs, analyser, backup and archive.
#include "app/frmPrimary.h"

#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRadioButton>
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
#include "data/Beacons.h"
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
#include "rig/RigData.h"
#include "rig/SerialRigPort.h"
#include "rig/frmTxRx.h"
#include "voice/ResfileSoundModule.h"
#include "voice/frmVoiceSel.h"

namespace harkola {

using primary::rgb;
using primary::setBackground;

// --- logging modes -------------------------------------------------------------------

void frmPrimary::loggingOffRefresh() {
  if (!mnuLogManual->isChecked() && !mnuLogAuto->isChecked()) m_clock.setLogMode(LogMode::Off);
  render();
}

void frmPrimary::showSessionGraph() {
  if (d.FollowMode) {
    const int n = d.FollowedBeacon == 0 ? kBeaconCount : d.FollowedBeacon;
    m_graphFollow->markFollowed(n - 1);
    m_graphFollow->setWindowTitle(qs(d.TitleText + "  Logged S meter readings for " +
                                     Beacons(d.BeaconTable).callsign(n) + ", " + Beacons(d.BeaconTable).country(n)));
    m_graphFollow->show();
  } else {
    m_graph->show();
  }
}

void frmPrimary::closeSessionGraph() {
  QWidget* w = d.FollowMode ? static_cast<QWidget*>(m_graphFollow) : m_graph;
  if (w && w->isVisible()) w->close();
}

void frmPrimary::mnuLogManual_Click() {
  if (mnuLogManual->isChecked()) {
    mnuLogManual->setChecked(false);
    mnuDisplayGraph->setChecked(false);
    closeSessionGraph();
    loggingOffRefresh();
    return;
  }
  mnuLogManual->setChecked(true);
  mnuLogAuto->setChecked(false);
  mnuDisplayGraph->setChecked(true);
  showSessionGraph();
  closeAnalyser();
  m_clock.setLogMode(LogMode::Manual);
  render();
}

void frmPrimary::mnuLogAuto_Click() {
  if (mnuLogAuto->isChecked()) {
    closeAnalyser();
    closeSessionGraph();
    mnuLogAuto->setChecked(false);
    mnuDisplayGraph->setChecked(false);
    loggingOffRefresh();
    return;
  }
  // Without a usable sound input the analyser has told the user why; automatic
  // logging then stays off.
  if (!loadAnalyser()) return;
  mnuLogManual->setChecked(false);
  mnuLogAuto->setChecked(true);
  mnuDisplayGraph->setChecked(true);
  showSessionGraph();
  m_analyser->show();
  m_analyser->raise();
  m_clock.setLogMode(LogMode::Auto);
  render();
  dialogs().message(this, Notice{"Please note that Harkola AutoLog is designed for attended "
                                 "operation only.\r\n\r\nIt must not be used or left running while "
                                 "unattended",
                                 d.TitleText, NoticeIcon::Exclamation, NoticeButtons::Ok});
}

// --- the analyser window ------------------------------------------------------------

bool frmPrimary::loadAnalyser() {
  if (!m_analyser) {
    m_analyser = new frmAnalyser(d, *m_services.capture, this);
    m_analyser->detector = m_chosenDetector ? m_chosenDetector : m_services.detector;
    m_analyser->onDetectorChosen = [this](bool sensitive) {
      SlotDetector* det = sensitive && m_services.sensitiveDetector ? m_services.sensitiveDetector
                                                                     : m_services.detector;
      m_chosenDetector = det;
      m_clock.setDetector(det);
      m_analyser->detector = det;
    };
    // Started with the sensitive detector (harkola --detector sensitive): say so.
    if (m_services.sensitiveDetector && m_chosenDetector == m_services.sensitiveDetector)
      m_analyser->optSensitive->setChecked(true);
    m_analyser->blockTime = [this] { return timePointOf(m_services.time->now()); };
    m_analyser->onLogging = [this](AnalyserLogging mode) { m_clock.setAnalyserLogging(mode); };
    m_analyser->raiseMain = [this] {
      raise();
      activateWindow();
    };
    // Closing the analyser switches automatic logging off (when the menu has not done
    // so already: the menu closes the analyser on its way to off or to manual).
    m_analyser->onUnload = [this] {
      if (!m_shutDown && mnuLogAuto->isChecked()) mnuLogAuto_Click();
    };
  }
  return m_analyser->load();
}

void frmPrimary::closeAnalyser() {
  if (m_analyser && m_analyser->isVisible()) m_analyser->close();
}

void frmPrimary::mnuDisplayGraph_Click() {
  QWidget* w = d.FollowMode ? static_cast<QWidget*>(m_graphFollow) : m_graph;
  if (mnuDisplayGraph->isChecked()) {
    mnuDisplayGraph->setChecked(false);
    if (w->isVisible()) w->hide();
  } else {
    mnuDisplayGraph->setChecked(true);
    showSessionGraph();
  }
}

void frmPrimary::mnuNextBeacon_Click() {
  if (mnuNextBeacon->isChecked()) {
    mnuNextBeacon->setChecked(false);
    m_next->hide();
  } else {
    mnuNextBeacon->setChecked(true);
    m_next->show();
  }
}

// --- backup and archive ----------------------------------------------------------------

void frmPrimary::mnuBackupLog_Click() { copyHeardLog(false); }
void frmPrimary::mnuArchiveLog_Click() { copyHeardLog(true); }

namespace {
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec)) return true;
  return std::filesystem::weakly_canonical(a, ec) == std::filesystem::weakly_canonical(b, ec);
}
}  // namespace

void frmPrimary::copyHeardLog(bool archive) {
  const std::string word = archive ? "Archiving" : "Backup";
  const std::string msgTitle = d.TitleText + word;
  FileDialogRequest req;
  req.kind = FileDialogRequest::Kind::Save;
  req.title = msgTitle;
  req.initialFolder = d.LogFolder;
  req.fileName = d.TitleText + (archive ? "Archive Log " : "backup Log ") +
                 mediumDate(m_services.time->now()) + ".csv";
  req.overwritePrompt = true;
  req.hideReadOnly = true;
  req.pathMustExist = !archive;
  const FileDialogResult r = dialogs().file(this, req);

  bool saved = false;
  // The live log itself (by any name) is no copy of it: answering "start new log file"
  // would empty the only copy.
  if (!r.cancelled && !r.path.empty() && !sameFile(r.path, d.LogFilePath)) {
    m_heardLog.close();
    std::error_code ec;
    std::filesystem::copy_file(d.LogFilePath, r.path, std::filesystem::copy_options::overwrite_existing, ec);
    saved = !ec && std::filesystem::exists(r.path);
    if (saved) {
      dialogs().message(this, Notice{r.path + (archive ? " has been saved" : " has been saved !"),
                                     msgTitle, NoticeIcon::Information, NoticeButtons::Ok});
      if (archive &&
          dialogs().message(this, Notice{"Do you want to start new log file?", msgTitle,
                                         NoticeIcon::Question, NoticeButtons::YesNo}) == Answer::Yes) {
        openHeardLog(true);
      }
    }
  }
  if (!saved) {
    dialogs().message(this, Notice{archive ? "Archive file NOT saved" : "Backup file NOT saved",
                                   msgTitle, NoticeIcon::Information, NoticeButtons::Ok});
  }
  if (!m_heardLog.isOpen()) openHeardLog();
}

// What the sensitive detector analysed since the last tick: the slot log beside the
// heard log, the clock check and the analyser's result line.
void frmPrimary::sensitiveResults() {
  if (!m_services.sensitiveDetector) return;
  m_results.setSlotLogPath(slotLogBeside(d.LogFilePath));
  for (const SlotMeasurement& m : m_services.sensitiveDetector->takeMeasurements())
    if (!m_results.add(m)) logWriteFailed(m_results.slotLogPath().string());
}

}  // namespace harkola
