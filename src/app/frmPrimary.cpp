#include "app/frmPrimary.h"

#include "receiver/ReceiverRun.h"

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
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <filesystem>

#include "analysis/frmChart.h"
#include "analysis/frmDataAnalysis.h"
#include "clock/SlotLog.h"
#include "common/Folders.h"
#include "common/UtcTime.h"
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
#include "rig/RigData.h"
#include "rig/SerialRigPort.h"
#include "rig/frmTxRx.h"
#include "voice/ResfileSoundModule.h"
#include "voice/frmVoiceSel.h"

namespace harkola {

using primary::rgb;
using primary::setBackground;

frmPrimary::frmPrimary(PublicDecs& shared, PrimaryServices services, QWidget* parent)
    : QMainWindow(parent),
      d(shared),
      m_services(std::move(services)),
      m_clock(d, &m_results, this),
      m_rigSession(d, *m_services.rig, dialogNotifierFor(this), m_services.rigNeedsTest) {
  setObjectName("frmPrimary");
  m_results.setHeardLog(&m_heardLog);
  m_results.addListener([this](const SlotMeasurement& m) {
    if (m_analyser) m_analyser->setSensitiveResult(qs(resultLine(m)));
  });
  buildControls();
  buildMenus();
  // Fixed to its contents: a window manager then draws no empty resize strip under it
  // (a bar a few pixels high that looked like a squashed status bar).
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  // Ticks a few ms after every wall-clock 100 ms boundary, so a new slot is noticed
  // within milliseconds of its true start.
  tmrClockTicks = new AlignedTicker(this);
  tmrClockTicks->setObjectName("tmrClockTicks");
  connect(tmrClockTicks, &AlignedTicker::tick, this, &frmPrimary::onTick);
  m_clock.setDetector(m_services.detector);
  if (m_services.startSensitive && m_services.sensitiveDetector) {
    m_chosenDetector = m_services.sensitiveDetector;
    m_clock.setDetector(m_chosenDetector);
  }
  installHelpKey(this);
}

frmPrimary::~frmPrimary() {
  m_clock.setHooks(nullptr);
  if (m_analysis) m_analysis->detachHost();
}

void frmPrimary::showNotices(const Notices& notices) {
  for (const auto& n : notices) dialogs().message(this, n);
}

bool frmPrimary::load() {
  d.DataFolder = m_services.dataFolder.empty() ? std::filesystem::current_path().string()
                                               : m_services.dataFolder;
  if (d.LogFolder.empty()) d.LogFolder = defaultLogFolder();
  d.TitleText = "Harkola 5 ";
  setWindowTitle(qs(d.TitleText));

  const bool hasSound = m_services.soundCardTest ? m_services.soundCardTest() : SoundCardTest();
  if (!hasSound) {
    dialogs().message(this, Notice{"This application needs a Soundcard for correct operation.  Your "
                                   "machine does not appear to have a card or perhaps has invalid "
                                   "drivers?",
                                   d.TitleText + "terminating", NoticeIcon::Critical, NoticeButtons::Ok});
    shutdown();  // the program ends through its usual closing sequence
    return false;
  }

  showNotices(runStartupChecks(d.DataFolder, d.LogFolder));
  showNotices(loadHomeAndBeacons(d));
  LoadRigData(d);

  d.LogFilePath = heardLogPath(d.LogFolder, d.TitleText);
  openHeardLog();

  // Reset clears the graph's bars; closing the beacon graph unticks its menu entry.
  auto wire = [this](SessionGraphWindow* w, std::function<void()> resetBars, bool closeUnticks) {
    w->onReset = [this, resetBars] {
      resetBars();
      m_clock.logging.clearButtons();
      render();
      raise();
    };
    w->onClosed = [this, closeUnticks] {
      m_clock.logging.clearButtons();
      if (closeUnticks) mnuDisplayGraph->setChecked(false);
      render();
      if (!closeUnticks) raise();
    };
  };
  m_graph = new frmGraph(d, this);
  wire(m_graph, [this] { m_clock.graph.reset(); }, true);
  m_graphFollow = new frmGraphFollow(d, this);
  wire(m_graphFollow, [this] { m_clock.followGraph.reset(); }, false);

  opgBandSelect_Click(0);
  mnuLogManual->setChecked(false);
  mnuLogAuto->setChecked(false);
  m_clock.setLogMode(LogMode::Off);
  mnuRigCtrlActivate->setChecked(false);
  d.VoiceSelected.fill(false);

  lblHome->setText(qs(d.Home.name()));
  lblDistanceUnits->setText(qs(d.Home.unitText()));
  paintBandButtons(false);
  render();
  if (m_services.startTicker) tmrClockTicks->start();
  return true;
}

bool frmPrimary::openHeardLog(bool truncate) {
  std::error_code ec;
  std::filesystem::create_directories(d.LogFolder, ec);
  if (m_heardLog.open(d.LogFilePath, truncate)) {
    if (!m_heardLog.repairNotice().empty())
      dialogs().message(this, Notice{m_heardLog.repairNotice(), d.TitleText,
                                     NoticeIcon::Exclamation, NoticeButtons::Ok});
    return true;
  }
  dialogs().message(this, Notice{"The heard log " + d.LogFilePath +
                                     " cannot be opened for writing; nothing will be logged "
                                     "until this is put right.",
                                 d.TitleText, NoticeIcon::Exclamation, NoticeButtons::Ok});
  return false;
}

void frmPrimary::reloadData() {
  const bool wasRunning = tmrClockTicks->isActive();
  tmrClockTicks->stop();
  showNotices(loadHomeAndBeacons(d));
  lblHome->setText(qs(d.Home.name()));
  lblDistanceUnits->setText(qs(d.Home.unitText()));
  if (m_graph) m_graph->refreshCallsigns();
  if (m_graphFollow) m_graphFollow->refreshCallsigns();
  render();
  if (wasRunning) tmrClockTicks->start();
}

void frmPrimary::activate() {
  d.ClockRunning = true;
  m_clock.logging.clearButtons();
  if (d.AnalyserClosed) {
    mnuLogAuto->setChecked(false);
    mnuLogManual->setChecked(false);
    loggingOffRefresh();
  }
  if (d.RigStartPending) {
    d.RigStartPending = false;
    mnuRigCtrlActivate_Click();
  }
  followDisplay();
  render();
}

void frmPrimary::followDisplay() {
  const QString colour = d.FollowMode ? "rgb(255,0,0)" : "rgb(0,0,255)";
  for (auto* b : opgBandSelect) b->setEnabled(!d.FollowMode);
  for (auto* l : separatorLines) setBackground(l, colour);
}

void frmPrimary::changeEvent(QEvent* e) {
  QMainWindow::changeEvent(e);
  if (e->type() == QEvent::ActivationChange && isActiveWindow() && !m_shutDown) activate();
}

void frmPrimary::onTick() {
  if (m_shutDown) return;
  const long slotsBefore = m_clock.newSlotCount;
  m_clock.tick(m_services.time->now());
  scanTick();
  sensitiveResults();
  receiverResults();
  checkRigLink();
  if (m_services.newSlotLateness && slotsBefore > 0 && m_clock.newSlotCount != slotsBefore) {
    using namespace std::chrono;
    const auto us = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    m_services.newSlotLateness((us % 10'000'000) / 1000.0);
  }
  if (m_syncCountdown-- <= 0) {
    // The kernel's sync state changes slowly: once every ten seconds is plenty.
    m_syncCountdown = 100;
    std::string sync = clockSyncText(readClockSync());
    if (m_results.clockCheck().count() > 0) sync += "   " + m_results.clockCheck().text();
    lblClockSync->setText(qs(sync));
  }
  render();
}

void frmPrimary::render() {
  const LocalTime& t = m_clock.lastTick;
  lblSystemTime->setText(qs(clockText(t)));
  lblUtcTime->setText(qs(clockText(utcTimeAt(timePointOf(t))) + " UTC"));
  lblSlotNumber->setText(QString::number(m_clock.SlotNumber));
  if (const int n = m_clock.displayedStation; n > 0) {
    lblCountry->setText(qs(m_clock.country(n)));
    lblCallsign->setText(qs(m_clock.callsign(n)));
    lblStatus->setText(qs(m_clock.status(n, m_clock.displayedBand)));
    lblDx->setText(QString::number(d.DistAzTable[n].distance));
    lblAz->setText(QString::number(d.DistAzTable[n].azimuth));
  }
  if (prgbrSlot->value() != m_clock.SlotProgress) prgbrSlot->setValue(m_clock.SlotProgress);
  if (txtHiddenStationNumber->text() != qs(m_clock.hiddenStationNumber))
    txtHiddenStationNumber->setText(qs(m_clock.hiddenStationNumber));
  setBackground(lblHidden, m_clock.latchOpen ? "rgb(0,0,255)" : "rgb(255,0,0)");

  if (!m_next) {
    m_next = new frmNextBeacon(this, d.TitleText);
    m_next->onClosed = [this] { mnuNextBeacon->setChecked(false); };
  }
  const int next = m_clock.NextStation;
  m_next->setNext(qs(m_clock.country(next)), qs(m_clock.callsign(next)),
                  qs(m_clock.status(next, m_clock.displayedBand)));
  renderLogging();
  if (m_analyser && mnuLogAuto->isChecked())
    m_analyser->setListening(qs(m_clock.listenText), qs(m_clock.countDownText));
}

void frmPrimary::renderLogging() {
  const LoggingDisplay& L = m_clock.logging;
  for (int s = 1; s <= 9; ++s) {
    if (opgS[s]->isChecked() != L.sButtons[s].checked) opgS[s]->setChecked(L.sButtons[s].checked);
    if (opgS[s]->isEnabled() != L.sButtons[s].enabled) opgS[s]->setEnabled(L.sButtons[s].enabled);
    setBackground(opgS[s], rgb(L.sButtonColour));
  }
  setBackground(lblSaved, rgb(L.saved));
  if (m_graph) m_graph->render(m_clock.graph);
  if (m_graphFollow) m_graphFollow->render(m_clock.followGraph);
}

// --- band and S buttons ------------------------------------------------------------

void frmPrimary::opgBandSelect_Click(int index) {
  m_clock.selectBand(index);  // calls bandSelected() back
  // The labels show the new band's beacon at once, not the old beacon with the new
  // band's status until the next tick.
  m_clock.showSelectedBand();
  render();
}

void frmPrimary::bandSelected(int band) {
  for (int b = 0; b < kBandCount; ++b) opgBandSelect[b]->setChecked(b == band);
  if (isHidden() && !m_shutDown && m_services.startTicker) show();
  raise();
}

void frmPrimary::opgS_Click(int index) {
  m_clock.sButtonClicked(index, m_services.time->now());
  render();
}

void frmPrimary::keyPressEvent(QKeyEvent* e) {
  const QString text = e->text();
  if (text.size() == 1 && mnuLogManual->isChecked()) {
    m_clock.keyPressed(text.at(0).toLatin1(), m_services.time->now());
    render();
    return;
  }
  QMainWindow::keyPressEvent(e);
}

void frmPrimary::logWriteFailed(const std::string& path) {
  dialogs().message(this, Notice{"The record could not be written to the heard log " + path +
                                     ".  Check that the disk is not full and the file is not "
                                     "read-only.",
                                 d.TitleText, NoticeIcon::Exclamation, NoticeButtons::Ok});
}

// --- clock adjustment ---------------------------------------------------------------

void frmPrimary::cmdSecondsUp_Click() {
  std::string error;
  if (!m_services.time->adjustSeconds(+1, error))
    dialogs().message(this, Notice{error, d.TitleText, NoticeIcon::Exclamation, NoticeButtons::Ok});
}

void frmPrimary::cmdSecondsDown_Click() {
  std::string error;
  if (!m_services.time->adjustSeconds(-1, error))
    dialogs().message(this, Notice{error, d.TitleText, NoticeIcon::Exclamation, NoticeButtons::Ok});
}

// --- shutdown --------------------------------------------------------------------------

void frmPrimary::closeEvent(QCloseEvent* e) {
  shutdown();
  e->accept();
}

void frmPrimary::shutdown() {
  if (m_shutDown) return;
  if (m_analysis) m_analysis->detachHost();  // closing it below must not reopen the log
  m_services.voice->stop();
  m_clock.stopLoggingThisSlot();
  m_heardLog.close();
  if (mnuRigCtrlActivate->isChecked()) mnuRigCtrlActivate_Click();  // finish commands
  if (m_analyser && d.AnalyserRunning) m_analyser->stopCapture();
  stopReceiverInput();
  d.ClockRunning = false;
  tmrClockTicks->stop();
  m_shutDown = true;
  if (m_services.showClosingWindow) showClosingWindow(d.TitleText, this);
  for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    if (w->isWindow()) w->close();
}

}  // namespace harkola
