#include "clock/frmPrimary.h"

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
#include "app/Folders.h"
#include "app/HelpWindow.h"
#include "app/UserDialogs.h"
#include "app/frmAbout.h"
#include "app/frmEnd.h"
#include "audio/QtAudioCapture.h"
#include "audio/SoundCardTest.h"
#include "audio/frmAnalyser.h"
#include "audio/frmGraph.h"
#include "clock/AlignedTicker.h"
#include "clock/ClockSync.h"
#include "clock/frmNextBeacon.h"
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

namespace {

QString rgb(Colour c) {
  const auto v = static_cast<std::uint32_t>(c);
  return QString("rgb(%1,%2,%3)").arg((v >> 16) & 0xFF).arg((v >> 8) & 0xFF).arg(v & 0xFF);
}

void setBackground(QWidget* w, const QString& css) {
  const QString sheet = "background-color: " + css + ";";
  if (qobject_cast<QRadioButton*>(w)) {
    // Option buttons keep readable digits on every background.
    const QString sheetWithText = sheet + " color: " +
                                  (css == "rgb(192,192,192)" ? "black" : "white") +
                                  "; padding: 3px; border-radius: 4px;";
    if (w->styleSheet() != sheetWithText) w->setStyleSheet(sheetWithText);
    return;
  }
  if (w->styleSheet() != sheet) w->setStyleSheet(sheet);
}

QLabel* title(const QString& text, QWidget* parent, const QString& tip = {}) {
  auto* l = new QLabel(text, parent);
  l->setToolTip(tip);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return l;
}

QLabel* value(const char* name, QWidget* parent, int pointSize, bool bold = false) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  QFont f = l->font();
  f.setPointSize(pointSize);
  f.setBold(bold);
  l->setFont(f);
  return l;
}

}  // namespace

frmPrimary::frmPrimary(PublicDecs& shared, PrimaryServices services, QWidget* parent)
    : QMainWindow(parent), d(shared), m_services(std::move(services)), m_clock(d, &m_heardLog, this) {
  setObjectName("frmPrimary");
  buildControls();
  buildMenus();
  // Ticks a few ms after every wall-clock 100 ms boundary, so a new slot is noticed
  // within milliseconds of its true start.
  tmrClockTicks = new AlignedTicker(this);
  tmrClockTicks->setObjectName("tmrClockTicks");
  connect(tmrClockTicks, &AlignedTicker::tick, this, &frmPrimary::onTick);
  m_rig = std::make_unique<RigLink>(d, this);
  m_voice = new ResfileSoundModule(this);
  installHelpKey(this);
}

frmPrimary::~frmPrimary() { m_clock.setHooks(nullptr); }

