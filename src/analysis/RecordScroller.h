#pragma once
// Scrolls a table view through the records of a windowed LogGridModel (a log of
// millions of records): a scroll bar of its own stands for all records, the view shows
// as many as fit from the bar's position on, and the mouse wheel and the page keys on
// the view move the bar. Shown only while the model is windowed and the view shown.

#include <QObject>

class QScrollBar;
class QTableView;

namespace harkola {

class LogGridModel;

class RecordScroller : public QObject {
  Q_OBJECT

 public:
  // The bar is a child of `parent`, for the caller to lay out beside the view.
  RecordScroller(QTableView* view, LogGridModel* model, QWidget* parent);
  QScrollBar* bar() const { return m_bar; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void update();
  int rowsShown() const;

  QTableView* m_view;
  LogGridModel* m_model;
  QScrollBar* m_bar;
};

}  // namespace harkola
