#include "receiver/FiveBandDetector.h"

#include <algorithm>

#include "clock/BeaconSchedule.h"
#include "common/UtcTime.h"

namespace harkola {

SysTime slotStartOf(SysTime t) {
  using namespace std::chrono;
  const auto s = floor<seconds>(t).time_since_epoch().count();
  const auto boundary = s - ((s % 10) + 10) % 10;
  return SysTime{duration_cast<SysTime::duration>(seconds(boundary))};
}

SlotRef slotRefFor(SysTime slotStart, int band) {
  // The rotation is locked to UTC; every zone's offset is a multiple of three minutes.
  const LocalTime utc = utcTimeAt(slotStart);
  SlotRef r;
  r.start = slotStart;
  r.startLocal = localTimeAt(slotStart);
  r.band = band;
  r.beacon = slotPosition(utc.minute, utc.second, band).stationNumber;
  return r;
}

FiveBandDetector::FiveBandDetector(const std::vector<std::string>& callsigns) {
  for (auto& d : m_detectors) d = std::make_unique<SensitiveDetector>(callsigns);
}

void FiveBandDetector::setSMeterOffset(int offset) {
  for (auto& d : m_detectors) d->setSMeterOffset(offset);
}

void FiveBandDetector::setCallsigns(const std::vector<std::string>& callsigns) {
  for (auto& d : m_detectors) d->setCallsigns(callsigns);
}

long FiveBandDetector::skippedSlots(int band) const {
  return m_detectors[static_cast<std::size_t>(bandInfo(band).index)]->skippedSlots();
}

void FiveBandDetector::onAudio(int band, const std::int16_t* samples, std::size_t count, SysTime end) {
  if (band < 0 || band >= kBandCount) return;
  m_detectors[static_cast<std::size_t>(band)]->addBlock(samples, count, end);
  m_samples[static_cast<std::size_t>(band)] += static_cast<long long>(count);
}

void FiveBandDetector::tick(SysTime now) {
  const SysTime slot = slotStartOf(now);
  if (!m_begun || slot != m_slot) {
    m_begun = true;
    m_slot = slot;
    for (int b = 0; b < kBandCount; ++b) m_detectors[static_cast<std::size_t>(b)]->beginSlot(slotRefFor(slot, b));
  }
  for (auto& d : m_detectors) d->decide(now);
}

std::vector<SlotMeasurement> FiveBandDetector::takeMeasurements() {
  std::vector<SlotMeasurement> out;
  for (int b = 0; b < kBandCount; ++b)
    for (SlotMeasurement& m : m_detectors[static_cast<std::size_t>(b)]->takeMeasurements()) {
      if (m.heard) m_checks[static_cast<std::size_t>(b)].add(m.offsetMs);
      out.push_back(std::move(m));
    }
  std::stable_sort(out.begin(), out.end(),
                   [](const SlotMeasurement& a, const SlotMeasurement& b) { return a.slot.start < b.slot.start; });
  return out;
}

}  // namespace harkola
