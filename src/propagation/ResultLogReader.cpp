#include "propagation/ResultLogReader.h"

#include <string_view>
#include <system_error>

namespace harkola {
namespace {
constexpr std::size_t kChunk = 1 << 20;
}

ResultLogReader::ResultLogReader(std::filesystem::path path, Format format, std::vector<std::string> callsigns)
    : m_path(std::move(path)), m_format(format), m_callsigns(std::move(callsigns)) {}

ResultLogReader::~ResultLogReader() {
  if (m_file) std::fclose(m_file);
}

bool ResultLogReader::openIfPresent() {
  if (m_file) return true;
  m_file = std::fopen(m_path.c_str(), "rb");
  return m_file != nullptr;
}

bool ResultLogReader::step(PropagationGrid& grid, std::size_t maxLines) {
  if (!openIfPresent()) return false;
  std::error_code ec;
  const auto size = std::filesystem::file_size(m_path, ec);
  if (!ec) {
    if (size < m_offset) {
      // The file was replaced by a shorter one (a new log): read it from the start.
      std::fclose(m_file);
      m_file = nullptr;
      m_offset = 0;
      m_buffer.clear();
      if (!openIfPresent()) return false;
    }
    m_size = size;
  }

  std::size_t lines = 0;
  std::size_t pos = 0;
  bool more = true;
  while (lines < maxLines) {
    const std::size_t nl = m_buffer.find('\n', pos);
    if (nl == std::string::npos) {
      // Refill: keep the unfinished line, read the next chunk behind it.
      m_buffer.erase(0, pos);
      pos = 0;
      const std::size_t had = m_buffer.size();
      m_buffer.resize(had + kChunk);
      std::clearerr(m_file);
      const std::size_t got = std::fread(m_buffer.data() + had, 1, kChunk, m_file);
      m_buffer.resize(had + got);
      if (got == 0) {
        more = false;
        break;
      }
      continue;
    }
    std::string_view line(m_buffer.data() + pos, nl - pos);
    m_offset += nl - pos + 1;
    pos = nl + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    SlotResult r;
    const bool ok = m_format == Format::SlotLog ? parseSlotLogLine(line, r)
                                                : parseHeardLogLine(line, m_callsigns, r);
    if (!ok && line.find_first_not_of(" \t") == std::string_view::npos) continue;  // blank
    ++lines;
    if (ok && r.fromHeardLog && m_arrivalSlot >= r.startUtc && m_arrivalSlot < r.startUtc + 3600)
      r.startUtc = m_arrivalSlot;
    if (ok && grid.add(r))
      ++m_records;
    else
      ++m_malformed;
  }
  m_buffer.erase(0, pos);
  if (m_offset + m_buffer.size() > m_size) m_size = m_offset + m_buffer.size();
  return more;
}

}  // namespace harkola
