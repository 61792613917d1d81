#pragma once
// The program's view of the wall clock: read every tick, nudged by the clock-adjust
// buttons. The real source is the system clock; tests use a settable one.

#include <string>

#include "common/LocalTime.h"

namespace harkola {

class TimeSource {
 public:
  virtual ~TimeSource() = default;
  virtual LocalTime now() = 0;
  // Moves the clock by `seconds` (a real shift, carrying into minute, hour and date).
  // Returns false with a message for the user when the system refuses.
  virtual bool adjustSeconds(int seconds, std::string& error) = 0;
};

// A clock that stands still until told to move; for tests and replays.
class ManualTimeSource : public TimeSource {
 public:
  explicit ManualTimeSource(LocalTime t = {}) : current(t) {}
  LocalTime now() override { return current; }
  bool adjustSeconds(int seconds, std::string& error) override;
  void advanceMs(long ms);
  LocalTime current;
  bool refuse = false;  // adjustSeconds fails, as without the privilege
};

}  // namespace harkola