void frmPrimary::buildControls() {
  auto* central = new QWidget(this);
  setCentralWidget(central);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(14, 10, 14, 10);
  outer->setSpacing(8);

  auto line = [&](int i) {
    auto* f = new QFrame(central);
    f->setObjectName(QString("Line%1").arg(i + 1));
    f->setFrameShape(QFrame::HLine);
    f->setFixedHeight(3);
    separatorLines[i] = f;
    return f;
  };

  // Time, slot and home.
  auto* top = new QGridLayout;
  top->setHorizontalSpacing(10);
  const QString clockHint = "You MUST set your PC clock accurately for this program to work properly!";
  auto* timeTitle = title("Time:", central, "Computer time");
  lblSystemTime = value("lblSystemTime", central, 16, true);
  lblSystemTime->setToolTip(clockHint);
  lblSystemTime->setMinimumWidth(110);
  lblClockSync = value("lblClockSync", central, 9);
  lblClockSync->setToolTip(clockHint);
  cmdSecondsUp = new QPushButton("+1 s", central);
  cmdSecondsUp->setObjectName("cmdSecondsUp");
  cmdSecondsUp->setToolTip("Click to increase system time by one second");
  cmdSecondsDown = new QPushButton("\u22121 s", central);
  cmdSecondsDown->setObjectName("cmdSecondsDown");
  cmdSecondsDown->setToolTip("Click to decrease system time by one second");
  lblSlot = title("Slot No:", central, "Sequence number");
  lblSlot->setObjectName("lblSlot");
  lblSlotNumber = value("lblSlotNumber", central, 16, true);
  lblSlotNumber->setMinimumWidth(36);
  lblHome = value("lblHome", central, 12);
  top->addWidget(timeTitle, 0, 0);
  top->addWidget(lblSystemTime, 0, 1);
  top->addWidget(cmdSecondsDown, 0, 2);
  top->addWidget(cmdSecondsUp, 0, 3);
  top->addWidget(lblClockSync, 1, 1, 1, 3);
  top->setColumnStretch(4, 1);
  top->addWidget(lblSlot, 0, 5);
  top->addWidget(lblSlotNumber, 0, 6);
  top->setColumnStretch(7, 1);
  top->addWidget(title("Home:", central), 0, 8);
  top->addWidget(lblHome, 0, 9);
  outer->addLayout(top);
  outer->addWidget(line(0));

  // The beacon on the air, large enough to read from across the shack.
  auto* beacon = new QGridLayout;
  beacon->setHorizontalSpacing(12);
  lblCallsign = value("lblCallsign", central, 40, true);
  lblCountry = value("lblCountry", central, 26, true);
  lblStatus = value("lblStatus", central, 14);
  lblDx = value("lblDx", central, 18, true);
  lblDistanceUnits = value("lblDistanceUnits", central, 14);
  lblAz = value("lblAz", central, 18, true);
  beacon->addWidget(title("Callsign:", central), 0, 0);
  beacon->addWidget(lblCallsign, 0, 1, 1, 4);
  beacon->addWidget(title("Country:", central), 1, 0);
  beacon->addWidget(lblCountry, 1, 1, 1, 4);
  beacon->addWidget(title("Status:", central), 2, 0);
  beacon->addWidget(lblStatus, 2, 1, 1, 4);
  beacon->addWidget(title("Distance:", central), 3, 0);
  auto* dist = new QHBoxLayout;
  dist->addWidget(lblDx);
  dist->addWidget(lblDistanceUnits);
  dist->addSpacing(30);
  dist->addWidget(new QLabel("Azimuth:", central));
  dist->addWidget(lblAz);
  dist->addWidget(new QLabel("\u00b0", central));
  dist->addStretch(1);
  beacon->addLayout(dist, 3, 1, 1, 4);
  beacon->setColumnStretch(4, 1);
  outer->addLayout(beacon);

  prgbrSlot = new QProgressBar(central);
  prgbrSlot->setObjectName("prgbrSlot");
  prgbrSlot->setRange(0, 100);
  prgbrSlot->setTextVisible(false);
  prgbrSlot->setFixedHeight(14);
  prgbrSlot->setToolTip("Indicates the elapsed time in this slot");
  outer->addWidget(prgbrSlot);
  outer->addWidget(line(1));

  // Band selector.
  static const char* kBandTips[] = {
      "Click to select 14.100 MHz beacons", "Click to select 18.110 MHz beacons",
      "Click to select 21.150 MHz beacons", "Click to select 24.930 MHz beacons",
      "Click to select 28.200 MHz beacons"};
  static const char* kBandCaptions[] = {"14MHz", "18MHz", "21MHz", "24MHz", "28MHz"};
  static const char* kBandLabelNames[] = {"lbl14MHz", "lbl18MHz", "lbl21MHz", "lbl24MHz", "lbl28MHz"};
  auto* bands = new QHBoxLayout;
  for (int b = 0; b < kBandCount; ++b) {
    auto* rb = new QRadioButton(central);
    rb->setObjectName(QString("opgBandSelect_%1").arg(b));
    rb->setToolTip(kBandTips[b]);
    rb->setAutoExclusive(false);
    auto* lbl = new QLabel(kBandCaptions[b], central);
    lbl->setObjectName(kBandLabelNames[b]);
    QFont f = lbl->font();
    f.setPointSize(12);
    f.setBold(true);
    lbl->setFont(f);
    lbl->setBuddy(rb);
    opgBandSelect[b] = rb;
    bands->addStretch(1);
    bands->addWidget(rb);
    bands->addWidget(lbl);
    connect(rb, &QRadioButton::clicked, this, [this, b] { opgBandSelect_Click(b); });
  }
  bands->addStretch(1);
  outer->addLayout(bands);
  outer->addWidget(line(2));

  // S-level logger.
  fraSLevel = new QGroupBox("S level", central);
  fraSLevel->setObjectName("fraSLevel");
  auto* sRow = new QHBoxLayout(fraSLevel);
  for (int s = 1; s <= 9; ++s) {
    auto* rb = new QRadioButton(QString::number(s), fraSLevel);
    rb->setObjectName(QString("opgS_%1").arg(s));
    rb->setAutoExclusive(false);
    rb->setFocusPolicy(Qt::NoFocus);
    rb->setMinimumWidth(48);
    QFont f = rb->font();
    f.setPointSize(12);
    f.setBold(true);
    rb->setFont(f);
    rb->setToolTip(s == 9 ? "Click or press numeric key 9 to log a beacon heard at S9 or greater"
                          : QString("Click or press numeric key %1 to log a beacon heard at S%1").arg(s));
    opgS[s] = rb;
    sRow->addWidget(rb);
    connect(rb, &QRadioButton::clicked, this, [this, s] { opgS_Click(s); });
  }
  lblSaved = new QLabel(fraSLevel);
  lblSaved->setObjectName("lblSaved");
  lblSaved->setMinimumSize(60, 22);
  lblSaved->setToolTip(
      "This bar changes colour when further S meter levels are locked out - to prevent multiple "
      "logging");
  sRow->addSpacing(12);
  sRow->addWidget(lblSaved, 1);
  outer->addWidget(fraSLevel);

  // Buttons and the voice indicator.
  auto* buttons = new QHBoxLayout;
  auto button = [&](QPushButton*& b, const char* name, const char* text, const char* tip) {
    b = new QPushButton(text, central);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::NoFocus);
    buttons->addWidget(b);
  };
  button(cmdNBeacon, "cmdNBeacon", "Next beacon", "Click to toggle next beacon display");
  button(cmdRigCtrl, "cmdRigCtrl", "Rig control", "Click to toggle rig control");
  button(cmdALog, "cmdALog", "Auto log", "Click to toggle auto logging");
  button(cmdMLog, "cmdMLog", "Manual log", "Click to toggle manual logging");
  button(cmdVoice, "cmdVoice", "Voice On/Off", "Click to toggle voice announcements");
  buttons->addSpacing(16);
  lblVoice = new QLabel("Voice:", central);
  lblVoice->setObjectName("lblVoice");
  lblVInd = new QLabel("OFF", central);
  lblVInd->setObjectName("lblVInd");
  lblVInd->setToolTip(kVoiceIndicatorInitialTooltip);
  lblVInd->setMinimumWidth(40);
  buttons->addWidget(lblVoice);
  buttons->addWidget(lblVInd);
  outer->addWidget(line(3));
  outer->addLayout(buttons);

  // State holders of the clock, never shown.
  txtHiddenStationNumber = new QLineEdit(central);
  txtHiddenStationNumber->setObjectName("txtHiddenStationNumber");
  txtHiddenStationNumber->hide();
  lblHidden = new QLabel(central);
  lblHidden->setObjectName("lblHidden");
  lblHidden->hide();

  connect(cmdSecondsUp, &QPushButton::clicked, this, &frmPrimary::cmdSecondsUp_Click);
  connect(cmdSecondsDown, &QPushButton::clicked, this, &frmPrimary::cmdSecondsDown_Click);
  connect(cmdNBeacon, &QPushButton::clicked, this, &frmPrimary::mnuNextBeacon_Click);
  connect(cmdALog, &QPushButton::clicked, this, &frmPrimary::mnuLogAuto_Click);
  connect(cmdMLog, &QPushButton::clicked, this, &frmPrimary::mnuLogManual_Click);
  connect(cmdRigCtrl, &QPushButton::clicked, this, &frmPrimary::mnuRigCtrlActivate_Click);
  connect(cmdVoice, &QPushButton::clicked, this, &frmPrimary::mnuVoiceActivate_Click);
}

