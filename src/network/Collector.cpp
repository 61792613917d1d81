#include "network/Collector.h"

namespace harkola {

std::uint64_t CollectorCounts::refusedTotal() const {
  std::uint64_t n = 0;
  for (auto v : refused) n += v;
  return n;
}

std::string countsText(const CollectorCounts& c) {
  std::string s = "received " + std::to_string(c.received) + ", stored " + std::to_string(c.stored) +
                  ", already stored " + std::to_string(c.duplicates) + ", refused " +
                  std::to_string(c.refusedTotal());
  std::string why;
  for (int i = 1; i < kRefusalKinds; ++i) {
    if (!c.refused[static_cast<std::size_t>(i)]) continue;
    why += (why.empty() ? "" : ", ") + std::string(refusalText(static_cast<Refusal>(i))) + " " +
           std::to_string(c.refused[static_cast<std::size_t>(i)]);
  }
  return why.empty() ? s : s + " (" + why + ")";
}

Collector::Collector(SlotStore& store, std::size_t batchSize) : m_store(store), m_batchSize(batchSize) {
  m_queue.reserve(batchSize);
}

Refusal Collector::take(std::string_view topic, std::string_view payload, std::int64_t nowUtc) {
  ++m_counts.received;
  DecodeResult d = decodeSlotMessage(topic, payload, nowUtc);
  if (!d.ok()) {
    ++m_counts.refused[static_cast<std::size_t>(d.refusal)];
    m_lastRefusal = std::string(refusalText(d.refusal)) + ": " + d.detail;
    return d.refusal;
  }
  m_queue.push_back(std::move(d.report));
  return Refusal::None;
}

bool Collector::flush(std::int64_t nowUtc) {
  if (m_queue.empty()) return true;
  const long stored = m_store.insert(m_queue, nowUtc);
  if (stored < 0) {
    m_error = m_store.error();
    return false;
  }
  m_counts.stored += static_cast<std::uint64_t>(stored);
  m_counts.duplicates += m_queue.size() - static_cast<std::uint64_t>(stored);
  m_queue.clear();
  m_error.clear();
  return true;
}

}  // namespace harkola
