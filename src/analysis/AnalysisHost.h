#pragma once
// What the log analysis window needs from the main window: while it is open the beacon
// clock is paused, logging is off and the heard log is closed, so that the log being
// analysed is not written to.

namespace harkola {

class AnalysisHost {
 public:
  virtual ~AnalysisHost() = default;
  // Clears ClockRunning, switches manual and automatic logging off through the main
  // window's own menu handlers (remembering which were on) and closes the heard log.
  virtual void pauseForAnalysis() = 0;
  // Reopens the heard log for appending, sets ClockRunning and switches back on the
  // logging modes that pauseForAnalysis() switched off.
  virtual void resumeAfterAnalysis() = 0;
};

}  // namespace harkola