void frmPrimary::buildMenus() {
  auto add = [this](QMenu* menu, QAction*& a, const char* name, const char* caption) {
    a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
  };
  QMenu* file = menuBar()->addMenu("&File");
  add(file, mnuBackupLog, "mnuBackupLog", "&Create backup log file");
  add(file, mnuArchiveLog, "mnuArchiveLog", "Arch&ive current log");
  file->addSeparator();
  add(file, mnuExit, "mnuExit", "E&xit");
  QMenu* edit = menuBar()->addMenu("&Edit");
  add(edit, mnuData, "mnuData", "&Beacon Data");
  add(edit, mnuHome, "mnuHome", "Ho&me location && settings");
  QMenu* logging = menuBar()->addMenu("&Logging");
  add(logging, mnuLogManual, "mnuLogManual", "Ma&nual")->setCheckable(true);
  add(logging, mnuLogAuto, "mnuLogAuto", "A&utomatic")->setCheckable(true);
  logging->addSeparator();
  add(logging, mnuDisplayGraph, "mnuDisplayGraph", "&Display logged S levels")->setCheckable(true);
  add(logging, mnuNextBeacon, "mnuNextBeacon", "Next beacon displa&y")->setCheckable(true);
  QMenu* voice = menuBar()->addMenu("&Voice announce");
  add(voice, mnuVoiceActivate, "mnuVoiceActivate", "&On/Off")->setCheckable(true);
  QMenu* rig = menuBar()->addMenu("&Rig control");
  add(rig, mnuRigSetup, "mnuRigSetup", "&Setup ");
  add(rig, mnuRigCtrlActivate, "mnuRigCtrlActivate", "&Activate")->setCheckable(true);
  QMenu* chart = menuBar()->addMenu("&Chart");
  add(chart, mnuChart, "mnuChart", "C&hart");
  QMenu* mode = menuBar()->addMenu("&Mode");
  add(mode, mnuFollowBeacon, "mnuFollowBeacon", "Follow single beacon")->setCheckable(true);
  QMenu* help = menuBar()->addMenu("&Help");
  add(help, mnuHelpFile, "mnuHelpFile", "Con&tents");
  help->addSeparator();
  add(help, mnuAbout, "mnuAbout", "&About");

  connect(mnuBackupLog, &QAction::triggered, this, &frmPrimary::mnuBackupLog_Click);
  connect(mnuArchiveLog, &QAction::triggered, this, &frmPrimary::mnuArchiveLog_Click);
  connect(mnuExit, &QAction::triggered, this, &QWidget::close);
  // Checkable items keep their marks in step with the program's state, not the click.
  auto toggle = [this](QAction* a, void (frmPrimary::*slot)()) {
    connect(a, &QAction::triggered, this, [this, a, slot] {
      a->setChecked(!a->isChecked());  // undo Qt's own toggle; the handler decides
      (this->*slot)();
    });
  };
  toggle(mnuLogManual, &frmPrimary::mnuLogManual_Click);
  toggle(mnuLogAuto, &frmPrimary::mnuLogAuto_Click);
  toggle(mnuDisplayGraph, &frmPrimary::mnuDisplayGraph_Click);
  toggle(mnuNextBeacon, &frmPrimary::mnuNextBeacon_Click);
  connect(mnuData, &QAction::triggered, this, [this] {
    frmBeaconDataEdit dlg(d, [this] { reloadData(); }, this);
    dlg.exec();
  });
  connect(mnuHome, &QAction::triggered, this, [this] {
    frmHomeDataEdit dlg(d, [this] { reloadData(); }, this);
    dlg.exec();
  });
  connect(mnuVoiceActivate, &QAction::triggered, this, &frmPrimary::mnuVoiceActivate_Click);
  connect(mnuRigSetup, &QAction::triggered, this, &frmPrimary::mnuRigSetup_Click);
  toggle(mnuRigCtrlActivate, &frmPrimary::mnuRigCtrlActivate_Click);
  connect(mnuChart, &QAction::triggered, this, &frmPrimary::mnuChart_Click);
  toggle(mnuFollowBeacon, &frmPrimary::mnuFollowBeacon_Click);
  connect(mnuHelpFile, &QAction::triggered, this, [this] { showHelpContents(this); });
  connect(mnuAbout, &QAction::triggered, this, [this] { showAboutBox(d.TitleText, this); });
}

