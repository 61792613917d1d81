#include "clock/HeardLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "clock/BeaconSchedule.h"

namespace harkola {

std::string heardRecord(const LocalTime& when, int band, const std::string& callsign, int sLevel) {
  std::string r;
  r.reserve(48);
  r += '"' + mediumDate(when) + "\",";
  r += '"' + std::to_string(when.hour) + "\",";
  r += '"' + bandText(band) + "\",";
  r += '"' + callsign + "\",";
  r += '"' + std::to_string(sLevel) + "\"\r\n";
  return r;
}

HeardLogFile::~HeardLogFile() { close(); }

namespace {

// The length of the file up to and including its last line end (0 when it has none).
long long lastCompleteRecordEnd(int fd, long long size) {
  constexpr long long kChunk = 4096;
  std::vector<char> buf(kChunk);
  for (long long end = size; end > 0;) {
    const long long begin = std::max(0LL, end - kChunk);
    const auto want = static_cast<std::size_t>(end - begin);
    if (::pread(fd, buf.data(), want, begin) != static_cast<ssize_t>(want)) return -1;
    for (std::size_t i = want; i-- > 0;)
      if (buf[i] == '\n') return begin + static_cast<long long>(i) + 1;
    end = begin;
  }
  return 0;
}

long long fileSize(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

}  // namespace

bool HeardLogFile::open(const std::filesystem::path& path, bool truncate) {
  close();
  m_path = path;
  m_repairNotice.clear();
  m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | (truncate ? O_TRUNC : 0),
                0644);
  if (m_fd < 0) return false;
  // Every record ends in a line end; anything after the last one is a torn record.
  const long long size = fileSize(m_fd);
  char last = '\n';
  if (size > 0 && ::pread(m_fd, &last, 1, size - 1) != 1) last = '\0';
  if (size > 0 && last != '\n') {
    const long long keep = lastCompleteRecordEnd(m_fd, size);
    if (keep < 0 || !cutBackTo(keep)) {
      close();
      return false;
    }
    m_repairNotice = "The heard log " + path.string() + " ended in an incomplete record (" +
                     std::to_string(size - keep) +
                     " bytes, from an interrupted write); it has been cut back to its last "
                     "complete record.";
  }
  return true;
}

void HeardLogFile::close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

bool HeardLogFile::cutBackTo(long long size) {
  return ::ftruncate(m_fd, static_cast<off_t>(size)) == 0 && ::fsync(m_fd) == 0;
}

bool HeardLogFile::write(const std::string& record) {
  if (m_fd < 0) return false;
  const long long before = fileSize(m_fd);
  if (before < 0) return false;
  std::size_t done = 0;
  while (done < record.size()) {
    const ssize_t n = ::write(m_fd, record.data() + done, record.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A full disk or a size limit: take back what part of the record got there, so
      // the log still ends with a complete record.
      if (done > 0) cutBackTo(before);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  // Hand the record to the disk now: what the display reports as logged must survive
  // a power cut.
  return ::fsync(m_fd) == 0;
}

}  // namespace harkola
