#include "ui/WindowFrame.h"

#include <QSplitter>

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QLayout>
#include <QWidget>
#include <algorithm>

namespace harkola {
namespace {

// Room for the window icon, the three title buttons and the title's margins.
constexpr int kTitleBarExtras = 110;

class FrameKeeper : public QObject {
 public:
  explicit FrameKeeper(QWidget* w) : QObject(w), m_window(w) { apply(); }

  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == m_window && (e->type() == QEvent::Show || e->type() == QEvent::WindowTitleChange ||
                                e->type() == QEvent::LayoutRequest))
      apply();
    return false;
  }

 private:
  void apply() {
    const QSize hint = m_window->layout() ? m_window->layout()->totalSizeHint() : m_window->sizeHint();
    const QSize size(std::max(hint.width(), captionWidth(m_window)), hint.height());
    if (!hint.isValid()) return;  // no contents yet
    if (m_window->minimumSize() != size || m_window->maximumSize() != size) m_window->setFixedSize(size);
  }
  QWidget* m_window;
};

}  // namespace

int captionWidth(QWidget* window) {
  QFont f = QApplication::font();
  f.setBold(true);
  return QFontMetrics(f).horizontalAdvance(window->windowTitle()) + kTitleBarExtras;
}

void fixToContents(QWidget* window) { window->installEventFilter(new FrameKeeper(window)); }

QSplitter* besideWide(QWidget* narrow, QWidget* wide, QWidget* parent) {
  auto* split = new QSplitter(Qt::Horizontal, parent);
  split->addWidget(narrow);
  split->addWidget(wide);
  split->setStretchFactor(1, 1);
  split->setChildrenCollapsible(false);
  return split;
}

}  // namespace harkola
