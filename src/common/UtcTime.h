#pragma once
// Coordinated Universal Time, the time radio amateurs keep logs and schedules in. The
// program runs on local time (the heard log's format depends on it); UTC is shown beside
// it.

#include <chrono>
#include <string>

#include "common/LocalTime.h"

namespace harkola {

// The UTC calendar reading of a system-clock instant (the struct is the same as for the
// local clock; only the zone differs).
LocalTime utcTimeAt(std::chrono::system_clock::time_point t);

// "YYYY-MM-DD HH:MM:SS" of a reading.
std::string isoText(const LocalTime& t);

}  // namespace harkola
