#include "rig/frmFollow.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "data/Beacons.h"
#include "ui/BeaconPicker.h"
#include "ui/UserDialogs.h"
#include "voice/VoiceSelection.h"

namespace harkola {

namespace {
const QString kVoiceOff = QStringLiteral("Voice off");
const QString kVoiceOn = QStringLiteral("Voice on");
}  // namespace

frmFollow::frmFollow(PublicDecs& shared, QWidget* parent)
    : BeaconChoiceWindow(shared, " - Activate follow a single beacon mode", parent) {
  setObjectName(QStringLiteral("frmFollow"));
  m_group = new QButtonGroup(this);
  m_group->setExclusive(true);

  auto* box = new QGroupBox(QStringLiteral("Beacon to follow"), this);
  auto* boxLayout = new QVBoxLayout(box);
  m_picker = new BeaconPicker(BeaconPicker::Choice::One, QStringLiteral("opgFollowBeID"),
                              QStringLiteral("Click to select beacon to follow"), box);
  boxLayout->addWidget(m_picker);
  for (int i = 0; i < kBeaconCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    opgFollowBeID[k] = static_cast<QRadioButton*>(m_picker->buttons[k]);
    lblVBeID[k] = m_picker->callsigns[k];
    Label2[k] = m_picker->countries[k];
    // A click on the callsign or the country chooses the beacon as well.
    lblVBeID[k]->installEventFilter(this);
    Label2[k]->installEventFilter(this);
  }

  // The "no beacon" entry is never shown; choosing it clears the visible options.
  auto* dummy = new QRadioButton(QStringLiteral("Dummy button"), box);
  dummy->setObjectName(QStringLiteral("opgFollowBeID_18"));
  dummy->setToolTip(QStringLiteral("Click to select beacon to follow"));
  dummy->hide();
  opgFollowBeID[kNoBeaconEntry] = dummy;

  for (int k = 0; k <= kNoBeaconEntry; ++k) {
    m_group->addButton(opgFollowBeID[static_cast<std::size_t>(k)], k);
    connect(opgFollowBeID[static_cast<std::size_t>(k)], &QRadioButton::clicked, this,
            [this, k] { entryChosen(k); });
  }

  cmdActivate = new QPushButton(QStringLiteral("Activate"), this);
  cmdActivate->setObjectName(QStringLiteral("cmdActivate"));
  cmdActivate->setToolTip(QStringLiteral("Click to follow the selected beacon from band to band"));
  cmdVoiceFollow = new QPushButton(kVoiceOff, this);
  cmdVoiceFollow->setObjectName(QStringLiteral("cmdVoiceFollow"));
  cmdVoiceFollow->setToolTip(
      QStringLiteral("Click to toggle voice announcements of the selected beacon only"));
  cmdClear = new QPushButton(QStringLiteral("Clear"), this);
  cmdClear->setObjectName(QStringLiteral("cmdClear"));
  cmdClear->setToolTip(QStringLiteral("Click to end follow mode and switch off all voice announcements"));
  connect(cmdActivate, &QPushButton::clicked, this, &frmFollow::cmdActivate_Click);
  connect(cmdVoiceFollow, &QPushButton::clicked, this, &frmFollow::cmdVoiceFollow_Click);
  connect(cmdClear, &QPushButton::clicked, this, &frmFollow::cmdClear_Click);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdActivate);
  buttons->addWidget(cmdVoiceFollow);
  buttons->addWidget(cmdClear);
  buttons->addStretch();

  auto* top = new QVBoxLayout(this);
  top->addWidget(box);
  top->addLayout(buttons);
  top->setSizeConstraint(QLayout::SetFixedSize);

  entryChosen(kNoBeaconEntry);
}

void frmFollow::fill() {
  m_picker->showBeacons(Beacons(d.BeaconTable));
  cmdVoiceFollow->setText(kVoiceOff);
  // Following starts from 14 MHz: the band step waits for the chosen beacon there.
  if (onSelectBand) onSelectBand(0);
  selectEntry(kNoBeaconEntry);
}

void frmFollow::selectEntry(int entry) {
  if (entry < 0 || entry > kNoBeaconEntry) return;
  load();
  opgFollowBeID[static_cast<std::size_t>(entry)]->setChecked(true);
  entryChosen(entry);
}

void frmFollow::entryChosen(int entry) {
  m_entry = entry;
  const bool beacon = entry != kNoBeaconEntry;
  cmdActivate->setEnabled(beacon);
  cmdVoiceFollow->setEnabled(beacon);
}

void frmFollow::cmdActivate_Click() {
  const FollowState s = activateEntry(m_entry, FollowState{d.FollowMode, d.FollowedBeacon});
  d.FollowMode = s.mode;
  d.FollowedBeacon = s.beacon;
  if (onFollowChanged) onFollowChanged();
  close();
}

void frmFollow::cmdClear_Click() {
  selectEntry(kNoBeaconEntry);
  d.FollowMode = false;
  if (onUncheckMenu) onUncheckMenu();
  if (onAllVoiceOff) onAllVoiceOff();
  if (onFollowChanged) onFollowChanged();
  close();
}

void frmFollow::cmdVoiceFollow_Click() {
  if (onAllVoiceOff) onAllVoiceOff();
  if (cmdVoiceFollow->text() == kVoiceOff && m_entry != kNoBeaconEntry) {
    if (onVoiceOn) onVoiceOn(m_entry);
    cmdVoiceFollow->setText(kVoiceOn);
    dialogs().message(this, VoiceEndMsg(d.TitleText));
  } else {
    cmdVoiceFollow->setText(kVoiceOff);
  }
}

void frmFollow::closeEvent(QCloseEvent* event) {
  unload();
  QWidget::closeEvent(event);
  if (onClosed) onClosed();
}

bool frmFollow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    for (int i = 0; i < kBeaconCount; ++i) {
      if (watched == lblVBeID[static_cast<std::size_t>(i)] ||
          watched == Label2[static_cast<std::size_t>(i)]) {
        opgFollowBeID[static_cast<std::size_t>(i)]->click();
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace harkola
