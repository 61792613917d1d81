#pragma once
// What the replay commands (analyse, analyse-iq) print: heard-log records to a stream,
// one JSON trace line per measured slot.

#include <ostream>
#include <string>

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

// One measured slot as a trace line (CR-less, newline at the end).
std::string sensitiveTraceLine(const SlotMeasurement& m, bool logged);

}  // namespace harkola::cli
