#pragma once
// Lets the event loop run until `done` holds or `timeoutMs` have passed; true when it
// held. Tests wait with this and fail with a message instead of hanging.
#include <QCoreApplication>
#include <QElapsedTimer>
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

}  // namespace harkola::test
