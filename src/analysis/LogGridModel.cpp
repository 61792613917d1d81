#include "analysis/LogGridModel.h"

#include <algorithm>

namespace harkola {

namespace {
const char* kRecordHeadings[] = {"Date", "Time", "Band", "Callsign", "S level"};
}

LogGridModel::LogGridModel(QObject* parent) : QAbstractTableModel(parent) { setUpRecords(); }

void LogGridModel::setUpRecords() {
  beginResetModel();
  m_log.reset();
  m_table = {std::vector<std::string>(std::begin(kRecordHeadings), std::end(kRecordHeadings)),
             std::vector<std::string>(5)};
  endResetModel();
}

void LogGridModel::showRecords(std::shared_ptr<const LogData> log) {
  beginResetModel();
  m_log = std::move(log);
  m_first = 0;
  m_rows = 64;  // until the scroller knows how many rows the view shows
  m_table = {std::vector<std::string>(std::begin(kRecordHeadings), std::end(kRecordHeadings))};
  endResetModel();
}

void LogGridModel::setRecordWindow(std::size_t first, std::size_t rows) {
  if (!windowed()) return;
  first = std::min(first, m_log->size() - 1);
  const int before = rowCount();
  const int after = static_cast<int>(std::min(rows, m_log->size() - first));
  if (after > before) {
    beginInsertRows({}, before, after - 1);
    m_first = first;
    m_rows = rows;
    endInsertRows();
  } else if (after < before) {
    beginRemoveRows({}, after, before - 1);
    m_first = first;
    m_rows = rows;
    endRemoveRows();
  } else {
    m_first = first;
    m_rows = rows;
  }
  if (after > 0) emit dataChanged(index(0, 0), index(after - 1, columnCount() - 1));
}

void LogGridModel::showSummary(const SummaryTable& table) {
  beginResetModel();
  m_log.reset();
  m_table = table;
  endResetModel();
}

int LogGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  if (m_log) return static_cast<int>(windowed() ? std::min(m_rows, m_log->size() - m_first) : m_log->size());
  return m_table.empty() ? 0 : static_cast<int>(m_table.size()) - 1;
}

int LogGridModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid() || m_table.empty()) return 0;
  return static_cast<int>(m_table[0].size());
}

QString LogGridModel::text(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
  if (m_log) return QString::fromLatin1(m_log->cell(m_first + static_cast<std::size_t>(row), column));
  const auto& line = m_table[static_cast<std::size_t>(row) + 1];
  return QString::fromLatin1(line[static_cast<std::size_t>(column)]);
}

QVariant LogGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole) return text(index.row(), index.column());
  if (role == Qt::TextAlignmentRole && index.column() > 0)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant LogGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (m_table.empty() || section < 0 || section >= static_cast<int>(m_table[0].size())) return {};
  return QString::fromLatin1(m_table[0][static_cast<std::size_t>(section)]);
}

}  // namespace harkola
