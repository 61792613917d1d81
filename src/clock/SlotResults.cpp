#include "clock/SlotResults.h"

#include "clock/SlotLog.h"

namespace harkola {

std::filesystem::path slotLogBeside(const std::filesystem::path& heardLogPath) {
  return heardLogPath.empty() ? std::filesystem::path() : heardLogPath.parent_path() / kSlotLogFileName;
}

bool SlotResults::write(const std::string& record) {
  const bool ok = m_heardLog && m_heardLog->write(record);
  ++(ok ? m_heardRecords : m_heardFailures);
  return ok;
}

void SlotResults::setSlotLogPath(const std::filesystem::path& path) {
  if (path == m_slotLogPath) return;
  m_slotLog.close();
  m_slotLogPath = path;
}

bool SlotResults::openSlotLog() {
  if (m_slotLogPath.empty()) return false;
  return m_slotLog.isOpen() || m_slotLog.open(m_slotLogPath);
}

bool SlotResults::add(const SlotMeasurement& m) {
  bool written = true;
  if (!m_slotLogPath.empty()) {
    written = openSlotLog() && m_slotLog.write(slotRecord(m));
    if (!written) ++m_slotLogFailures;
  }
  if (m.heard) m_clockCheck.add(m.offsetMs);
  for (const Listener& l : m_listeners) l(m);
  return written;
}

}  // namespace harkola
