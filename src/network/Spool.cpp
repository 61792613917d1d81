#include "network/Spool.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace harkola {

namespace {

constexpr std::array<std::uint32_t, 256> makeCrcTable() {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}
constexpr auto kCrcTable = makeCrcTable();

std::string hex8(std::uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08x", v);
  return buf;
}

template <typename T>
bool number(std::string_view s, T& out) {
  if (s.empty()) return false;
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

// The next blank-separated word of `s` from `pos`, moving `pos` past it.
std::string_view word(std::string_view s, std::size_t& pos) {
  const std::size_t end = std::min(s.find(' ', pos), s.size());
  const std::string_view w = s.substr(pos, end - pos);
  pos = end < s.size() ? end + 1 : end;
  return w;
}

std::string recordLine(const Spool::Entry& e) {
  const std::string head = "R " + std::to_string(e.seq) + " " + std::to_string(e.slotStartUtc);
  const std::string tail = e.topic + " " + e.payload;
  return head + " " + hex8(crc32(head + " " + tail)) + " " + tail + "\n";
}

std::string leftLine(std::uint64_t seq) {
  const std::string head = "A " + std::to_string(seq);
  return head + " " + hex8(crc32(head)) + "\n";
}

std::string ageText(std::int64_t seconds) {
  auto unit = [](std::int64_t n, const char* one) { return std::to_string(n) + " " + one + (n == 1 ? "" : "s"); };
  if (seconds % 86400 == 0) return unit(seconds / 86400, "day");
  if (seconds % 3600 == 0) return unit(seconds / 3600, "hour");
  return std::to_string(seconds) + " s";
}

}  // namespace

std::uint32_t crc32(std::string_view data) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : data) c = kCrcTable[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

Spool::~Spool() { close(); }

void Spool::close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  m_entries.clear();
  m_bytes = 0;
}

bool Spool::open(const std::filesystem::path& path, Limits limits) {
  close();
  m_path = path;
  m_limits = limits;
  m_nextSeq = 1;
  m_leftLines = 0;
  m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (m_fd < 0) {
    m_error = "Cannot open the spool " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  // One writer at a time: a second program on the same spool would send its reports
  // twice and acknowledge lines it never read.
  if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
    m_error = "The spool " + path.string() + " is in use by another Harkola.";
    ::close(m_fd);
    m_fd = -1;
    return false;
  }
  std::string text;
  char buf[1 << 16];
  for (;;) {
    const ssize_t n = ::pread(m_fd, buf, sizeof buf, static_cast<off_t>(text.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buf, static_cast<std::size_t>(n));
  }
  std::size_t damaged = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) break;
    const std::string_view line(text.data() + pos, nl - pos);
    pos = nl + 1;
    std::size_t at = 0;
    const std::string_view kind = word(line, at);
    std::uint64_t seq = 0;
    if (kind == "S" && number(word(line, at), seq) && at == line.size()) {
      m_nextSeq = std::max(m_nextSeq, seq);
    } else if (kind == "R" && number(word(line, at), seq)) {
      Entry e;
      e.seq = seq;
      const bool slotOk = number(word(line, at), e.slotStartUtc);
      const std::size_t crcAt = at;
      std::uint32_t crc = 0;
      const std::string_view crcText = word(line, at);
      const bool crcOk = crcText.size() == 8 && std::from_chars(crcText.data(), crcText.data() + 8, crc, 16).ec == std::errc();
      const std::string_view tail = line.substr(std::min(at, line.size()));
      const std::string checked = std::string(line.substr(0, crcAt)) + std::string(tail);
      const std::size_t blank = tail.find(' ');
      if (!slotOk || !crcOk || crc32(checked) != crc || blank == std::string_view::npos) {
        ++damaged;
        continue;
      }
      e.topic = std::string(tail.substr(0, blank));
      e.payload = std::string(tail.substr(blank + 1));
      m_nextSeq = std::max(m_nextSeq, seq + 1);
      m_bytes += e.topic.size() + e.payload.size();
      m_entries[seq] = std::move(e);
    } else if (kind == "A" && number(word(line, at), seq)) {
      const std::string_view crcText = word(line, at);
      if (at != line.size() || crcText != hex8(crc32(line.substr(0, line.size() - crcText.size() - 1)))) {
        ++damaged;
        continue;
      }
      ++m_leftLines;
      const auto it = m_entries.find(seq);
      if (it != m_entries.end()) {
        m_bytes -= it->second.topic.size() + it->second.payload.size();
        m_entries.erase(it);
      }
    } else {
      ++damaged;
    }
  }
  m_fileBytes = pos;
  if (pos < text.size()) {
    // A crash in the middle of a write: the torn line never reached the broker (reports
    // are sent only once written), so it goes.
    if (::ftruncate(m_fd, static_cast<off_t>(pos)) != 0) {
      m_error = "Cannot repair the spool " + path.string() + ": " + std::strerror(errno);
      close();
      return false;
    }
    m_notices.add("The network spool ended in a line cut short (" + std::to_string(text.size() - pos) +
                        " bytes, written when the program stopped); it was removed.");
  }
  if (damaged > 0)
    m_notices.add("The network spool held " + std::to_string(damaged) + " damaged line(s); they were skipped.");
  m_leftLines += damaged;
  rewriteIfWorthIt();
  return true;
}

