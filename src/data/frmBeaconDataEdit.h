#pragma once
// The beacon data editor: corrects the entry of one beacon at a time in the shared
// BeaconTable and rewrites BeaconData.dat, after which the whole program works with
// the new data (the caller's reload recomputes distances and azimuths).
//
// The table holds only saved values: the boxes are edited, and nothing reaches the
// table or the file before "Save this entry".

#include <QDialog>
#include <array>
#include <functional>

#include "common/PublicDecs.h"
#include "data/EditorFields.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace harkola {

class frmBeaconDataEdit : public DataEditorDialog {
  Q_OBJECT
 public:
  // `reloadAndRecompute` as for every data editor (DataEditorDialog).
  frmBeaconDataEdit(PublicDecs& d, std::function<void()> reloadAndRecompute, QWidget* parent = nullptr);

  // The beacon being edited, 1..18.
  int beacon() const { return m_beacon; }
  // Fills the window from row `n` of the table (repairing a damaged row as "Defaults").
  void showBeacon(int n);

  // What the boxes and choices hold now.
  BeaconForm form() const;
  void cmdSaveBeaconData_Click();
  void cmdDefault2_Click();

  QComboBox* cboEditSlotChoose = nullptr;
  QLineEdit* txtEditCountry = nullptr;
  QLineEdit* txtEditCallsign = nullptr;
  std::array<QLineEdit*, kBandCount> txtEditStatus{};  // txtEditStatus14 .. txtEditStatus28
  // txtEditLatDeg, txtEditLatMin, btnNorth, btnSouth, txtEditLongDeg, txtEditLongMin,
  // btnWest, btnEast
  PositionBox* position = nullptr;
  QLabel* lblDataStatus = nullptr;
  QLabel* lblWarning = nullptr;
  QPushButton* cmdSaveBeaconData = nullptr;
  QPushButton* cmdDefault2 = nullptr;

 protected:
  void firstShown() override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void buildControls();
  void restoreDefaults();

  int m_beacon = 1;
};

}  // namespace harkola
