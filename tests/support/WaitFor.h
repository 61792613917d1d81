#pragma once
// Lets the event loop run until `done` holds or `timeoutMs` have passed; true when it
// held. Tests wait with this and fail with a message instead of hanging.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cstdint>
#include <functional>

namespace harkola::test {

inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// The system clock now, in nanoseconds since the epoch.
inline std::int64_t wallNs() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace harkola::test
