#pragma once
// The program's clock while a recording made earlier is played as the sound input: it
// runs at the pace of the wall clock but shows the time the audio now playing was
// recorded, so the slots, the schedule and the logs line up with the recording. The
// clock-adjust buttons move this clock only, never the computer's.

#include <chrono>
#include <functional>

#include "clock/TimeSource.h"

namespace harkola {

class RecordingClock : public TimeSource {
 public:
  using SysTime = std::chrono::system_clock::time_point;
  using WallClock = std::function<SysTime()>;

  // Shows `recorded` now (until anchored again). `wall` reads the real clock (tests pass
  // their own).
  explicit RecordingClock(SysTime recorded, WallClock wall = [] { return std::chrono::system_clock::now(); });

  // The audio recorded at `recorded` starts playing now.
  void anchor(SysTime recorded);

  LocalTime now() override;
  bool adjustSeconds(int seconds, std::string& error) override;

 private:
  WallClock m_wall;
  std::chrono::system_clock::duration m_offset{};
};

}  // namespace harkola
