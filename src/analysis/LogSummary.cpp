#include "analysis/LogSummary.h"

#include <fstream>
#include <system_error>

#include "common/LocalTime.h"
#include "data/DataFile.h"

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
  const LogData& d = m_log;
  const bool byBeacon = m_request.mode == SummaryMode::ByBeacon;
  const std::size_t end = maxRecords >= d.size() - m_next ? d.size() : m_next + maxRecords;
  for (; m_next < end; ++m_next) {
    const LogFields f = d.fields(m_next);
    // Hour 0 is hidden behind the row label, so it is never counted.
    const int hour = d.hourSlot[f.hour];
    const std::int32_t level = d.sLevel[f.sLevel];
    if (hour < 1 || level == kNoSLevel) continue;
    if (f.day != m_lastDay || m_lastMonth == 0) {
      m_lastDay = f.day;
      m_lastMonth = dateOfSerial(f.day).month;
    }
    if (!m_request.months[static_cast<std::size_t>(m_lastMonth)]) continue;
    const int band = d.bandIndex[f.band];
    const std::uint32_t group = d.callsignGroup[f.callsign];
    std::size_t key;
    if (byBeacon) {
      if (band != m_request.band) continue;
      key = group;
    } else {
      if (static_cast<long>(group) != m_callsignId || band < 0) continue;
      key = static_cast<std::size_t>(band);
    }
    for (std::uint32_t row : m_rowsOfKey[key]) {
      Cell& c = m_cells[row][static_cast<std::size_t>(hour)];
      c.sum += level;
      ++c.count;
    }
  }
  return m_next >= d.size();
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
  while (!b.step(log.size() + 1)) {
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
  for (const auto& row : table) out += formatRecord(row);
  return out;
}

std::string summaryRefusal(const std::filesystem::path& out, const SummaryGuard& guard) {
  std::error_code ec;
  auto same = [&](const std::filesystem::path& log) {
    return !log.empty() && std::filesystem::equivalent(log, out, ec);
  };
  if (same(guard.analysedLog))
    return "The summary would overwrite its own heard log " + guard.analysedLog.string() +
           "; choose another output file.";
  if (same(guard.liveLog))
    return "The summary would overwrite the heard log " + guard.liveLog.string() +
           " that the program logs to; choose another output file.";
  return {};
}

SummarySave writeSummaryFile(const std::filesystem::path& out, const SummaryTable& table,
                             const SummaryGuard& guard, std::string* refusal) {
  if (std::string why = summaryRefusal(out, guard); !why.empty()) {
    if (refusal) *refusal = std::move(why);
    return SummarySave::Refused;
  }
  const std::string text = formatSummaryFile(table);
  std::filesystem::path part = out;
  part += ".part";
  std::ofstream file(part, std::ios::binary | std::ios::trunc);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();  // a full disk shows up when the last buffer is written
  std::error_code ec;
  if (file) std::filesystem::rename(part, out, ec);
  if (!file || ec) {
    std::filesystem::remove(part, ec);
    return SummarySave::Failed;
  }
  return SummarySave::Saved;
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
