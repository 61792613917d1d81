#include "clock/RecordingClock.h"

namespace harkola {

RecordingClock::RecordingClock(SysTime recorded, WallClock wall) : m_wall(std::move(wall)) { anchor(recorded); }

void RecordingClock::anchor(SysTime recorded) { m_offset = recorded - m_wall(); }

LocalTime RecordingClock::now() { return localTimeAt(m_wall() + m_offset); }

bool RecordingClock::adjustSeconds(int seconds, std::string&) {
  m_offset += std::chrono::seconds(seconds);
  return true;
}

}  // namespace harkola
