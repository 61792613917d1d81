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
