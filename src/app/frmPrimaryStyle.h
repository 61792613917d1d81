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
    // Option buttons keep readable digits on every background. A disabled one keeps its
    // colour but shows faint digits and a dashed rim, so it cannot pass for one that
    // takes a click.
    const bool grey = css == "rgb(192,192,192)";
    sheet = QString("QRadioButton { background-color: %1; color: %2; padding: 3px; border-radius: 4px; }"
                    " QRadioButton:disabled { color: %3; border: 2px dashed %3; padding: 1px; }")
                .arg(css, grey ? "black" : "white", grey ? "rgb(128,128,128)" : "rgba(255,255,255,110)");
  }
  if (w->styleSheet() != sheet) w->setStyleSheet(sheet);
}

}  // namespace harkola::primary
