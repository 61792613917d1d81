#pragma once
// Messages as a network sends them: `stations` stations on five bands, slot after slot
// from a recent cycle start, about a quarter heard.
#include <string>
#include <vector>

#include "network/Reports.h"

namespace harkola::bench {

struct Message {
  std::string topic, payload;
};

inline std::vector<Message> networkMessages(std::size_t count, int stations, std::int64_t firstSlotUtc) {
  std::vector<Message> out;
  out.reserve(count);
  for (std::size_t i = 0; out.size() < count; ++i) {
    const std::int64_t slot = firstSlotUtc + 10 * static_cast<std::int64_t>(i / (5u * stations));
    const int band = static_cast<int>(i % 5);
    const std::string station = "ST" + std::to_string((i / 5) % static_cast<std::size_t>(stations));
    SlotReport r = test::reportAt(station, slot, band, i % 4 == 0);
    out.push_back({slotTopic(r), encodeSlotReport(r)});
  }
  return out;
}

}  // namespace harkola::bench
