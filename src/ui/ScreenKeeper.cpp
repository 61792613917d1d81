#include "ui/ScreenKeeper.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "ui/WindowPlacement.h"

namespace harkola {
namespace {

// How long after a window is shown the window manager may still be placing and framing
// it: moves in that time are its placement, not the user's, and are kept on the screen.
constexpr qint64 kPlacingMs = 1500;
// When the placement is looked at once more, for a window manager that frames the window
// without moving it.
constexpr int kSettledMs = 300;

const char* const kShownAt = "harkolaShownAtMs";

QElapsedTimer& sinceStart() {
  static QElapsedTimer t = [] {
    QElapsedTimer started;
    started.start();
    return started;
  }();
  return t;
}

// The program's main window, when it exists.
QWidget* mainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "frmPrimary") return w;
  return nullptr;
}

bool placing(const QWidget* w) {
  const QVariant shown = w->property(kShownAt);
  return shown.isValid() && sinceStart().elapsed() - shown.toLongLong() < kPlacingMs;
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
  const QSize margins = frame.size() - w->size();
  const QSize least = w->minimumSize().expandedTo(w->minimumSizeHint()) + margins;
  const ScreenRect kept = fittedInside({frame.x(), frame.y(), frame.width(), frame.height()},
                                       {avail.x(), avail.y(), avail.width(), avail.height()}, least.width(),
                                       least.height());
  if (kept.width != frame.width() || kept.height != frame.height())
    w->resize(kept.width - margins.width(), kept.height - margins.height());
  if (kept.x != frame.x() || kept.y != frame.y())
    w->move(w->pos() + QPoint(kept.x - frame.x(), kept.y - frame.y()));
}

bool ScreenKeeper::eventFilter(QObject* watched, QEvent* e) {
  const QEvent::Type type = e->type();
  if (type == QEvent::Show || type == QEvent::Resize || type == QEvent::Move) {
    if (auto* w = qobject_cast<QWidget*>(watched); w && w->isWindow() && w->isVisible()) {
      const Qt::WindowType kind = w->windowType();
      if ((kind == Qt::Window || kind == Qt::Dialog) && (type != QEvent::Move || placing(w))) {
        if (type == QEvent::Show) {
          w->setProperty(kShownAt, sinceStart().elapsed());
          QTimer::singleShot(kSettledMs, w, [w] { keepOnScreen(w); });
        }
        keepOnScreen(w);
      }
    }
  }
  return QObject::eventFilter(watched, e);
}

}  // namespace harkola
