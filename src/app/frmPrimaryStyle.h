#pragma once
// Colour helpers shared by the main window's source files.

#include <QRadioButton>
#include <QString>
#include <QWidget>

#include "clock/BeaconClock.h"

namespace harkola::primary {

inline QString rgb(Colour c) {
  const auto v = static_cast<std::uint32_t>(c);
  return QString("rgb(%1,%2,%3)").arg((v >> 16) & 0xFF).arg((v >> 8) & 0xFF).arg(v & 0xFF);
}

// Sets a widget's background colour (a CSS colour); only touches the style sheet when
// it changes, because the clock redraws ten times a second.
inline void setBackground(QWidget* w, const QString& css) {
  QString sheet = "background-color: " + css + ";";
  if (qobject_cast<QRadioButton*>(w)) {
    // Option buttons keep readable digits on every background.
    sheet += QString(" color: ") + (css == "rgb(192,192,192)" ? "black" : "white") +
             "; padding: 3px; border-radius: 4px;";
  }
  if (w->styleSheet() != sheet) w->setStyleSheet(sheet);
}

}  // namespace harkola::primary
