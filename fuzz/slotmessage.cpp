// The slot-report decoder on arbitrary bytes: the first line is the topic, the rest the
// payload. Whatever it accepts must encode again into a message it accepts the same way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "network/SlotMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace harkola;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t nl = input.find('\n');
  const std::string topic = nl == std::string::npos ? std::string() : input.substr(0, nl);
  const std::string payload = nl == std::string::npos ? input : input.substr(nl + 1);
  // "Now" a day after the seed reports' slots.
  const std::int64_t now = 1796716800;
  const DecodeResult d = decodeSlotMessage(topic, payload, now);
  if (!d.ok()) return 0;
  const DecodeResult again = decodeSlotMessage(slotTopic(d.report), encodeSlotReport(d.report), now);
  if (!again.ok() || !again.report.sameKey(d.report) || again.report.heard != d.report.heard ||
      again.report.dashes != d.report.dashes)
    std::abort();
  return 0;
}
