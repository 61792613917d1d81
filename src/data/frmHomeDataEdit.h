#pragma once
// The home data editor: the name and position of the home station and the distance
// unit of the main window. Saving rewrites HomeData.dat and has the caller reload and
// recompute the distances and azimuths of all beacons.
//
// Besides degrees and minutes the position can be given as a Maidenhead locator: the
// locator box shows the locator of what the boxes hold, and a typed 4- or 6-character
// locator fills the boxes with the centre of its square (whole minutes). The file
// keeps degrees and minutes only.

#include <QDialog>
#include <array>
#include <functional>

#include "common/PublicDecs.h"
#include "data/EditorFields.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace harkola {

class frmHomeDataEdit : public DataEditorDialog {
  Q_OBJECT
 public:
  // `reloadAndRecompute` as for every data editor (DataEditorDialog).
  frmHomeDataEdit(PublicDecs& d, std::function<void()> reloadAndRecompute, QWidget* parent = nullptr);

  // Fills the window from d.Home (repairing a damaged record with the default).
  void showData();

  // What the boxes and choices hold now.
  HomeForm form() const;
  void cmdSaveHomeData_Click();
  void cmdDefault1_Click();
  // Applies the locator typed into txtLocator; a bad one is reported and changes nothing.
  void cmdUseLocator_Click();

  QLineEdit* txtName = nullptr;
  // txtLatDeg, txtLatMin, optNorth, optSouth, txtLongDeg, txtLongMin, optWest, optEast
  PositionBox* position = nullptr;
  std::array<QRadioButton*, 2> Units{};  // 0 miles, 1 kilometres
  QLineEdit* txtLocator = nullptr;
  QPushButton* cmdUseLocator = nullptr;
  QLabel* lblHomeDataStatus = nullptr;
  QPushButton* cmdSaveHomeData = nullptr;
  QPushButton* cmdDefault1 = nullptr;

 protected:
  void firstShown() override;

 private:
  void buildControls();
  void restoreDefault();
  void refreshLocator();
};

}  // namespace harkola
