#pragma once
// The collector's logic: every message that arrives is checked (SlotMessage), refused
// and counted or queued; queued reports are written to the store in batches, each at
// most once. A failing store keeps the batch for the next attempt, so nothing that was
// accepted is lost while the database is away.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "network/SlotMessage.h"
#include "network/SlotStore.h"

namespace harkola {

struct CollectorCounts {
  std::uint64_t received = 0;
  std::uint64_t stored = 0;
  std::uint64_t duplicates = 0;  // accepted, but stored already (sent again after a lost connection)
  std::array<std::uint64_t, kRefusalKinds> refused{};  // by Refusal
  std::uint64_t refusedTotal() const;
};

// "received 1200, stored 1190, already stored 7, refused 3 (malformed JSON 1, slot too old 2)"
std::string countsText(const CollectorCounts& c);

class Collector {
 public:
  explicit Collector(SlotStore& store, std::size_t batchSize = 2000);

  // A message as it arrived at `nowUtc`. The refusal, if any (also counted).
  Refusal take(std::string_view topic, std::string_view payload, std::int64_t nowUtc);
  // Writes what is queued. False (queue kept, error() set) when the store failed.
  bool flush(std::int64_t nowUtc);
  bool batchFull() const { return m_queue.size() >= m_batchSize; }
  std::size_t queued() const { return m_queue.size(); }

  const CollectorCounts& counts() const { return m_counts; }
  // The last refusal's reason and detail, for a log line.
  const std::string& lastRefusal() const { return m_lastRefusal; }
  const std::string& error() const { return m_error; }

 private:
  SlotStore& m_store;
  std::size_t m_batchSize;
  std::vector<SlotReport> m_queue;
  CollectorCounts m_counts;
  std::string m_lastRefusal;
  std::string m_error;
};

}  // namespace harkola
