#include "clock/HeardLog.h"

#include <unistd.h>

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

bool HeardLogFile::open(const std::filesystem::path& path, bool truncate) {
  close();
  m_path = path;
  m_file = std::fopen(path.c_str(), truncate ? "wb" : "ab");
  return m_file != nullptr;
}

void HeardLogFile::close() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
}

bool HeardLogFile::write(const std::string& record) {
  if (!m_file) return false;
  if (std::fwrite(record.data(), 1, record.size(), m_file) != record.size()) return false;
  if (std::fflush(m_file) != 0) return false;
  // Hand the record to the disk now: what the display reports as logged must survive
  // a power cut.
  return ::fsync(::fileno(m_file)) == 0;
}

}  // namespace harkola
