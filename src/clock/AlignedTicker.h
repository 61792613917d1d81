#pragma once
// The 100 ms clock tick, kept in step with the wall clock: tick() is emitted a couple of
// milliseconds after each boundary of a tenth of a second (…:00.000, …:00.100, …), so a
// slot boundary on the wall clock is seen by the very next tick. A repeating timer would
// drift away from the boundaries; instead one single-shot precise timer is armed afresh
// against the system clock after every tick, which also follows steps of the clock (the
// adjust buttons, NTP). At most one tick is emitted per boundary.

#include <QObject>
#include <cstdint>

class QTimer;

namespace harkola {

class AlignedTicker : public QObject {
  Q_OBJECT

 public:
  static constexpr int kPeriodMs = 100;
  static constexpr int kLateMs = 2;  // how long after the boundary the tick is aimed

  explicit AlignedTicker(QObject* parent = nullptr);

  void start();
  void stop();
  bool isActive() const;

  // The boundary (milliseconds since the epoch, a multiple of kPeriodMs) of the last
  // tick emitted; 0 before the first.
  std::int64_t lastBoundaryMs() const { return m_lastBoundary; }

  // Delay in ms from `nowMs` until the next tick is due, given the boundary already
  // ticked. Always at least 1.
  static int delayUntilNext(std::int64_t nowMs, std::int64_t lastBoundaryMs);

 signals:
  void tick();

 private:
  void onTimeout();
  void arm();

  QTimer* m_timer;
  std::int64_t m_lastBoundary = 0;
  bool m_active = false;
};

}  // namespace harkola
