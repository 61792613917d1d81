#pragma once
// Reads the propagation view's history (the slot log or the heard log, of any size) on
// threads of its own, so that the window answers clicks while a log of years loads: the
// window asks finished(), progress() and records() from a timer and takes the grid and
// the reader once finished. A log larger than `splitAbove` bytes is read as two halves
// at once (on two cores) and the halves joined, with the same result as reading it
// whole. cancel(), or destroying the task, stops the reading within one step (a few
// milliseconds).

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "propagation/PropagationGrid.h"
#include "propagation/ResultLogReader.h"

namespace harkola {

class HistoryLoadTask {
 public:
  static constexpr std::uint64_t kSplitAbove = 16u << 20;

  HistoryLoadTask(std::filesystem::path path, ResultLogReader::Format format,
                  std::vector<std::string> callsigns = {}, std::uint64_t splitAbove = kSplitAbove);
  ~HistoryLoadTask();
  HistoryLoadTask(const HistoryLoadTask&) = delete;
  HistoryLoadTask& operator=(const HistoryLoadTask&) = delete;

  void cancel() { m_cancel.store(true); }
  // The reading has stopped: at the end of the log, or cancelled.
  bool finished() const { return m_finished.load(std::memory_order_acquire); }
  // The share of the log read so far, 0..1, and the records read so far.
  double progress() const;
  std::size_t records() const;
  // Once finished (and only then; after a cancel they hold part of the log): the
  // history, and the reader, which follows the log on from where the history ends.
  PropagationGrid& grid() { return m_grid; }
  std::unique_ptr<ResultLogReader> takeReader() { return std::move(m_reader); }

 private:
  struct Progress {
    std::atomic<std::uint64_t> bytes{0};
    std::atomic<std::size_t> records{0};
  };
  void read(ResultLogReader& reader, PropagationGrid& grid, Progress& progress, std::uint64_t from);

  std::unique_ptr<ResultLogReader> m_reader;
  PropagationGrid m_grid;
  std::uint64_t m_size = 0;
  Progress m_parts[2];
  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_finished{false};
  std::thread m_thread;
};

}  // namespace harkola
