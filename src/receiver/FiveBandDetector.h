#pragma once
// All five bands in every slot: one sensitive detector per band, each told of every
// slot with the beacon the schedule puts on its band, fed that band's audio. Bands
// without audio analyse nothing (their slots count as skipped).
//
// Like every detector it reads no clock: tick() brings the time (the live clock's
// ticks, or a replay's simulated ones) and the audio comes with its own times.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "audio/SensitiveDetector.h"
#include "clock/ClockCheck.h"
#include "common/Bands.h"
#include "receiver/BandReceiver.h"

namespace harkola {

class FiveBandDetector : public BandAudioSink {
 public:
  // callsigns[i] is beacon i + 1's.
  explicit FiveBandDetector(const std::vector<std::string>& callsigns);

  void setSMeterOffset(int offset);
  void setCallsigns(const std::vector<std::string>& callsigns);

  void onAudio(int band, const std::int16_t* samples, std::size_t count, SysTime end) override;
  // The time now: begins the slot in progress on every band when it is new, and lets
  // each detector analyse what it can.
  void tick(SysTime now);
  // Every band's measurements since the last call, in slot order, band by band.
  std::vector<SlotMeasurement> takeMeasurements();

  // The PC clock against each band's heard beacons.
  const ClockCheck& clockCheck(int band) const { return m_checks[static_cast<std::size_t>(bandInfo(band).index)]; }
  // Audio samples each band received.
  long long audioSamples(int band) const { return m_samples[static_cast<std::size_t>(bandInfo(band).index)]; }
  long skippedSlots(int band) const;

 private:
  std::array<std::unique_ptr<SensitiveDetector>, kBandCount> m_detectors;
  std::array<ClockCheck, kBandCount> m_checks;
  std::array<long long, kBandCount> m_samples{};
  SysTime m_slot{};
  bool m_begun = false;
};

// The slot boundary at or before `t` (every ten seconds of UTC), and the slot's
// reference for a band.
SysTime slotStartOf(SysTime t);
SlotRef slotRefFor(SysTime slotStart, int band);

}  // namespace harkola
