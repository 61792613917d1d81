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
#include <initializer_list>

#include "common/PublicDecs.h"
#include "data/DataEdit.h"
#include "ui/Named.h"

class QGridLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace harkola {

// What the two data editors share: a modal dialog with F1 help and a caption after the
// program's name, the reload of home and beacons after a save, and buttons that Enter in
// an entry box never presses.
class DataEditorDialog : public QDialog {
  Q_OBJECT
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
  // A degree or minute box of the position; `stored` gives the value a bad entry goes
  // back to.
  QLineEdit* angleBox(const char* name, AngleField kind, std::function<std::string()> stored);

  // The position's boxes and hemisphere options, laid out latitude over longitude under
  // "Degrees" and "Minutes"; each pair of options is exclusive.
  struct PositionControls {
    QLineEdit *latDeg, *latMin, *lonDeg, *lonMin;
    QRadioButton *north, *south, *west, *east;
  };
  QGridLayout* positionGrid(QWidget* box, const PositionControls& c);

  PublicDecs& d;

 private:
  std::function<void()> m_reload;
};

}  // namespace harkola