bool Spool::writeLine(const std::string& line) {
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = ::write(m_fd, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      m_error = "Cannot write the spool " + m_path.string() + ": " + std::strerror(n < 0 ? errno : ENOSPC);
      // Leave no torn line for the next record to be glued to.
      if (done > 0 && ::ftruncate(m_fd, static_cast<off_t>(m_fileBytes)) != 0) {
      }
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  m_fileBytes += line.size();
  ::fdatasync(m_fd);
  return true;
}

std::uint64_t Spool::append(std::int64_t slotStartUtc, const std::string& topic, const std::string& payload) {
  if (m_fd < 0) {
    m_error = "The network spool is not open.";
    return 0;
  }
  const std::uint64_t size = topic.size() + payload.size();
  // Room for the new report: the oldest leave first.
  std::size_t dropped = 0;
  while (!m_entries.empty() && m_bytes + size > m_limits.maxBytes) {
    drop(m_entries.begin()->first);
    ++dropped;
  }
  if (dropped > 0)
    m_notices.add("The network spool is full (" + std::to_string(m_limits.maxBytes >> 20) + " MB): " +
                        std::to_string(dropped) + " oldest report(s) were dropped unsent.");
  Entry e{m_nextSeq, slotStartUtc, topic, payload};
  if (!writeLine(recordLine(e))) {
    m_notices.add(m_error);
    return 0;
  }
  ++m_nextSeq;
  m_bytes += size;
  const std::uint64_t seq = e.seq;
  m_entries.emplace(seq, std::move(e));
  return seq;
}

void Spool::drop(std::uint64_t seq) {
  const auto it = m_entries.find(seq);
  if (it == m_entries.end()) return;
  // Written before it is forgotten: if the line cannot be written the report simply
  // comes back on the next start and is sent again (the receiver knows it already).
  writeLine(leftLine(seq));
  ++m_leftLines;
  m_bytes -= it->second.topic.size() + it->second.payload.size();
  m_entries.erase(it);
}

bool Spool::acknowledge(std::uint64_t seq) {
  if (!m_entries.count(seq)) return false;
  drop(seq);
  rewriteIfWorthIt();
  return true;
}

void Spool::prune(std::int64_t nowUtc) {
  std::vector<std::uint64_t> old;
  for (const auto& [seq, e] : m_entries)
    if (e.slotStartUtc < nowUtc - m_limits.maxAgeSeconds) old.push_back(seq);
  for (auto seq : old) drop(seq);
  if (!old.empty()) {
    m_notices.add(std::to_string(old.size()) + " report(s) waited longer than " +
                        ageText(m_limits.maxAgeSeconds) + " for the broker and left the network spool unsent.");
    rewriteIfWorthIt();
  }
}

void Spool::rewriteIfWorthIt() {
  // Keep the file near the size of what waits: rewrite when nothing waits and the file
  // has grown, or when lines of reports that left outnumber the waiting ones.
  const bool emptyAndBig = m_entries.empty() && m_fileBytes > (256u << 10);
  const bool mostlyLeft = m_leftLines > 4096 && m_leftLines > 2 * m_entries.size();
  if (emptyAndBig || mostlyLeft) rewrite();
}

bool Spool::rewrite() {
  const std::filesystem::path tmp = m_path.string() + ".new";
  // The new file is locked before it takes the old one's name, so no other program
  // can slip in between.
  const int fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  std::string text = "S " + std::to_string(m_nextSeq) + "\n";
  for (const auto& [seq, e] : m_entries) text += recordLine(e);
  std::size_t done = 0;
  bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  while (ok && done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0 && ::fcntl(fd, F_SETFL, O_APPEND) == 0;
  if (!ok || ::rename(tmp.c_str(), m_path.c_str()) != 0) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return false;
  }
  const int dir = ::open(m_path.parent_path().empty() ? "." : m_path.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  ::close(m_fd);
  m_fd = fd;
  m_fileBytes = text.size();
  m_leftLines = 0;
  return true;
}

}  // namespace harkola
