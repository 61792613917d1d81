#pragma once
// Where the results of the slots go, live (the main window) and in replays
// (harkola-cli analyse), so that both keep them alike:
// - the heard-log records the beacon clock writes: SlotResults is the clock's
//   HeardLogSink and passes each record on to the heard log, counting what arrived;
// - every measured slot, heard or not (a detector that measures hands over one
//   SlotMeasurement per decided slot): one record in the slot log, its start offset in
//   the clock check when the beacon was heard, then each listener in the order added
//   (the analyser's result line, a trace, another station's feed ...).
// Everything is borrowed or owned here for the life of the object; one thread.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "clock/ClockCheck.h"
#include "clock/HeardLog.h"
#include "clock/SlotMeasurement.h"

namespace harkola {

// The slot log's place beside the heard log at `heardLogPath` (empty for an empty path).
std::filesystem::path slotLogBeside(const std::filesystem::path& heardLogPath);

class SlotResults : public HeardLogSink {
 public:
  using Listener = std::function<void(const SlotMeasurement&)>;

  // The heard log the clock's records are passed to (borrowed; null: they reach nothing
  // and count as failed).
  void setHeardLog(HeardLogSink* log) { m_heardLog = log; }
  bool write(const std::string& record) override;
  long heardRecords() const { return m_heardRecords; }
  long heardFailures() const { return m_heardFailures; }

  // The slot log's file. It is opened (for appending) at the first measured slot, so
  // that no empty slot log appears where no detector measures; openSlotLog() opens it
  // at once. An empty path keeps no slot log.
  void setSlotLogPath(const std::filesystem::path& path);
  const std::filesystem::path& slotLogPath() const { return m_slotLogPath; }
  bool openSlotLog();
  long slotLogFailures() const { return m_slotLogFailures; }

  void addListener(Listener listener) { m_listeners.push_back(std::move(listener)); }

  // One measured slot. False when its slot-log record could not be written.
  bool add(const SlotMeasurement& m);

  const ClockCheck& clockCheck() const { return m_clockCheck; }

 private:
  HeardLogSink* m_heardLog = nullptr;
  long m_heardRecords = 0;
  long m_heardFailures = 0;
  std::filesystem::path m_slotLogPath;
  HeardLogFile m_slotLog;
  long m_slotLogFailures = 0;
  ClockCheck m_clockCheck;
  std::vector<Listener> m_listeners;
};

}  // namespace harkola
