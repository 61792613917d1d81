#pragma once
// Loads a heard log on a thread of its own, so that a window stays responsive while a
// log of years is read: the window asks finished() and progress() from a timer and
// takes the result once finished. cancel(), or destroying the task, stops the loading
// within one step (a few milliseconds).

#include <atomic>
#include <filesystem>
#include <thread>

#include "analysis/LogRecords.h"

namespace harkola {

class LogLoadTask {
 public:
  explicit LogLoadTask(const std::filesystem::path& path);
  ~LogLoadTask();
  LogLoadTask(const LogLoadTask&) = delete;
  LogLoadTask& operator=(const LogLoadTask&) = delete;

  void cancel() { m_cancel.store(true); }
  // The loader has stopped: done, failed or cancelled.
  bool finished() const { return m_finished.load(std::memory_order_acquire); }
  // The share of the file read so far, 0..1.
  double progress() const { return m_progress.load(std::memory_order_relaxed); }
  // Once finished (and only then): the loader, with its state, counts and messages.
  LogLoader& loader() { return m_loader; }

 private:
  LogLoader m_loader;
  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_finished{false};
  std::atomic<double> m_progress{0};
  std::thread m_thread;
};

}  // namespace harkola
