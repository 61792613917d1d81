#include "clock/TimeSource.h"

namespace harkola {

void ManualTimeSource::advanceMs(long ms) {
  current = localTimeAt(timePointOf(current) + std::chrono::milliseconds(ms));
}

bool ManualTimeSource::adjustSeconds(int seconds, std::string& error) {
  if (refuse) {
    error = "The computer clock could not be set.";
    return false;
  }
  advanceMs(seconds * 1000L);
  return true;
}

}  // namespace harkola
