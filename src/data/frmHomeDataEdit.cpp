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

// The home record's fields of latitude degrees and minutes, longitude degrees and minutes.
constexpr int kPositionFields[] = {2, 3, 5, 6};

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

  position = new PositionBox({"txtLatDeg", "txtLatMin", "txtLongDeg", "txtLongMin", "optNorth", "optSouth", "optWest",
                              "optEast"},
                             [this](int box) { return d.Home.fields[kPositionFields[box]]; }, this);
  position->latDeg->setToolTip("Enter lattitude in whole degrees up to 180");
  position->latMin->setToolTip("Enter lattitude minutes as a whole number");
  position->lonDeg->setToolTip("Enter longitude degrees as a whole number up to 180");
  position->lonMin->setToolTip("Enter longitude minutes as a whole number");
  position->north->setToolTip("Push if you are north of the Equator");
  position->south->setToolTip("Push if you are south of the Equator");
  position->west->setToolTip("Push if you are west of the Greenwich (Prime) meridian");
  position->east->setToolTip("Push if you are east of the Greenwich (Prime) meridian");
  position->onChange(this, [this] { refreshLocator(); });
  QGridLayout* pos = position->grid();

  txtLocator = named(new QLineEdit, "txtLocator");
  txtLocator->setToolTip("Grid locator of this position; type a 4 or 6 character locator to set the position");
  txtLocator->setMaxLength(8);
  txtLocator->setMaximumWidth(txtLocator->fontMetrics().horizontalAdvance("MMMMMMMM") + 12);
  cmdUseLocator = editorButton("Use locator", "cmdUseLocator", "Sets the position to the centre of the locator's square");
  pos->addWidget(new QLabel("Locator"), 3, 0);
  pos->addWidget(txtLocator, 3, 1, 1, 2);
  pos->addWidget(cmdUseLocator, 3, 3, 1, 2);
  root->addWidget(position);

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

  cmdSaveHomeData = editorButton("Save", "cmdSaveHomeData", "Saves what you see in this window");
  cmdDefault1 = editorButton("Restore default", "cmdDefault1", "Creates new file using default data");
  lblHomeDataStatus = addFoot(root, "lblHomeDataStatus", "Use mouse or tab key to move between data fields",
                              cmdSaveHomeData, cmdDefault1, "Press to exit without saving");

  QWidget* order[] = {txtName,          position->latDeg, position->latMin, position->north, position->south,
                      position->lonDeg, position->lonMin, position->west,   position->east,  Units[0],
                      Units[1],         txtLocator,       cmdUseLocator,    cmdSaveHomeData, cmdDefault1,
                      cmdExit};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  connect(cmdUseLocator, &QPushButton::clicked, this, [this] { cmdUseLocator_Click(); });
  connect(txtLocator, &QLineEdit::returnPressed, this, [this] { cmdUseLocator_Click(); });
  connect(cmdSaveHomeData, &QPushButton::clicked, this, [this] { cmdSaveHomeData_Click(); });
  connect(cmdDefault1, &QPushButton::clicked, this, [this] { cmdDefault1_Click(); });
}

void frmHomeDataEdit::firstShown() {
  showData();
  txtName->setFocus();
}

void frmHomeDataEdit::showData() {
  if (repairDamaged(homeChoicesValid(d.Home), [this] { restoreDefault(); })) return;
  const HomeForm f = homeForm(d.Home);
  txtName->setText(qs(f.name));
  // A record the repair could not mend shows the choice the rest of the program makes
  // of an unknown word: North, East and kilometres.
  position->showForm(f);
  Units[f.miles ? 0 : 1]->setChecked(true);
  lblHomeDataStatus->setText(qs(f.note + kHelpSuffix));
  refreshLocator();
}

HomeForm frmHomeDataEdit::form() const {
  HomeForm f;
  f.name = txtName->text().toStdString();
  position->readForm(f);
  f.miles = Units[0]->isChecked();
  return f;
}

void frmHomeDataEdit::refreshLocator() {
  if (!txtLocator) return;
  HomeForm f;
  position->readForm(f);
  txtLocator->setText(qs(locatorOfParts(f.latDeg, f.latMin, f.south, f.lonDeg, f.lonMin, f.west)));
}

void frmHomeDataEdit::cmdUseLocator_Click() {
  const std::optional<PositionTexts> p = positionOfLocator(txtLocator->text().toStdString());
  if (!p) {
    showEditorMessage(this, kBadLocatorMessage);
    refreshLocator();  // back to the locator of the unchanged position
    return;
  }
  position->showTexts(p->latDeg, p->latMin, p->northSouth == "South", p->lonDeg, p->lonMin, p->westEast == "West");
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
  if (finishSave(saveHomeFile(folder, home), folder / kHomeDataFile, [&] { d.Home = home; }, kHomeSavedMessage))
    showData();
}

void frmHomeDataEdit::cmdDefault1_Click() { restoreDefault(); }

void frmHomeDataEdit::restoreDefault() {
  dialogs().message(this, writeDefaultHomeData(d.DataFolder));
  reload();
  showData();
}

}  // namespace harkola
