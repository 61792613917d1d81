#pragma once
// Every control carries its name as its object name, so tests (findChild) and style
// sheets find it: `cmdClose = named(new QPushButton("Close", this), "cmdClose");`.

#include <QString>

namespace harkola {

template <class W>
W* named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

}  // namespace harkola
