#include "propagation/HistoryLoadTask.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace harkola {
namespace {

// Lines per step: a few milliseconds, the longest a cancel waits.
constexpr std::size_t kStep = 40000;

// Where the first line that starts in the second half of the file starts; 0 when no
// line ends within 1 MB after the middle (then the file is read whole).
std::uint64_t middleLineStart(const std::filesystem::path& path, std::uint64_t size) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  const std::uint64_t middle = size / 2;
  std::uint64_t start = 0;
  std::vector<char> buf(1 << 20);
  if (std::fseek(f, static_cast<long>(middle), SEEK_SET) == 0) {
    const std::size_t got = std::fread(buf.data(), 1, buf.size(), f);
    if (const void* nl = std::memchr(buf.data(), '\n', got))
      start = middle + static_cast<std::uint64_t>(static_cast<const char*>(nl) - buf.data()) + 1;
  }
  std::fclose(f);
  return start < size ? start : 0;
}

}  // namespace

HistoryLoadTask::HistoryLoadTask(std::filesystem::path path, ResultLogReader::Format format,
                                 std::vector<std::string> callsigns, std::uint64_t splitAbove)
    : m_reader(std::make_unique<ResultLogReader>(path, format, callsigns)) {
  std::error_code ec;
  m_size = std::filesystem::file_size(path, ec);
  if (ec) m_size = 0;
  m_thread = std::thread([this, path = std::move(path), format, callsigns = std::move(callsigns), splitAbove] {
    const std::uint64_t middle = m_size > splitAbove ? middleLineStart(path, m_size) : 0;
    if (middle == 0) {
      read(*m_reader, m_grid, m_parts[0], 0);
    } else {
      ResultLogReader first(path, format, callsigns);
      first.setRange(0, middle);
      m_reader->setRange(middle);
      PropagationGrid later;
      std::thread helper([&] { read(first, m_grid, m_parts[0], 0); });
      read(*m_reader, later, m_parts[1], middle);
      helper.join();
      m_grid.merge(later);
      m_reader->countAlso(first);
    }
    m_finished.store(true, std::memory_order_release);
  });
}

HistoryLoadTask::~HistoryLoadTask() {
  cancel();
  m_thread.join();
}

void HistoryLoadTask::read(ResultLogReader& reader, PropagationGrid& grid, Progress& progress, std::uint64_t from) {
  for (bool more = true; more && !m_cancel.load(std::memory_order_relaxed);) {
    more = reader.step(grid, kStep);
    progress.bytes.store(reader.bytesRead() - from, std::memory_order_relaxed);
    progress.records.store(reader.records(), std::memory_order_relaxed);
  }
}

double HistoryLoadTask::progress() const {
  if (finished() || m_size == 0) return 1.0;
  const auto bytes = m_parts[0].bytes.load(std::memory_order_relaxed) + m_parts[1].bytes.load(std::memory_order_relaxed);
  return std::min(1.0, static_cast<double>(bytes) / static_cast<double>(m_size));
}

std::size_t HistoryLoadTask::records() const {
  return m_parts[0].records.load(std::memory_order_relaxed) + m_parts[1].records.load(std::memory_order_relaxed);
}

}  // namespace harkola
