#pragma once
// The computer's own clock as the program's time source. Adjusting it really moves the
// system clock, which needs the CAP_SYS_TIME capability (or root).

#include <ctime>
#include <functional>

#include "clock/TimeSource.h"

namespace harkola {

class SystemTimeSource : public TimeSource {
 public:
  // Sets CLOCK_REALTIME; returns 0 or -1 with errno set, like clock_settime.
  using ClockSetter = std::function<int(const timespec&)>;

  SystemTimeSource();  // uses ::clock_settime
  explicit SystemTimeSource(ClockSetter setter);  // for tests: never the real clock

  // Local time (the TZ of the process) with milliseconds.
  LocalTime now() override;
  // Shifts the clock by `seconds` from the moment of the call, keeping the fraction of
  // the second, so minute, hour and date carry as the calendar says. On failure the
  // clock is unchanged and `error` tells the user why and what to do.
  bool adjustSeconds(int seconds, std::string& error) override;

 private:
  ClockSetter m_setter;
};

// The message for a refused clock change; errno value `err`, `program` the path of the
// running program (for the setcap command).
std::string clockSetFailureText(int err, const std::string& program);

}  // namespace harkola
