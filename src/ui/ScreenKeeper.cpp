#include "ui/ScreenKeeper.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>

#include "ui/WindowPlacement.h"

namespace harkola {
namespace {

// The program's main window, when it exists.
QWidget* mainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "frmPrimary") return w;
  return nullptr;
}

}  // namespace

void ScreenKeeper::install() {
  qApp->installEventFilter(new ScreenKeeper(qApp));
}

void ScreenKeeper::keepOnScreen(QWidget* w) {
  if (!w || !w->isWindow()) return;
  QWidget* main = mainWindow();
  QScreen* screen = main && main != w && main->isVisible() ? main->screen() : w->screen();
  if (!screen) return;
  const QRect avail = screen->availableGeometry();
  // The frame is known once a window manager has decorated the window; before that
  // the frame is the window itself.
  const QRect frame = w->frameGeometry();
  const ScreenRect kept = keptInside({frame.x(), frame.y(), frame.width(), frame.height()},
                                     {avail.x(), avail.y(), avail.width(), avail.height()});
  if (kept.x != frame.x() || kept.y != frame.y())
    w->move(w->pos() + QPoint(kept.x - frame.x(), kept.y - frame.y()));
}

bool ScreenKeeper::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::Show || e->type() == QEvent::Resize) {
    if (auto* w = qobject_cast<QWidget*>(watched); w && w->isWindow() && w->isVisible()) {
      const Qt::WindowType type = w->windowType();
      if (type == Qt::Window || type == Qt::Dialog) keepOnScreen(w);
    }
  }
  return QObject::eventFilter(watched, e);
}

}  // namespace harkola