void frmPrimary::notYetAvailable(const QString& what) {
  dialogs().message(this, Notice{(what + " is not part of this build yet.").toStdString(),
                                 d.TitleText, NoticeIcon::Information, NoticeButtons::Ok});
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
    return false;
  }

  showNotices(runStartupChecks(d.DataFolder, d.LogFolder));
  showNotices(loadHomeAndBeacons(d));
  LoadRigData(d);

  d.LogFilePath = heardLogPath(d.LogFolder, d.TitleText);
  openHeardLog();

  m_graph = new frmGraph(d, this);
  m_graph->onReset = [this] {
    m_clock.graph.reset();
    m_clock.logging.clearButtons();
    render();
    raise();
  };
  m_graph->onClosed = [this] {
    m_clock.logging.clearButtons();
    mnuDisplayGraph->setChecked(false);
    render();
  };
  m_graphFollow = new frmGraphFollow(d, this);
  m_graphFollow->onReset = [this] {
    m_clock.followGraph.reset();
    m_clock.logging.clearButtons();
    render();
    raise();
  };
  m_graphFollow->onClosed = [this] {
    m_clock.logging.clearButtons();
    render();
    raise();
  };

  opgBandSelect_Click(0);
  mnuLogManual->setChecked(false);
  mnuLogAuto->setChecked(false);
  m_clock.setLogMode(LogMode::Off);
  mnuRigCtrlActivate->setChecked(false);
  d.VoiceSelected.fill(false);

  lblHome->setText(qs(d.Home.name()));
  lblDistanceUnits->setText(qs(d.Home.unitText()));
  render();
  if (m_services.startTicker) tmrClockTicks->start();
  return true;
}

