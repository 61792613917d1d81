#include "data/frmHomeDataEdit.h"

#include "ui/HelpWindow.h"

#include <QButtonGroup>
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
#include "data/DefaultData.h"
#include "data/EditorFields.h"
#include "data/StartupChecks.h"

namespace harkola {
namespace {

}  // namespace

frmHomeDataEdit::frmHomeDataEdit(PublicDecs& shared, std::function<void()> reloadAndRecompute,
                                 QWidget* parent)
    : DataEditorDialog(shared, std::move(reloadAndRecompute), "frmHomeDataEdit", "   Home location and settings",
                       parent) {
  buildControls();
}

void frmHomeDataEdit::buildControls() {
  auto* root = new QVBoxLayout(this);

  auto* nameRow = new QHBoxLayout;
  txtName = textBox("txtName", kHomeNameMaxChars);
  txtName->setToolTip("Enter the name of your location here");
  nameRow->addWidget(new QLabel("Home location"));
  nameRow->addWidget(txtName, 1);
  root->addLayout(nameRow);

  auto* posBox = new QGroupBox("Position");
  auto angle = [&](QLineEdit*& edit, const char* name, AngleField kind, int field,
                   const char* tip) {
    edit = angleBox(name, kind, [this, field] { return d.Home.fields[field]; });
    edit->setToolTip(tip);
    connect(edit, &QLineEdit::textChanged, this, [this] { refreshLocator(); });
  };
  angle(txtLatDeg, "txtLatDeg", AngleField::LatitudeDegrees, 2, "Enter lattitude in whole degrees up to 180");
  angle(txtLatMin, "txtLatMin", AngleField::Minutes, 3, "Enter lattitude minutes as a whole number");
  angle(txtLongDeg, "txtLongDeg", AngleField::LongitudeDegrees, 5,
        "Enter longitude degrees as a whole number up to 180");
  angle(txtLongMin, "txtLongMin", AngleField::Minutes, 6, "Enter longitude minutes as a whole number");

  auto option = [&](QRadioButton*& b, const char* name, const char* caption, const char* tip) {
    b = named(new QRadioButton(caption), name);
    if (tip) b->setToolTip(tip);
    connect(b, &QRadioButton::toggled, this, [this] { refreshLocator(); });
  };
  option(optNorth, "optNorth", "North", "Push if you are north of the Equator");
  option(optSouth, "optSouth", "South", "Push if you are south of the Equator");
  option(optWest, "optWest", "West", "Push if you are west of the Greenwich (Prime) meridian");
  option(optEast, "optEast", "East", "Push if you are east of the Greenwich (Prime) meridian");
  QGridLayout* pos =
      positionGrid(posBox, {txtLatDeg, txtLatMin, txtLongDeg, txtLongMin, optNorth, optSouth, optWest, optEast});

  txtLocator = named(new QLineEdit, "txtLocator");
  txtLocator->setToolTip("Grid locator of this position; type a 4 or 6 character locator to set the position");
  txtLocator->setMaxLength(8);
  txtLocator->setMaximumWidth(txtLocator->fontMetrics().horizontalAdvance("MMMMMMMM") + 12);
  cmdUseLocator = editorButton("Use locator", "cmdUseLocator", "Sets the position to the centre of the locator's square");
  pos->addWidget(new QLabel("Locator"), 3, 0);
  pos->addWidget(txtLocator, 3, 1, 1, 2);
  pos->addWidget(cmdUseLocator, 3, 3, 1, 2);
  root->addWidget(posBox);

  auto* unitBox = new QGroupBox("Distance units");
  auto* units = new QHBoxLayout(unitBox);
  Units[0] = named(new QRadioButton("Miles"), "Units_0");
  Units[1] = named(new QRadioButton("Kilometres"), "Units_1");
  units->addWidget(Units[0]);
  units->addWidget(Units[1]);
  units->addSpacing(12);
  units->addWidget(new QLabel("For main screen display"));
  units->addStretch(1);
  root->addWidget(unitBox);

  lblHomeDataStatus = named(new QLabel, "lblHomeDataStatus");
  lblHomeDataStatus->setWordWrap(true);
  root->addWidget(lblHomeDataStatus);
  lblHint = named(new QLabel("Use mouse or tab key to move between data fields"), "lblHint");
  root->addWidget(lblHint);

  auto* buttons = new QHBoxLayout;
  cmdSaveHomeData = editorButton("Save", "cmdSaveHomeData", "Saves what you see in this window");
  cmdDefault1 = editorButton("Restore default", "cmdDefault1", "Creates new file using default data");
  cmdExit = editorButton("Exit", "cmdExit", "Press to exit without saving");
  buttons->addWidget(cmdSaveHomeData);
  buttons->addWidget(cmdDefault1);
  buttons->addStretch(1);
  buttons->addWidget(cmdExit);
  root->addLayout(buttons);

  QWidget* order[] = {txtName,    txtLatDeg,  txtLatMin,     optNorth,        optSouth,
                      txtLongDeg, txtLongMin, optWest,       optEast,         Units[0],
                      Units[1],   txtLocator, cmdUseLocator, cmdSaveHomeData, cmdDefault1,
                      cmdExit};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  connect(cmdUseLocator, &QPushButton::clicked, this, [this] { cmdUseLocator_Click(); });
  connect(txtLocator, &QLineEdit::returnPressed, this, [this] { cmdUseLocator_Click(); });
  connect(cmdSaveHomeData, &QPushButton::clicked, this, [this] { cmdSaveHomeData_Click(); });
  connect(cmdDefault1, &QPushButton::clicked, this, [this] { cmdDefault1_Click(); });
  connect(cmdExit, &QPushButton::clicked, this, &QDialog::reject);
}

void frmHomeDataEdit::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (m_activated) return;
  m_activated = true;
  showData();
  txtName->setFocus();
}

