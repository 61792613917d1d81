#include "analysis/LogSummary.h"

#include "common/LocalTime.h"

namespace harkola {

SummaryBuilder::SummaryBuilder(const LogData& log, SummaryRequest request)
    : m_log(log), m_request(std::move(request)) {
  if (m_request.mode == SummaryMode::ByBeacon) {
    m_rowsOfKey.resize(log.callsigns.size());
    m_cells.resize(m_request.beacons.size());
    for (std::size_t row = 0; row < m_request.beacons.size(); ++row) {
      const long id = log.callsignIdOf(m_request.beacons[row]);
      if (id >= 0) m_rowsOfKey[static_cast<std::size_t>(id)].push_back(static_cast<std::uint32_t>(row));
    }
  } else {
    m_rowsOfKey.resize(5);
    m_cells.resize(m_request.bands.size());
    for (std::size_t row = 0; row < m_request.bands.size(); ++row) {
      const int b = m_request.bands[row];
      if (b >= 0 && b < 5) m_rowsOfKey[static_cast<std::size_t>(b)].push_back(static_cast<std::uint32_t>(row));
    }
    m_callsignId = log.callsignIdOf(m_request.callsign);
  }
}

bool SummaryBuilder::step(std::size_t maxRecords) {
  const auto& recs = m_log.records;
  const bool byBeacon = m_request.mode == SummaryMode::ByBeacon;
  const std::size_t end = maxRecords >= recs.size() - m_next ? recs.size() : m_next + maxRecords;
  for (; m_next < end; ++m_next) {
    const LogRecord& r = recs[m_next];
    // Hour 0 is hidden behind the row label, so it is never counted.
    if (r.hourSlot < 1 || r.sLevel == kNoSLevel || !m_request.months[r.month]) continue;
    std::size_t key;
    if (byBeacon) {
      if (r.bandIndex != m_request.band) continue;
      key = r.callsignId;
    } else {
      if (static_cast<long>(r.callsignId) != m_callsignId || r.bandIndex < 0) continue;
      key = static_cast<std::size_t>(r.bandIndex);
    }
    for (std::uint32_t row : m_rowsOfKey[key]) {
      Cell& c = m_cells[row][static_cast<std::size_t>(r.hourSlot)];
      c.sum += r.sLevel;
      ++c.count;
    }
  }
  return m_next >= recs.size();
}

SummaryTable SummaryBuilder::table() const {
  SummaryTable t;
  std::vector<std::string> heading(24);
  heading[0] = m_request.mode == SummaryMode::ByBeacon ? "Callsign" : "Band";
  for (int c = 1; c < 24; ++c) heading[static_cast<std::size_t>(c)] = std::to_string(c) + " hrs";
  t.push_back(std::move(heading));
  for (std::size_t row = 0; row < m_cells.size(); ++row) {
    std::vector<std::string> line(24);
    line[0] = m_request.mode == SummaryMode::ByBeacon
                  ? m_request.beacons[row]
                  : std::string(kBandRowLabels[m_request.bands[row]]);
    for (std::size_t h = 1; h < 24; ++h) line[h] = averageText(m_cells[row][h].sum, m_cells[row][h].count);
    t.push_back(std::move(line));
  }
  if (t.size() < 2) t.emplace_back(24);
  return t;
}

SummaryTable summarise(const LogData& log, const SummaryRequest& request) {
  SummaryBuilder b(log, request);
  while (!b.step(log.records.size() + 1)) {
  }
  return b.table();
}

std::string averageText(std::int64_t sum, std::int64_t count) {
  if (sum <= 0 || count <= 0) return "0";
  std::int64_t q = sum / count;
  const std::int64_t r2 = 2 * (sum % count);
  if (r2 > count || (r2 == count && q % 2 == 1)) ++q;
  return std::to_string(q);
}

std::string formatSummaryFile(const SummaryTable& table) {
  std::string out;
  for (const auto& row : table) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c) out += ',';
      out += '"';
      out += row[c];
      out += '"';
    }
    out += "\r\n";
  }
  return out;
}

std::string monthsText(const std::vector<int>& listMonths, const std::array<bool, 13>& selected) {
  std::string text;
  for (int m : listMonths) {
    if (m < 1 || m > 12 || !selected[static_cast<std::size_t>(m)]) continue;
    if (!text.empty()) text += ", ";
    text += monthName(m);
  }
  return text;
}

std::string summaryFootnote(const std::string& fileName, const SummaryRequest& request,
                            const std::string& months) {
  if (request.mode == SummaryMode::ByBeacon)
    return "FILE - " + fileName + "     " + "BAND - " + std::string(bandInfo(request.band).text) + "MHz" +
           "    MONTHS - " + months;
  return "FILE - " + fileName + "     " + "BEACON - " + request.callsign + "    MONTHS - " + months;
}

std::string pointTooltip(const std::string& value, int point) {
  return "Signal strength: " + value + ", Time: " + std::to_string(point) + "hrs";
}

}  // namespace harkola
