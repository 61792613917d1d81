#include "analysis/RecordScroller.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <climits>

#include "analysis/LogGridModel.h"
#include "ui/Named.h"

namespace harkola {

RecordScroller::RecordScroller(QTableView* view, LogGridModel* model, QWidget* parent)
    : QObject(parent), m_view(view), m_model(model), m_bar(named(new QScrollBar(Qt::Vertical, parent), "vsbRecords")) {
  m_bar->hide();
  view->installEventFilter(this);
  view->viewport()->installEventFilter(this);
  connect(model, &LogGridModel::modelReset, this, [this] {
    m_bar->setValue(0);  // a new log starts at its first record
    update();
  });
  connect(m_bar, &QScrollBar::valueChanged, this, [this](int first) {
    m_model->setRecordWindow(static_cast<std::size_t>(first), static_cast<std::size_t>(rowsShown()));
  });
}

int RecordScroller::rowsShown() const {
  const int rowHeight = std::max(1, m_view->verticalHeader()->defaultSectionSize());
  return m_view->viewport()->height() / rowHeight + 1;
}

void RecordScroller::update() {
  const bool windowed = m_model->windowed();
  m_view->setVerticalScrollBarPolicy(windowed ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
  m_bar->setVisible(windowed && !m_view->isHidden());
  if (!windowed) return;
  const int rows = rowsShown();
  // The last position shows the last record at the bottom; a full view fits whole rows
  // only, so one row less than rowsShown.
  const auto last = static_cast<long long>(m_model->records()) - std::max(1, rows - 1);
  m_bar->setRange(0, static_cast<int>(std::clamp(last, 0LL, static_cast<long long>(INT_MAX))));
  m_bar->setPageStep(std::max(1, rows - 1));
  m_bar->setSingleStep(1);
  m_model->setRecordWindow(static_cast<std::size_t>(m_bar->value()), static_cast<std::size_t>(rows));
}

bool RecordScroller::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
      if (watched == m_view) m_bar->setVisible(m_model->windowed() && !m_view->isHidden());
      break;
    case QEvent::Resize:
      if (watched == m_view->viewport()) update();
      break;
    case QEvent::Wheel:
      if (watched == m_view->viewport() && m_model->windowed()) {
        QApplication::sendEvent(m_bar, event);
        return true;
      }
      break;
    case QEvent::KeyPress:
      if (watched == m_view && m_model->windowed()) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
          case Qt::Key_PageDown: m_bar->triggerAction(QAbstractSlider::SliderPageStepAdd); return true;
          case Qt::Key_PageUp: m_bar->triggerAction(QAbstractSlider::SliderPageStepSub); return true;
          case Qt::Key_Home: m_bar->triggerAction(QAbstractSlider::SliderToMinimum); return true;
          case Qt::Key_End: m_bar->triggerAction(QAbstractSlider::SliderToMaximum); return true;
          default: break;
        }
      }
      break;
    default: break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace harkola
