#pragma once
// The sensitive detector: hears the scheduled beacon far below the classic detector's
// limit by matching the beacon's whole keying (see KeyingMatcher), measures each dash,
// and tells a beacon from carriers, chatter and other beacons.
//
// It needs the whole transmission, so it decides after the slot's last dash can have
// ended, and decide() answers about a slot only once the next slot has begun (with
// `late` set, during that next slot), never about the running slot. Slots whose audio is incomplete (capture started or
// broke off inside the window) are not analysed.
//
// Every analysed slot yields a SlotMeasurement (heard or not) for the slot log;
// takeMeasurements() hands them over once each.

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/Baseband.h"
#include "audio/KeyingMatcher.h"
#include "clock/SlotDetector.h"
#include "clock/SlotMeasurement.h"

namespace harkola {

// The S level the classic detector would take from this beacon: its callsign keyed at
// the measured tone amplitude, on 800 Hz (where the classic detector listens; a beacon
// heard off the classic window still gets the S level its strength deserves), in white
// noise of the measured level
// (peak amplitude and noise rms in sample units) is run through the classic frame
// analysis until the peak count passes the default caution level (within the default
// listening window of 8 s), and the S level is
// taken from the average peak as the classic heard test takes it, then the S-meter
// offset is added and the result clamped to 1..9 (a tone too weak for the count to pass
// gives 0 plus the offset, clamped). The classic average depends on the
// noise as well as on the tone (its threshold follows the noise), hence both inputs.
// Deterministic (fixed noise seed).
int classicSLevel(double amplitude, double noiseRms, const std::string& callsign,
                  int SMeterOffset);

class SensitiveDetector : public SlotDetector {
 public:
  // callsigns[i] is beacon i + 1's (the beacon table's callsign column).
  explicit SensitiveDetector(const std::vector<std::string>& callsigns);

  void setSMeterOffset(int offset) { m_sMeterOffset = offset; }
  // The beacon table changed (edited or loaded after start-up): the keyings follow.
  // Nothing changes when the callsigns are the same.
  void setCallsigns(const std::vector<std::string>& callsigns);

  void beginSlot(const SlotRef& slot) override;
  void addBlock(const std::int16_t* samples, std::size_t count, SysTime end) override;
  SlotDecision decide(SysTime now) override;

  // Measurements of the slots analysed since the last call, oldest first.
  std::vector<SlotMeasurement> takeMeasurements();
  // The latest analysed slot.
  const std::optional<SlotMeasurement>& lastMeasurement() const { return m_last; }
  // The matcher's findings behind lastMeasurement() (why a match was rejected).
  const MatchResult& lastMatch() const { return m_lastMatch; }
  // Slots dropped because their audio was incomplete.
  long skippedSlots() const { return m_skipped; }

 private:
  double secondsOf(SysTime t) const;  // seconds from the stream's input sample 0
  void analyse(const SlotRef& slot);

  std::vector<std::string> m_callsigns;
  std::unique_ptr<KeyingMatcher> m_matcherPtr;
  Baseband m_baseband;
  int m_sMeterOffset = 0;

  bool m_streaming = false;
  SysTime m_streamStart{};     // time of input sample 0
  std::vector<Cf> m_samples;   // baseband, m_firstIndex onwards
  long long m_firstIndex = 0;  // baseband index of m_samples[0]

  std::optional<SlotRef> m_current;
  std::deque<SlotRef> m_pending;
  std::optional<SlotMeasurement> m_last;
  MatchResult m_lastMatch;
  std::vector<SlotMeasurement> m_finished;
  long m_skipped = 0;
};

}  // namespace harkola
