#pragma once
// Waits between reconnection attempts: doubling from `first` up to `most`, back to
// `first` once a connection has delivered samples.

#include <algorithm>

namespace harkola {

class Backoff {
 public:
  explicit Backoff(int firstMs = 1000, int mostMs = 60000) : m_first(firstMs), m_most(mostMs), m_next(firstMs) {}
  // The wait before the next attempt; each call doubles the one after.
  int next() {
    const int now = m_next;
    m_next = std::min(m_most, m_next * 2);
    return now;
  }
  void succeeded() { m_next = m_first; }

 private:
  int m_first, m_most, m_next;
};

}  // namespace harkola
