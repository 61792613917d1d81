#include "analysis/LogGridModel.h"

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
  m_table = {std::vector<std::string>(std::begin(kRecordHeadings), std::end(kRecordHeadings))};
  endResetModel();
}

void LogGridModel::showSummary(const SummaryTable& table) {
  beginResetModel();
  m_log.reset();
  m_table = table;
  endResetModel();
}

int LogGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  if (m_log) return static_cast<int>(m_log->size());
  return m_table.empty() ? 0 : static_cast<int>(m_table.size()) - 1;
}

int LogGridModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid() || m_table.empty()) return 0;
  return static_cast<int>(m_table[0].size());
}

QString LogGridModel::text(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
  if (m_log) return QString::fromLatin1(m_log->cell(static_cast<std::size_t>(row), column));
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