void frmHomeDataEdit::showData() {
  if (!homeChoicesValid(d.Home) && !m_repairing) {
    showEditorMessage(this, kCorruptDataMessage);
    m_repairing = true;
    restoreDefault();  // shows the data again
    m_repairing = false;
    return;
  }
  const HomeForm f = homeForm(d.Home);
  txtName->setText(qs(f.name));
  txtLatDeg->setText(qs(f.latDeg));
  txtLatMin->setText(qs(f.latMin));
  txtLongDeg->setText(qs(f.lonDeg));
  txtLongMin->setText(qs(f.lonMin));
  // A record the repair could not mend shows the choice the rest of the program makes
  // of an unknown word: North, East and kilometres.
  (f.south ? optSouth : optNorth)->setChecked(true);
  (f.west ? optWest : optEast)->setChecked(true);
  Units[f.miles ? 0 : 1]->setChecked(true);
  lblHomeDataStatus->setText(qs(f.note + kHelpSuffix));
  refreshLocator();
}

HomeForm frmHomeDataEdit::form() const {
  HomeForm f;
  f.name = txtName->text().toStdString();
  f.latDeg = txtLatDeg->text().toStdString();
  f.latMin = txtLatMin->text().toStdString();
  f.lonDeg = txtLongDeg->text().toStdString();
  f.lonMin = txtLongMin->text().toStdString();
  f.south = optSouth->isChecked();
  f.west = optWest->isChecked();
  f.miles = Units[0]->isChecked();
  return f;
}

void frmHomeDataEdit::refreshLocator() {
  if (!txtLocator) return;
  txtLocator->setText(qs(locatorOfParts(
      txtLatDeg->text().toStdString(), txtLatMin->text().toStdString(), optSouth->isChecked(),
      txtLongDeg->text().toStdString(), txtLongMin->text().toStdString(), optWest->isChecked())));
}

void frmHomeDataEdit::cmdUseLocator_Click() {
  const std::optional<PositionTexts> p = positionOfLocator(txtLocator->text().toStdString());
  if (!p) {
    showEditorMessage(this, kBadLocatorMessage);
    refreshLocator();  // back to the locator of the unchanged position
    return;
  }
  txtLatDeg->setText(qs(p->latDeg));
  txtLatMin->setText(qs(p->latMin));
  (p->northSouth == "South" ? optSouth : optNorth)->setChecked(true);
  txtLongDeg->setText(qs(p->lonDeg));
  txtLongMin->setText(qs(p->lonMin));
  (p->westEast == "West" ? optWest : optEast)->setChecked(true);
  refreshLocator();
}

void frmHomeDataEdit::cmdSaveHomeData_Click() {
  const HomeForm f = form();
  if (auto problem = positionProblem({f.latDeg, f.latMin, f.lonDeg, f.lonMin})) {
    showEditorMessage(this, *problem);
    return;
  }
  const HomeRecord home = homeRecordOf(f);

  const std::filesystem::path folder = d.DataFolder;
  if (!saveHomeFile(folder, home)) {
    dialogs().message(this, Notice{saveFailedMessage(folder / kHomeDataFile), kAppTitle,
                                   NoticeIcon::Critical, NoticeButtons::Ok});
    return;
  }
  d.Home = home;
  reload();
  showEditorMessage(this, kHomeSavedMessage);
  showData();
}

void frmHomeDataEdit::cmdDefault1_Click() { restoreDefault(); }

void frmHomeDataEdit::restoreDefault() {
  dialogs().message(this, writeDefaultHomeData(d.DataFolder));
  reload();
  showData();
}

}  // namespace harkola
