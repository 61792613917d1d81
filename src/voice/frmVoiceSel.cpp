#include "voice/frmVoiceSel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/Beacons.h"
#include "ui/BeaconPicker.h"
#include "ui/UserDialogs.h"

namespace harkola {

frmVoiceSel::frmVoiceSel(PublicDecs& shared, IndicatorCallback onIndicator, QWidget* parent)
    : BeaconChoiceWindow(shared, " - Voice announcement activation", parent),
      m_onIndicator(std::move(onIndicator)),
      m_selection(shared.VoiceSelected) {
  setObjectName(QStringLiteral("frmVoiceSel"));

  m_picker = new BeaconPicker(BeaconPicker::Choice::Many, QStringLiteral("chkVoiceBeID"),
                              QStringLiteral("Click to select beacon for report"), this);
  for (int i = 0; i < kBeaconCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    chkVoiceBeID[k] = static_cast<QCheckBox*>(m_picker->buttons[k]);
    lblVBeID[k] = m_picker->callsigns[k];
    Label2[k] = m_picker->countries[k];
    connect(chkVoiceBeID[k], &QCheckBox::toggled, this, [this, i](bool on) { boxClicked(i, on); });
  }

  cmdAllOn = new QPushButton(QStringLiteral("All ON "), this);
  cmdAllOn->setObjectName(QStringLiteral("cmdAllOn"));
  cmdAllOn->setToolTip(QStringLiteral("Click to switch on all voice announcements"));
  cmdAllOff = new QPushButton(QStringLiteral("All OFF (default)"), this);
  cmdAllOff->setObjectName(QStringLiteral("cmdAllOff"));
  cmdAllOff->setToolTip(QStringLiteral("Click to switch off all voice announcements"));
  connect(cmdAllOn, &QPushButton::clicked, this, [this] { allClicked(true); });
  connect(cmdAllOff, &QPushButton::clicked, this, [this] { allClicked(false); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdAllOn);
  buttons->addWidget(cmdAllOff);
  buttons->addStretch();

  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);

  auto* top = new QVBoxLayout(this);
  top->addWidget(m_picker);
  top->addWidget(line);
  top->addLayout(buttons);
  top->setSizeConstraint(QLayout::SetFixedSize);
}

void frmVoiceSel::fill() {
  m_picker->showBeacons(Beacons(d.BeaconTable));
  // Boxes start cleared as on a fresh window; setting a box from the selection then
  // runs its click handler, which brings the indicator and the count up to date.
  for (QCheckBox* chk : chkVoiceBeID) {
    const QSignalBlocker quiet(chk);
    chk->setChecked(false);
  }
  const auto selected = d.VoiceSelected;  // copy: each handler writes the original
  for (int i = 0; i < kBeaconCount; ++i)
    chkVoiceBeID[static_cast<std::size_t>(i)]->setChecked(selected[static_cast<std::size_t>(i)]);
}

void frmVoiceSel::boxClicked(int index, bool checked) {
  if (auto indicator = m_selection.boxChanged(index, checked)) report(*indicator);
}

void frmVoiceSel::allClicked(bool on) {
  m_selection.beginBulk();
  for (QCheckBox* chk : chkVoiceBeID) chk->setChecked(on);
  report(m_selection.setAll(on));
  close();
}

void frmVoiceSel::report(const VoiceIndicator& indicator) {
  if (m_onIndicator) m_onIndicator(indicator);
}

void frmVoiceSel::closeEvent(QCloseEvent* event) {
  if (isLoaded()) {
    if (auto warning = m_selection.unload(d.TitleText)) dialogs().message(this, *warning);
    unload();
  }
  QWidget::closeEvent(event);
}

}  // namespace harkola
