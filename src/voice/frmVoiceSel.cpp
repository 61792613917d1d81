#include "voice/frmVoiceSel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/UserDialogs.h"

namespace harkola {

namespace {
constexpr int kRowsPerColumn = 9;  // beacons 1..9 on the left, 10..18 on the right
}

frmVoiceSel::frmVoiceSel(PublicDecs& shared, IndicatorCallback onIndicator, QWidget* parent)
    : QWidget(parent, Qt::Window),
      d(shared),
      m_onIndicator(std::move(onIndicator)),
      m_selection(shared.VoiceSelected) {
  setObjectName(QStringLiteral("frmVoiceSel"));

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  for (int i = 0; i < kBeaconCount; ++i) {
    const QString n = QString::number(i);
    auto* chk = new QCheckBox(this);
    chk->setObjectName(QStringLiteral("chkVoiceBeID_") + n);
    chk->setToolTip(QStringLiteral("Click to select beacon for report"));
    auto* call = new QLabel(this);
    call->setObjectName(QStringLiteral("lblVBeID_") + n);
    call->setMinimumWidth(call->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMMMMM")));
    QFont bold = call->font();
    bold.setBold(true);
    call->setFont(bold);
    auto* country = new QLabel(this);
    country->setObjectName(QStringLiteral("Label2_") + n);
    country->setMinimumWidth(
        country->fontMetrics().horizontalAdvance(QStringLiteral("New Zealand (x)")));

    const int row = i % kRowsPerColumn;
    const int col = (i / kRowsPerColumn) * 4;
    grid->addWidget(chk, row, col);
    grid->addWidget(call, row, col + 1);
    grid->addWidget(country, row, col + 2);
    chkVoiceBeID[static_cast<std::size_t>(i)] = chk;
    lblVBeID[static_cast<std::size_t>(i)] = call;
    Label2[static_cast<std::size_t>(i)] = country;
    connect(chk, &QCheckBox::toggled, this, [this, i](bool on) { boxClicked(i, on); });
  }
  grid->setColumnMinimumWidth(3, 24);  // gap between the two halves

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
  top->addLayout(grid);
  top->addWidget(line);
  top->addLayout(buttons);
  top->setSizeConstraint(QLayout::SetFixedSize);
}

void frmVoiceSel::showEvent(QShowEvent* event) {
  if (!m_loaded) load();
  QWidget::showEvent(event);
}

void frmVoiceSel::load() {
  m_loaded = true;
  setWindowTitle(qs(d.TitleText + " - Voice announcement activation"));
  for (int i = 0; i < kBeaconCount; ++i) {
    const auto& row = d.BeaconTable[static_cast<std::size_t>(i + 1)];
    lblVBeID[static_cast<std::size_t>(i)]->setText(qs(row[3]));
    Label2[static_cast<std::size_t>(i)]->setText(qs(row[2]));
  }
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
  if (m_loaded) {
    if (auto warning = m_selection.unload(d.TitleText)) dialogs().message(this, *warning);
    m_loaded = false;
  }
  QWidget::closeEvent(event);
}

}  // namespace harkola
