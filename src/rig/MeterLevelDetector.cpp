#include "rig/MeterLevelDetector.h"

#include <algorithm>

namespace harkola {

MeterLevelDetector::MeterLevelDetector(SlotDetector& inner, MeterReader read, std::chrono::milliseconds readInterval)
    : inner_(inner), read_(std::move(read)), interval_(readInterval) {}

void MeterLevelDetector::beginSlot(const SlotRef& slot) {
  previous_ = current_;
  current_ = SlotMeter{slot.start, true, std::nullopt, std::nullopt};
  inner_.beginSlot(slot);
}

void MeterLevelDetector::addBlock(const std::int16_t* samples, std::size_t count, SysTime end) {
  inner_.addBlock(samples, count, end);
}

void MeterLevelDetector::sample(SysTime now) {
  if (!current_.started || !read_) return;
  const auto into = now - current_.start;
  if (into < kFirstRead || into > kLastRead) return;
  if (current_.lastRead && now - *current_.lastRead < interval_) return;
  current_.lastRead = now;
  const std::optional<int> s = read_();
  if (!s || *s < 1 || *s > 9) return;
  current_.level = current_.level ? std::max(*current_.level, *s) : *s;
}

SlotDecision MeterLevelDetector::decide(SysTime now) {
  sample(now);
  SlotDecision d = inner_.decide(now);
  if (!d.heard) return d;
  // An answer about the running slot, or a late one about the slot before it.
  const SlotMeter* m = &current_;
  if (d.late) m = previous_.started && d.slot.start == previous_.start ? &previous_ : nullptr;
  if (m && m->level) d.sLevel = *m->level;
  return d;
}

}  // namespace harkola
