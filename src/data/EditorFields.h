#pragma once
// Behaviour shared by the entry boxes of the data editors: the whole text is selected
// on entry so typing replaces it, double quotes are refused as they are typed, over-long
// text is reported (and kept), and a degree or minute box that stops holding a value in
// range is reported and set back to the stored value.

#include <QString>
#include <functional>
#include <string>

#include "data/DataEdit.h"

class QLineEdit;
class QWidget;

namespace harkola {

// Shows `text` as a modal message: OK only, no icon, the application title.
void showEditorMessage(QWidget* parent, const std::string& text);

// Free text limited to `maxChars` characters; `dialogParent` owns the messages.
void watchTextField(QLineEdit* edit, int maxChars, QWidget* dialogParent);

// A degree or minute box; `stored` gives the value to put back after a bad entry.
void watchAngleField(QLineEdit* edit, AngleField kind, std::function<std::string()> stored,
                     QWidget* dialogParent);

}  // namespace harkola

#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <initializer_list>

#include "common/PublicDecs.h"
#include "data/DataEdit.h"
#include "ui/Named.h"

class QBoxLayout;
class QGridLayout;
class QLabel;
class QPushButton;

namespace harkola {

// The "Position" group of both editors: degree and minute boxes and the hemisphere
// options, latitude over longitude under "Degrees" and "Minutes"; each pair of options
// is exclusive. The controls carry the object names the editor gives them.
class PositionBox : public QGroupBox {
 public:
  struct Names {
    const char *latDeg, *latMin, *lonDeg, *lonMin, *north, *south, *west, *east;
  };
  // `stored(i)` is the stored text of box i (0 latitude degrees, 1 latitude minutes,
  // 2 longitude degrees, 3 longitude minutes), which a bad entry goes back to;
  // `editor` owns the messages.
  PositionBox(const Names& names, std::function<std::string(int box)> stored, QWidget* editor);

  // The boxes and options to and from a form (anything with latDeg, latMin, lonDeg,
  // lonMin, south and west).
  template <class Form>
  void showForm(const Form& f) {
    showTexts(f.latDeg, f.latMin, f.south, f.lonDeg, f.lonMin, f.west);
  }
  template <class Form>
  void readForm(Form& f) const {
    f.latDeg = latDeg->text().toStdString();
    f.latMin = latMin->text().toStdString();
    f.lonDeg = lonDeg->text().toStdString();
    f.lonMin = lonMin->text().toStdString();
    f.south = south->isChecked();
    f.west = west->isChecked();
  }
  void showTexts(const std::string& latDegrees, const std::string& latMinutes, bool isSouth,
                 const std::string& lonDegrees, const std::string& lonMinutes, bool isWest);
  // Calls `f` (in `context`) whenever a box or an option changes.
  void onChange(QObject* context, const std::function<void()>& f);
  QGridLayout* grid() const { return m_grid; }

  QLineEdit *latDeg, *latMin, *lonDeg, *lonMin;
  QRadioButton *north, *south, *west, *east;

 private:
  QGridLayout* m_grid;
};

// What the two data editors share: a modal dialog with F1 help and a caption after the
// program's name, the reload of home and beacons after a save, buttons that Enter in an
// entry box never presses, and the status, hint and button rows at the foot.
class DataEditorDialog : public QDialog {
  Q_OBJECT
 public:
  QLabel* lblHint = nullptr;
  QPushButton* cmdExit = nullptr;

 protected:
  // `reloadAndRecompute` reloads home and beacons from d.DataFolder and recomputes
  // d.DistAzTable (the main window's reloadData); when empty the editor reloads itself.
  DataEditorDialog(PublicDecs& d, std::function<void()> reloadAndRecompute, const char* name,
                   const char* caption, QWidget* parent);
  void reload();
  // Named button with a tool tip that Enter does not press.
  static QPushButton* editorButton(const QString& text, const char* name, const QString& toolTip);
  // A free-text box with room for `maxChars` (longer is reported but kept).
  QLineEdit* textBox(const char* name, int maxChars);

  // The foot of the editor under `root`: the status line (named `statusName`, which is
  // returned), the hint, and the row of `save` and `restore` with Exit (it closes
  // without saving; `exitTip` is its tool tip) at the far end.
  QLabel* addFoot(QBoxLayout* root, const char* statusName, const char* hint, QPushButton* save,
                  QPushButton* restore, const char* exitTip);

  // Shows a record whose choices are damaged: with `valid` false, says so once and has
  // `restore` write and show the defaults (which shows the record again). True when it
  // did; the caller then shows nothing itself.
  bool repairDamaged(bool valid, const std::function<void()>& restore);

  // After writing `file` (`written` says whether it was written whole): on failure says
  // so and returns false (the old file is still whole, and the shared data keeps what
  // matches it); else has `keep` take the saved record into the shared data, reloads
  // and recomputes, and says `savedMessage`.
  bool finishSave(bool written, const std::filesystem::path& file, const std::function<void()>& keep,
                  const char* savedMessage);

  // The first showing fills the boxes from the data.
  virtual void firstShown() = 0;
  void showEvent(QShowEvent* e) override;

  PublicDecs& d;

 private:
  std::function<void()> m_reload;
  bool m_shown = false;
  bool m_repairing = false;
};

}  // namespace harkola
