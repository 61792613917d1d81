#pragma once
// Whether the kernel believes the system clock is synchronised (by NTP or similar),
// and how far off it may be: a short text for the main window beside the time.

#include <string>

namespace harkola {

struct ClockSyncState {
  bool known = false;         // the kernel answered
  bool synchronised = false;  // STA_UNSYNC clear and no clock error reported
  long estErrorUs = 0;        // estimated error in microseconds (>= 0)
};

// Reads the kernel's state with adjtimex (read-only, no privilege needed).
ClockSyncState readClockSync();

// "synchronised (±2 ms)", "synchronised (±0.4 ms)", "synchronised (±1.3 s)",
// "synchronised" when no error estimate is given, "not synchronised", or
// "sync state unknown".
std::string clockSyncText(const ClockSyncState& state);

}  // namespace harkola
