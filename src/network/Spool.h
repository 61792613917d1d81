#pragma once
// The spool: reports that wait for the broker's acknowledgement, in a file of the log
// folder, so that nothing is lost while the station is offline, restarted or killed.
//
// The file only grows while the program runs: one line per report handed in
//
//   R <seq> <slot start, s since 1970> <crc32 hex> <topic> <payload>
//
// and one line per report that left it, acknowledged or dropped by a limit
//
//   A <seq> <crc32 hex>
//
// Each line is written whole with one write() and synced to the disk, and carries a
// checksum: a line cut short by a crash (kill -9, power loss) fails its check, and is
// cut away on the next open. When most lines describe reports that have left, the
// file is rewritten with only those that wait (a new file renamed over the old, so a
// crash leaves either the old or the new one, never a mixture). Sequence numbers
// rise for the life of the spool ("S <next seq>" heads a rewritten file).
//
// Limits: a report older than the age limit (by its slot) leaves unsent, the oldest
// reports leave when the waiting ones exceed the size limit; each time with a notice.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "network/SlotMessage.h"
#include "common/Notice.h"

namespace harkola {

inline constexpr const char* kSpoolFileName = "Harkola 5 Network Spool.txt";

struct SpoolLimits {
  std::int64_t maxAgeSeconds = kMaxReportAgeSeconds;
  std::uint64_t maxBytes = 64ull << 20;  // of waiting topics and payloads
};

class Spool {
 public:
  struct Entry {
    std::uint64_t seq = 0;
    std::int64_t slotStartUtc = 0;
    std::string topic;
    std::string payload;
  };
  using Limits = SpoolLimits;

  Spool() = default;
  ~Spool();
  Spool(const Spool&) = delete;
  Spool& operator=(const Spool&) = delete;

  // Opens (creates) the spool file and reads what waits in it. False with error()
  // when the file cannot be opened or written.
  bool open(const std::filesystem::path& path, Limits limits = SpoolLimits());
  void close();
  bool isOpen() const { return m_fd >= 0; }
  const std::filesystem::path& path() const { return m_path; }

  // Adds a report; its sequence number, or 0 when it could not be written (error()).
  std::uint64_t append(std::int64_t slotStartUtc, const std::string& topic, const std::string& payload);
  // The report left: the broker has it. False when no such report waits.
  bool acknowledge(std::uint64_t seq);
  // Drops the reports older than the age limit at `nowUtc`.
  void prune(std::int64_t nowUtc);

  std::size_t waiting() const { return m_entries.size(); }
  std::uint64_t waitingBytes() const { return m_bytes; }
  // The waiting reports, oldest (lowest sequence number) first.
  const std::map<std::uint64_t, Entry>& entries() const { return m_entries; }

  // Messages for the user since the last call (a repaired file, reports dropped by a
  // limit, a write that failed).
  std::vector<std::string> takeNotices() { return m_notices.take(); }
  const std::string& error() const { return m_error; }

 private:
  bool writeLine(const std::string& line);
  void drop(std::uint64_t seq);
  void rewriteIfWorthIt();
  bool rewrite();

  std::filesystem::path m_path;
  Limits m_limits;
  int m_fd = -1;
  std::uint64_t m_fileBytes = 0;
  std::uint64_t m_nextSeq = 1;
  std::map<std::uint64_t, Entry> m_entries;
  std::uint64_t m_bytes = 0;
  std::size_t m_leftLines = 0;  // lines in the file about reports that have left
  NoticeTexts m_notices;
  std::string m_error;
};

// CRC-32 (IEEE 802.3) of `data`.
std::uint32_t crc32(std::string_view data);

}  // namespace harkola