bool frmPrimary::openHeardLog(bool truncate) {
  std::error_code ec;
  std::filesystem::create_directories(d.LogFolder, ec);
  if (m_heardLog.open(d.LogFilePath, truncate)) return true;
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
  if (m_services.newSlotLateness && slotsBefore > 0 && m_clock.newSlotCount != slotsBefore) {
    using namespace std::chrono;
    const auto us = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    m_services.newSlotLateness((us % 10'000'000) / 1000.0);
  }
  if (m_syncCountdown-- <= 0) {
    // The kernel's sync state changes slowly: once every ten seconds is plenty.
    m_syncCountdown = 100;
    lblClockSync->setText(qs(clockSyncText(readClockSync())));
  }
  render();
}

void frmPrimary::render() {
  const LocalTime& t = m_clock.lastTick;
  lblSystemTime->setText(qs(clockText(t)));
  lblSlotNumber->setText(QString::number(m_clock.SlotNumber));
  if (const int n = m_clock.displayedStation; n > 0) {
    lblCountry->setText(qs(m_clock.country(n)));
    lblCallsign->setText(qs(m_clock.callsign(n)));
    lblStatus->setText(qs(m_clock.status(n, m_clock.SelectedBand)));
    lblDx->setText(QString::number(d.DistAzTable[n].distance));
    lblAz->setText(QString::number(d.DistAzTable[n].azimuth));
  }
  if (prgbrSlot->value() != m_clock.SlotProgress) prgbrSlot->setValue(m_clock.SlotProgress);
  if (txtHiddenStationNumber->text() != qs(m_clock.hiddenStationNumber))
    txtHiddenStationNumber->setText(qs(m_clock.hiddenStationNumber));
  setBackground(lblHidden, m_clock.latchOpen ? "rgb(0,0,255)" : "rgb(255,0,0)");

  if (!m_next) {
    m_next = new frmNextBeacon(this);
    m_next->onClosed = [this] { mnuNextBeacon->setChecked(false); };
  }
  const int next = m_clock.NextStation;
  m_next->setNext(qs(m_clock.country(next)), qs(m_clock.callsign(next)),
                  qs(m_clock.status(next, m_clock.SelectedBand)));
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

void frmPrimary::playVoiceClip(int stationNumber) { m_voice->PlayVoiceClip(stationNumber); }

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

void frmPrimary::sendBandCommand() { m_rig->ctrl().SendBandCommand(); }

// --- log analysis ---------------------------------------------------------------------

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
  openHeardLog();
  std::error_code ec;
  std::filesystem::current_path(d.DataFolder, ec);
  d.ClockRunning = true;
  if (m_manualBeforeAnalysis && !mnuLogManual->isChecked()) mnuLogManual_Click();
  if (m_autoBeforeAnalysis && !mnuLogAuto->isChecked()) mnuLogAuto_Click();
  m_manualBeforeAnalysis = m_autoBeforeAnalysis = false;
}

