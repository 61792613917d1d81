#include "data/frmBeaconDataEdit.h"

#include "ui/HelpWindow.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/UserDialogs.h"
#include "data/DataEdit.h"
#include "data/Beacons.h"
#include "data/DefaultData.h"
#include "data/EditorFields.h"
#include "data/StartupChecks.h"

namespace harkola {
namespace {

constexpr std::array<const char*, kBandCount> kStatusNames = {
    "txtEditStatus14", "txtEditStatus18", "txtEditStatus21", "txtEditStatus24", "txtEditStatus28"};
constexpr int kPositionFields[] = {beacon_field::kLatitudeDegrees, beacon_field::kLatitudeMinutes,
                                   beacon_field::kLongitudeDegrees, beacon_field::kLongitudeMinutes};

}  // namespace

frmBeaconDataEdit::frmBeaconDataEdit(PublicDecs& shared, std::function<void()> reloadAndRecompute,
                                     QWidget* parent)
    : DataEditorDialog(shared, std::move(reloadAndRecompute), "frmBeaconDataEdit", "   Edit Beacon Data", parent) {
  buildControls();
}

void frmBeaconDataEdit::buildControls() {
  auto* root = new QVBoxLayout(this);

  lblWarning = named(new QLabel(
                         "WARNING!  Be very careful with any changes to this data; it is "
                         "fundamental to correct operation of this application."),
                     "lblWarning");
  lblWarning->setWordWrap(true);
  lblWarning->setStyleSheet("color: rgb(255,0,0); font-weight: bold;");
  root->addWidget(lblWarning);

  auto* chooserRow = new QHBoxLayout;
  cboEditSlotChoose = named(new QComboBox, "cboEditSlotChoose");
  for (int k = 1; k <= kBeaconCount; ++k) cboEditSlotChoose->addItem(QString("Slot %1").arg(k));
  cboEditSlotChoose->setToolTip("Choose the slot number to alter");
  cboEditSlotChoose->installEventFilter(this);
  chooserRow->addWidget(new QLabel("Beacon to edit:"));
  chooserRow->addWidget(cboEditSlotChoose);
  chooserRow->addStretch(1);
  root->addLayout(chooserRow);

  auto* textGroup = new QGroupBox("Beacon");
  auto* grid = new QGridLayout(textGroup);
  auto addText = [&](QLineEdit*& edit, const char* name, const QString& caption, int maxChars, int row) {
    edit = this->textBox(name, maxChars);
    grid->addWidget(new QLabel(caption), row, 0);
    grid->addWidget(edit, row, 1);
  };
  addText(txtEditCountry, "txtEditCountry", "Country", kCountryMaxChars, 0);
  addText(txtEditCallsign, "txtEditCallsign", "Callsign", kCallsignMaxChars, 1);
  for (int b = 0; b < kBandCount; ++b)
    addText(txtEditStatus[b], kStatusNames[b], "Status on " + qs(bandInfo(b).text) + " MHz",
            kStatusMaxChars, 2 + b);
  root->addWidget(textGroup);

  position = new PositionBox({"txtEditLatDeg", "txtEditLatMin", "txtEditLongDeg", "txtEditLongMin", "btnNorth",
                              "btnSouth", "btnWest", "btnEast"},
                             [this](int box) { return d.BeaconTable[m_beacon][kPositionFields[box]]; }, this);
  root->addWidget(position);

  cmdSaveBeaconData = editorButton("Save this entry", "cmdSaveBeaconData", "Saves what you see in this window");
  cmdDefault2 = editorButton("Defaults", "cmdDefault2", "Restores default information FOR ALL BEACONS");
  lblDataStatus = addFoot(root, "lblDataStatus", "Use tab key or mouse to move between data entry boxes",
                          cmdSaveBeaconData, cmdDefault2, "Press to exit without saving changes");

  // The order of the original form; the country box, which it left out, comes last so
  // the keyboard still reaches it.
  QWidget* order[] = {cboEditSlotChoose, txtEditCallsign,  txtEditStatus[0], txtEditStatus[1],
                      txtEditStatus[2],  txtEditStatus[3], txtEditStatus[4], position->latDeg,
                      position->latMin,  position->north,  position->south,  position->lonDeg,
                      position->lonMin,  position->west,   position->east,   txtEditCountry,
                      cmdSaveBeaconData, cmdDefault2,      cmdExit};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  connect(cboEditSlotChoose, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index < 0) return;
    m_beacon = index + 1;
    showBeacon(m_beacon);
  });
  connect(cmdSaveBeaconData, &QPushButton::clicked, this, [this] { cmdSaveBeaconData_Click(); });
  connect(cmdDefault2, &QPushButton::clicked, this, [this] { cmdDefault2_Click(); });
}

