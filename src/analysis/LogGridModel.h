#pragma once
// The grid flex1 of the analysis window: either the records of a loaded log (date as
// short text, hour, band, callsign, S level) or a summary table. The model reads the
// log in place, so a million records cost no copies.

#include <QAbstractTableModel>
#include <memory>

#include "analysis/LogSummary.h"

namespace harkola {

class LogGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit LogGridModel(QObject* parent = nullptr);

  // The set-up grid: record headings and one empty row.
  void setUpRecords();
  void showRecords(std::shared_ptr<const LogData> log);
  // Row 0 of the table becomes the heading row.
  void showSummary(const SummaryTable& table);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // The text of a cell, "" outside the grid.
  QString text(int row, int column) const;

 private:
  std::shared_ptr<const LogData> m_log;
  SummaryTable m_table;  // used when there is no log; row 0 = headings
};

}  // namespace harkola
