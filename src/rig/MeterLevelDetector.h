#pragma once
// A detector decorator: the wrapped detector still decides whether the slot's beacon
// was heard; the S level of a heard slot is taken from the rig's own S-meter instead,
// read while the beacon sends at 100 W.
//
// Every beacon sends its callsign and then its first one-second dash at 100 W; the
// dashes at 10 W, 1 W and 0.1 W follow. The callsign takes about 2.5 to 4 s at 22 wpm,
// so the 100 W dash falls between about 3 and 5.5 s into the slot, whatever the
// callsign. The meter is read on the clock's ticks from 0.5 s to 5.5 s into the slot,
// at most once per readInterval, and the highest reading counts: the weaker dashes
// cannot raise it, and a reading taken between two morse elements cannot lower it.
//
// A slot with no successful reading keeps the wrapped detector's S level. The reader
// runs on the clock's thread and must return within a bounded time.

#include <chrono>
#include <functional>
#include <optional>

#include "clock/SlotDetector.h"

namespace harkola {

class MeterLevelDetector : public SlotDetector {
 public:
  // An S level 1..9 now, or nullopt when the meter cannot be read.
  using MeterReader = std::function<std::optional<int>()>;

  // `inner` is borrowed and must outlive this detector.
  MeterLevelDetector(SlotDetector& inner, MeterReader read,
                     std::chrono::milliseconds readInterval = std::chrono::milliseconds(300));

  void beginSlot(const SlotRef& slot) override;
  void addBlock(const std::int16_t* samples, std::size_t count, SysTime end) override;
  SlotDecision decide(SysTime now) override;

  // The highest reading of the running slot so far (nullopt: none yet).
  std::optional<int> slotMeterLevel() const { return current_.level; }

  static constexpr std::chrono::milliseconds kFirstRead{500};
  static constexpr std::chrono::milliseconds kLastRead{5500};

 private:
  struct SlotMeter {
    SysTime start{};
    bool started = false;
    std::optional<int> level;
    std::optional<SysTime> lastRead;
  };
  void sample(SysTime now);

  SlotDetector& inner_;
  MeterReader read_;
  std::chrono::milliseconds interval_;
  SlotMeter current_, previous_;
};

}  // namespace harkola