void frmBeaconDataEdit::firstShown() {
  cboEditSlotChoose->setEnabled(true);
  {
    const QSignalBlocker block(cboEditSlotChoose);
    cboEditSlotChoose->setCurrentIndex(0);
  }
  m_beacon = 1;
  showBeacon(1);
  cboEditSlotChoose->setFocus();
}

bool frmBeaconDataEdit::eventFilter(QObject* watched, QEvent* e) {
  // One beacon at a time: once the user leaves the chooser for the boxes it stays
  // locked until the entry is saved or the defaults are restored. Opening its list or
  // a message box taking the focus does not count as leaving it.
  if (watched == cboEditSlotChoose && e->type() == QEvent::FocusOut) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
      cboEditSlotChoose->setEnabled(false);
  }
  return QDialog::eventFilter(watched, e);
}

void frmBeaconDataEdit::showBeacon(int n) {
  if (n < 1 || n > kBeaconCount) return;
  m_beacon = n;
  if (repairDamaged(beaconHemispheresValid(d.BeaconTable, n), [this] { restoreDefaults(); })) return;
  const BeaconForm f = beaconForm(d.BeaconTable, n);
  txtEditCountry->setText(qs(f.country));
  txtEditCallsign->setText(qs(f.callsign));
  for (int b = 0; b < kBandCount; ++b) txtEditStatus[b]->setText(qs(f.status[static_cast<std::size_t>(b)]));
  position->showForm(f);
  lblDataStatus->setText(qs(f.note + kHelpSuffix));
}

BeaconForm frmBeaconDataEdit::form() const {
  BeaconForm f;
  f.country = txtEditCountry->text().toStdString();
  f.callsign = txtEditCallsign->text().toStdString();
  for (int b = 0; b < kBandCount; ++b) f.status[static_cast<std::size_t>(b)] = txtEditStatus[b]->text().toStdString();
  position->readForm(f);
  return f;
}

void frmBeaconDataEdit::cmdSaveBeaconData_Click() {
  const BeaconForm f = form();
  if (const auto problem = beaconFormProblem(f)) {
    showEditorMessage(this, *problem);
    return;
  }
  const int n = m_beacon;
  BeaconGrid table = d.BeaconTable;
  storeBeaconForm(f, table, n);

  const std::filesystem::path folder = d.DataFolder;
  if (!finishSave(saveBeaconFile(folder, table), folder / kBeaconDataFile, [&] { d.BeaconTable = table; },
                  kBeaconSavedMessage))
    return;
  showBeacon(n);
  cboEditSlotChoose->setEnabled(true);
}

void frmBeaconDataEdit::cmdDefault2_Click() {
  const Notice ask{kRestoreAllBeaconsQuestion, kAppTitle, NoticeIcon::Question, NoticeButtons::YesNo};
  if (dialogs().message(this, ask) != Answer::Yes) return;
  restoreDefaults();
}

void frmBeaconDataEdit::restoreDefaults() {
  dialogs().message(this, writeDefaultBeaconData(d.DataFolder));
  reload();
  showBeacon(m_beacon);
  cboEditSlotChoose->setEnabled(true);
}

}  // namespace harkola
