#pragma once
// The grid flex1 of the analysis window: either the records of a loaded log (date as
// short text, hour, band, callsign, S level) or a summary table. The model reads the
// log in place, so a million records cost no copies. A table view keeps memory for each
// of its rows (eight bytes, as much as a record), so a log of more than kAllRowsUpTo
// records is shown through a window of rows that RecordScroller moves.

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

  static constexpr std::size_t kAllRowsUpTo = 100000;
  bool windowed() const { return m_log && m_log->size() > kAllRowsUpTo; }
  std::size_t records() const { return m_log ? m_log->size() : 0; }
  // Windowed: rows show `rows` records from record `first` on (nothing changes when
  // not windowed).
  void setRecordWindow(std::size_t first, std::size_t rows);

 private:
  std::shared_ptr<const LogData> m_log;
  std::size_t m_first = 0, m_rows = 0;  // the window
  SummaryTable m_table;  // used when there is no log; row 0 = headings
};

}  // namespace harkola
