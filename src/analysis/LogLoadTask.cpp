#include "analysis/LogLoadTask.h"

namespace harkola {

namespace {
// Records per step: a few milliseconds, the longest a cancel waits.
constexpr std::size_t kStep = 50000;
}  // namespace

LogLoadTask::LogLoadTask(const std::filesystem::path& path) : m_loader(path) {
  m_thread = std::thread([this] {
    while (!m_cancel.load(std::memory_order_relaxed) && m_loader.step(kStep) == LogLoader::State::Running) {
      const auto total = m_loader.totalBytes();
      m_progress.store(total ? static_cast<double>(m_loader.bytesRead()) / static_cast<double>(total) : 1.0,
                       std::memory_order_relaxed);
    }
    m_finished.store(true, std::memory_order_release);
  });
}

LogLoadTask::~LogLoadTask() {
  cancel();
  m_thread.join();
}

}  // namespace harkola
