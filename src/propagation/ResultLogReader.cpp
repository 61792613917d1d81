#include "propagation/ResultLogReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <system_error>

namespace harkola {
namespace {
constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kCells = PropagationGrid::kBeacons * PropagationGrid::kBands;
}  // namespace

ResultLogReader::ResultLogReader(std::filesystem::path path, Format format, std::vector<std::string> callsigns)
    : m_path(std::move(path)), m_format(format), m_callsigns(std::move(callsigns)) {}

ResultLogReader::~ResultLogReader() {
  if (m_file) std::fclose(m_file);
}

bool ResultLogReader::openIfPresent() {
  if (m_file) return true;
  m_file = std::fopen(m_path.c_str(), "rb");
  if (m_file && m_offset > 0 && std::fseek(m_file, static_cast<long>(m_offset), SEEK_SET) != 0) {
    std::fclose(m_file);
    m_file = nullptr;
  }
  return m_file != nullptr;
}

void ResultLogReader::setRange(std::uint64_t from, std::uint64_t to) {
  m_offset = from;
  m_to = to;
}

void ResultLogReader::countAlso(const ResultLogReader& part) {
  m_records += part.m_records;
  m_malformed += part.m_malformed;
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
      m_begin = m_end = 0;
      if (!openIfPresent()) return false;
    }
    m_size = size;
  }

  // Slot-log lines go into the history as they are read; of each cell only the newest
  // line of the buffer is read whole, before the buffer moves on, as its latest result.
  std::array<std::string_view, kCells> newest{};
  std::array<std::int64_t, kCells> newestStart{};
  auto offerNewest = [&] {
    for (std::size_t c = 0; c < kCells; ++c) {
      SlotResult r;
      if (!newest[c].empty() && parseSlotLogLine(newest[c], r)) grid.offerLatest(r);
      newest[c] = {};
    }
  };
  std::size_t lines = 0;
  std::size_t pos = m_begin;
  std::size_t searched = pos;  // no line end in [pos, searched)
  bool more = true;
  while (lines < maxLines) {
    const char* nl = m_end > searched
                         ? static_cast<const char*>(std::memchr(m_data.get() + searched, '\n', m_end - searched))
                         : nullptr;
    if (!nl) {
      // Refill: keep the unfinished line, read the next chunk behind it.
      offerNewest();
      const std::size_t keep = m_end - pos;
      if (keep + kChunk > m_capacity) {
        const std::size_t capacity = std::max(keep + kChunk, 2 * m_capacity);
        auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
        if (keep) std::memcpy(bigger.get(), m_data.get() + pos, keep);
        m_data = std::move(bigger);
        m_capacity = capacity;
      } else if (keep) {
        std::memmove(m_data.get(), m_data.get() + pos, keep);
      }
      pos = 0;
      searched = keep;
      std::clearerr(m_file);
      const std::uint64_t readTo = m_offset + keep;  // the file position
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, m_to - std::min(m_to, readTo)));
      const std::size_t got = want ? std::fread(m_data.get() + keep, 1, want, m_file) : 0;
      m_end = keep + got;
      if (got == 0) {
        more = false;
        break;
      }
      continue;
    }
    const std::size_t lineEnd = static_cast<std::size_t>(nl - m_data.get());
    std::string_view line(m_data.get() + pos, lineEnd - pos);
    m_offset += lineEnd - pos + 1;
    pos = searched = lineEnd + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    bool ok = false;
    if (m_format == Format::SlotLog) {
      SlotLogRecord k;
      ok = scanSlotLogLine(line, k) && grid.addHistory(k.beacon, k.band, k.startUtc, k.heard);
      if (ok) {
        const auto c = static_cast<std::size_t>((k.beacon - 1) * PropagationGrid::kBands + k.band);
        if (newest[c].empty() || k.startUtc >= newestStart[c]) {
          newest[c] = line;
          newestStart[c] = k.startUtc;
        }
      }
    } else {
      SlotResult r;
      ok = parseHeardLogLine(line, m_callsigns, r);
      if (ok && m_arrivalSlot >= r.startUtc && m_arrivalSlot < r.startUtc + 3600) r.startUtc = m_arrivalSlot;
      ok = ok && grid.add(r);
    }
    if (!ok && line.find_first_not_of(" \t") == std::string_view::npos) continue;  // blank
    ++lines;
    if (ok)
      ++m_records;
    else
      ++m_malformed;
  }
  offerNewest();
  m_begin = pos;
  if (m_offset + (m_end - m_begin) > m_size) m_size = m_offset + (m_end - m_begin);
  return more;
}

}  // namespace harkola
