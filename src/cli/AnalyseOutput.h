#pragma once
// What the replay commands (analyse, analyse-iq) print: heard-log records to a stream,
// one JSON trace line per measured slot.

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "audio/SensitiveDetector.h"

#include "clock/HeardLog.h"
#include "clock/SlotMeasurement.h"

namespace harkola::cli {

class StreamSink : public HeardLogSink {
 public:
  explicit StreamSink(std::ostream& out) : m_out(out) {}
  bool write(const std::string& record) override {
    m_out.write(record.data(), static_cast<std::streamsize>(record.size()));
    m_out.flush();
    return static_cast<bool>(m_out);
  }

 private:
  std::ostream& m_out;
};

// One measured slot as a trace line (CR-less, newline at the end). `why`, when given,
// is written as "rejection" (null for a slot heard).
std::string sensitiveTraceLine(const SlotMeasurement& m, bool logged,
                               std::optional<Rejection> why = std::nullopt);

// The sensitive detector with each measurement kept beside the matcher's findings that
// made it, collected as the detector produces them (the detector itself keeps only the
// latest findings).
class ExplainedDetector : public SlotDetector {
 public:
  explicit ExplainedDetector(SensitiveDetector& detector) : m_detector(detector) {}
  void beginSlot(const SlotRef& slot) override;
  void addBlock(const std::int16_t* samples, std::size_t count, SysTime end) override;
  SlotDecision decide(SysTime now) override;
  // The measurements since the last call, oldest first, each with its rejection (empty
  // when more than one slot was analysed in one call and the findings are not known).
  std::vector<std::pair<SlotMeasurement, std::optional<Rejection>>> take();

 private:
  void collect();
  SensitiveDetector& m_detector;
  std::vector<std::pair<SlotMeasurement, std::optional<Rejection>>> m_done;
};

}  // namespace harkola::cli
