// The main window's controls and menus.
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
#include "rig/RigData.h"
#include "rig/SerialRigPort.h"
#include "rig/frmTxRx.h"
#include "voice/ResfileSoundModule.h"
#include "voice/frmVoiceSel.h"
#include "ui/Named.h"

namespace harkola {

using primary::rgb;
using primary::setBackground;

namespace {

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

void frmPrimary::buildControls() {
  auto* central = new QWidget(this);
  setCentralWidget(central);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(14, 10, 14, 10);
  outer->setSpacing(8);
  outer->addLayout(buildTimeRow(central));
  outer->addWidget(separator(0, central));
  outer->addLayout(buildBeaconPanel(central));
  outer->addWidget(buildSlotProgress(central));
  outer->addWidget(separator(1, central));
  outer->addLayout(buildBandSelector(central));
  outer->addWidget(separator(2, central));
  outer->addWidget(buildSLevelLogger(central));
  outer->addWidget(separator(3, central));
  outer->addLayout(buildButtonRow(central));
  outer->addWidget(buildNetworkLine(central));

  // State holders of the clock, never shown.
  txtHiddenStationNumber = named(new QLineEdit(central), "txtHiddenStationNumber");
  txtHiddenStationNumber->hide();
  lblHidden = named(new QLabel(central), "lblHidden");
  lblHidden->hide();

  connect(cmdSecondsUp, &QPushButton::clicked, this, &frmPrimary::cmdSecondsUp_Click);
  connect(cmdSecondsDown, &QPushButton::clicked, this, &frmPrimary::cmdSecondsDown_Click);
  connect(cmdNBeacon, &QPushButton::clicked, this, &frmPrimary::mnuNextBeacon_Click);
  connect(cmdALog, &QPushButton::clicked, this, &frmPrimary::mnuLogAuto_Click);
  connect(cmdMLog, &QPushButton::clicked, this, &frmPrimary::mnuLogManual_Click);
  connect(cmdRigCtrl, &QPushButton::clicked, this, &frmPrimary::mnuRigCtrlActivate_Click);
  connect(cmdVoice, &QPushButton::clicked, this, &frmPrimary::mnuVoiceActivate_Click);
}

QFrame* frmPrimary::separator(int i, QWidget* central) {
  auto* f = new QFrame(central);
  f->setObjectName(QString("Line%1").arg(i + 1));
  f->setFrameShape(QFrame::HLine);
  f->setFixedHeight(3);
  separatorLines[i] = f;
  return f;
}

// Time, slot and home.
QLayout* frmPrimary::buildTimeRow(QWidget* central) {
  auto* top = new QGridLayout;
  top->setHorizontalSpacing(10);
  const QString clockHint = "You MUST set your PC clock accurately for this program to work properly!";
  auto* timeTitle = title("Time:", central, "Computer time");
  lblSystemTime = value("lblSystemTime", central, 16, true);
  lblSystemTime->setToolTip(clockHint);
  lblSystemTime->setMinimumWidth(110);
  lblClockSync = value("lblClockSync", central, 9);
  lblClockSync->setToolTip(clockHint);
  cmdSecondsUp = named(new QPushButton("+1 s", central), "cmdSecondsUp");
  cmdSecondsUp->setToolTip("Click to increase system time by one second");
  cmdSecondsDown = named(new QPushButton("\u22121 s", central), "cmdSecondsDown");
  cmdSecondsDown->setToolTip("Click to decrease system time by one second");
  lblSlot = title("Slot No:", central, "Sequence number");
  lblSlot->setObjectName("lblSlot");
  lblSlotNumber = value("lblSlotNumber", central, 16, true);
  lblSlotNumber->setMinimumWidth(36);
  lblHome = value("lblHome", central, 12);
  top->addWidget(timeTitle, 0, 0);
  // UTC beside the local time: hams keep logs and schedules in UTC.
  lblUtcTime = value("lblUtcTime", central, 11, true);
  lblUtcTime->setToolTip("Coordinated Universal Time");
  auto* times = new QHBoxLayout;
  times->addWidget(lblSystemTime);
  times->addSpacing(8);
  times->addWidget(lblUtcTime);
  times->addStretch(1);
  top->addLayout(times, 0, 1);
  top->addWidget(cmdSecondsDown, 0, 2);
  top->addWidget(cmdSecondsUp, 0, 3);
  top->addWidget(lblClockSync, 1, 1, 1, 3);
  top->setColumnStretch(4, 1);
  top->addWidget(lblSlot, 0, 5);
  top->addWidget(lblSlotNumber, 0, 6);
  top->setColumnStretch(7, 1);
  top->addWidget(title("Home:", central), 0, 8);
  top->addWidget(lblHome, 0, 9);
  return top;
}

// The beacon on the air, large enough to read from across the shack.
QLayout* frmPrimary::buildBeaconPanel(QWidget* central) {
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
  return beacon;
}

QWidget* frmPrimary::buildSlotProgress(QWidget* central) {
  prgbrSlot = named(new QProgressBar(central), "prgbrSlot");
  prgbrSlot->setRange(0, 100);
  prgbrSlot->setTextVisible(false);
  prgbrSlot->setFixedHeight(14);
  prgbrSlot->setToolTip("Indicates the elapsed time in this slot");
  return prgbrSlot;
}

QLayout* frmPrimary::buildBandSelector(QWidget* central) {
  auto* bands = new QHBoxLayout;
  for (int b = 0; b < kBandCount; ++b) {
    auto* rb = new QRadioButton(central);
    rb->setObjectName(QString("opgBandSelect_%1").arg(b));
    rb->setToolTip("Click to select " + qs(bandInfo(b).frequency) + " MHz beacons");
    rb->setAutoExclusive(false);
    auto* lbl = new QLabel(qs(bandInfo(b).text) + "MHz", central);
    lbl->setObjectName("lbl" + lbl->text());
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
  return bands;
}

QWidget* frmPrimary::buildSLevelLogger(QWidget* central) {
  fraSLevel = named(new QGroupBox("S level", central), "fraSLevel");
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
  lblSaved = named(new QLabel(fraSLevel), "lblSaved");
  lblSaved->setMinimumSize(60, 22);
  lblSaved->setToolTip(
      "This bar changes colour when further S meter levels are locked out - to prevent multiple "
      "logging");
  sRow->addSpacing(12);
  sRow->addWidget(lblSaved, 1);
  return fraSLevel;
}

// Buttons and the voice indicator.
QLayout* frmPrimary::buildButtonRow(QWidget* central) {
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
  lblVoice = named(new QLabel("Voice:", central), "lblVoice");
  lblVInd = named(new QLabel("OFF", central), "lblVInd");
  lblVInd->setToolTip(kVoiceIndicatorInitialTooltip);
  lblVInd->setMinimumWidth(40);
  buttons->addWidget(lblVoice);
  buttons->addWidget(lblVInd);
  return buttons;
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
  add(logging, mnuPropagation, "mnuPropagation", "&Propagation view");
  add(logging, mnuReceiver, "mnuReceiver", "&Receiver...");
  add(logging, mnuNetwork, "mnuNetwork", "Ne&twork...");
  QMenu* voice = menuBar()->addMenu("&Voice announce");
  add(voice, mnuVoiceActivate, "mnuVoiceActivate", "&On/Off")->setCheckable(true);
  QMenu* rig = menuBar()->addMenu("&Rig control");
  add(rig, mnuRigSetup, "mnuRigSetup", "&Setup ");
  add(rig, mnuRigCtrlActivate, "mnuRigCtrlActivate", "&Activate")->setCheckable(true);
  add(rig, mnuScanBands, "mnuScanBands", "Scan &bands")->setCheckable(true);
  mnuScanBands->setEnabled(false);  // while rig control is on
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
  toggle(mnuScanBands, &frmPrimary::mnuScanBands_Click);
  connect(mnuPropagation, &QAction::triggered, this, &frmPrimary::mnuPropagation_Click);
  connect(mnuReceiver, &QAction::triggered, this, &frmPrimary::mnuReceiver_Click);
  connect(mnuNetwork, &QAction::triggered, this, &frmPrimary::mnuNetwork_Click);
  connect(mnuHelpFile, &QAction::triggered, this, [this] { showHelpContents(this); });
  connect(mnuAbout, &QAction::triggered, this, [this] { showAboutBox(d.TitleText, d.DataFolder, d.LogFolder, this); });

  // The log buttons show at a glance whether their logging is on: checked (green) while
  // it runs. A click flips a checkable button by itself; the handler decides, and the
  // button then shows what the menu mark says.
  for (auto [button, action] : {std::pair(cmdALog, mnuLogAuto), std::pair(cmdMLog, mnuLogManual)}) {
    button->setCheckable(true);
    button->setChecked(action->isChecked());
    button->setStyleSheet("QPushButton:checked { background-color: rgb(0,128,0); color: white; font-weight: bold; }");
    connect(action, &QAction::toggled, button, &QAbstractButton::setChecked);
    connect(button, &QAbstractButton::clicked, button, [button, action] { button->setChecked(action->isChecked()); });
  }
}

}  // namespace harkola