// --- rig control -------------------------------------------------------------------------

void frmPrimary::paintBandButtons(bool rigActive) {
  // Red band buttons are the sign that the rig follows the band selection.
  const QString sheet = rigActive ? "QRadioButton { background-color: rgb(255,0,0); }"
                                  : "QRadioButton { background-color: rgb(0,0,255); }";
  for (auto* b : opgBandSelect) b->setStyleSheet(rigActive ? sheet : QString());
}

void frmPrimary::mnuRigCtrlActivate_Click() {
  if (mnuRigCtrlActivate->isChecked()) {
    mnuRigCtrlActivate->setChecked(false);
    mnuRigSetup->setEnabled(true);
    m_clock.rigControlActive = false;
    paintBandButtons(false);
    m_rig->ctrl().FinishRigSession();
    return;
  }
  switch (m_rig->ctrl().ToggleRigControl(false)) {
    case RigCtrl::Toggle::Started:
      mnuRigCtrlActivate->setChecked(true);
      mnuRigSetup->setEnabled(false);
      m_clock.rigControlActive = true;
      paintBandButtons(true);
      break;
    case RigCtrl::Toggle::NeedsTest:
      mnuRigSetup_Click();
      break;
    default:
      break;
  }
}

void frmPrimary::mnuRigSetup_Click() {
  if (mnuRigCtrlActivate->isChecked()) return;  // the setup entry is disabled then
  frmTxRx w(d, m_rig->ctrl(), &writeDefaultRigData, this);
  bool corrupt = false;
  connect(&w, &frmTxRx::corruptDataFile, this, [&corrupt] { corrupt = true; });
  if (w.load()) w.exec();
  if (corrupt) {
    close();  // a rig file the lists cannot show ends the program
    return;
  }
  if (d.RigStartPending && isActiveWindow()) activate();
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
                                     d.BeaconTable[n][3] + ", " + d.BeaconTable[n][2]));
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
    CaptureProvider* inputs = m_services.capture;
    if (!inputs) {
      m_soundCards = std::make_unique<SoundCardInputs>();
      inputs = m_soundCards.get();
    }
    m_analyser = new frmAnalyser(d, *inputs, this);
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
  if (!r.cancelled && !r.path.empty()) {
    m_heardLog.close();
    std::error_code ec;
    if (std::filesystem::path(r.path) != std::filesystem::path(d.LogFilePath))
      std::filesystem::copy_file(d.LogFilePath, r.path,
                                 std::filesystem::copy_options::overwrite_existing, ec);
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
  std::error_code ec;
  std::filesystem::current_path(d.DataFolder, ec);
}

// --- shutdown --------------------------------------------------------------------------

void frmPrimary::closeEvent(QCloseEvent* e) {
  shutdown();
  e->accept();
}

void frmPrimary::shutdown() {
  if (m_shutDown) return;
  m_voice->StopVoice();
  d.SlotLogged = true;
  m_heardLog.close();
  if (mnuRigCtrlActivate->isChecked()) mnuRigCtrlActivate_Click();  // finish commands
  if (m_analyser && d.AnalyserRunning) m_analyser->stopCapture();
  d.ClockRunning = false;
  tmrClockTicks->stop();
  m_shutDown = true;
  if (m_services.showClosingWindow) showClosingWindow(d.TitleText, this);
  for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    if (w->isWindow()) w->close();
}

}  // namespace harkola
