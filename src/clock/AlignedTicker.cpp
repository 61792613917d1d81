#include "clock/AlignedTicker.h"

#include <QTimer>
#include <chrono>

namespace harkola {

namespace {

std::int64_t wallClockMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t boundaryOf(std::int64_t ms) {
  std::int64_t b = ms / AlignedTicker::kPeriodMs * AlignedTicker::kPeriodMs;
  if (b > ms) b -= AlignedTicker::kPeriodMs;  // before 1970: round towards the past
  return b;
}

}  // namespace

AlignedTicker::AlignedTicker(QObject* parent) : QObject(parent), m_timer(new QTimer(this)) {
  m_timer->setSingleShot(true);
  m_timer->setTimerType(Qt::PreciseTimer);
  connect(m_timer, &QTimer::timeout, this, &AlignedTicker::onTimeout);
}

void AlignedTicker::start() {
  m_active = true;
  m_lastBoundary = 0;
  arm();
}

void AlignedTicker::stop() {
  m_active = false;
  m_timer->stop();
}

bool AlignedTicker::isActive() const { return m_active; }

int AlignedTicker::delayUntilNext(std::int64_t nowMs, std::int64_t lastBoundaryMs) {
  const std::int64_t b = boundaryOf(nowMs);
  // The tick of this boundary is still due unless it was given already; once past
  // its aim point it is due at once.
  std::int64_t target = b == lastBoundaryMs ? b + kPeriodMs + kLateMs : b + kLateMs;
  std::int64_t delay = target - nowMs;
  return delay < 1 ? 1 : static_cast<int>(delay);
}

void AlignedTicker::onTimeout() {
  const std::int64_t now = wallClockMs();
  const std::int64_t b = boundaryOf(now);
  // A timer that woke early, before the next boundary, only re-arms.
  if (b != m_lastBoundary) {
    m_lastBoundary = b;
    emit tick();
  }
  // A receiver of tick() may have stopped or restarted the ticker.
  if (m_timer->isActive() || !m_active) return;
  arm();
}

void AlignedTicker::arm() {
  m_timer->start(delayUntilNext(wallClockMs(), m_lastBoundary));
}

}  // namespace harkola
