#include "clock/ClockSync.h"

#include <sys/timex.h>

#include <cstdio>

namespace harkola {

ClockSyncState readClockSync() {
  timex tx{};
  tx.modes = 0;  // read only
  int state = ::adjtimex(&tx);
  ClockSyncState result;
  if (state == -1) return result;
  result.known = true;
  result.synchronised = state != TIME_ERROR && (tx.status & STA_UNSYNC) == 0;
  result.estErrorUs = tx.esterror < 0 ? 0 : tx.esterror;
  return result;
}

std::string clockSyncText(const ClockSyncState& state) {
  if (!state.known) return "sync state unknown";
  if (!state.synchronised) return "not synchronised";
  const long us = state.estErrorUs;
  if (us <= 0) return "synchronised";
  char amount[32];
  if (us < 950) {
    // Tenths of a millisecond, never shown as a bare "±0.0".
    long tenths = (us + 50) / 100;
    if (tenths < 1) tenths = 1;
    std::snprintf(amount, sizeof amount, "%ld.%ld ms", tenths / 10, tenths % 10);
  } else if (us < 999500) {
    std::snprintf(amount, sizeof amount, "%ld ms", (us + 500) / 1000);
  } else {
    long tenths = (us + 50000) / 100000;
    std::snprintf(amount, sizeof amount, "%ld.%ld s", tenths / 10, tenths % 10);
  }
  return std::string("synchronised (\u00B1") + amount + ")";
}

}  // namespace harkola
