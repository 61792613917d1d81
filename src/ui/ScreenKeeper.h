#pragma once
// Keeps every top-level window of the program on the screen that holds the main window:
// when a window is shown, grows, or is placed by the window manager just after showing,
// it is moved (as little as needed) back inside that screen's available area, and made
// smaller when it is larger than that area and its contents allow. A window the user
// drags later is left where the user puts it. Installed once on the application.

#include <QObject>

class QWidget;

namespace harkola {

class ScreenKeeper : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  // Installs one keeper on the running application.
  static void install();
  // Fits `w` inside the available area of the main window's screen (or its own screen
  // when there is no main window yet).
  static void keepOnScreen(QWidget* w);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
};

}  // namespace harkola
