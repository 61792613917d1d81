#pragma once
// Every control carries its name as its object name, so tests (findChild) and style
// sheets find it: `cmdClose = named(new QPushButton("Close", this), "cmdClose");`.

#include <QObject>
#include <QPushButton>
#include <QString>

namespace harkola {

template <class W>
W* named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

// A named push button of `parent` whose clicks call `onClick`: a member function of
// `receiver`, or a callable that lives as long as `receiver`.
template <class Receiver, class Slot>
QPushButton* clickButton(QWidget* parent, const QString& text, const char* name, Receiver* receiver, Slot onClick) {
  auto* b = named(new QPushButton(text, parent), name);
  QObject::connect(b, &QPushButton::clicked, receiver, onClick);
  return b;
}

}  // namespace harkola
