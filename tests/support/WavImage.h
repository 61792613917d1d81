#pragma once
// WAV images built byte by byte for the readers' tests: "RIFF", "WAVE", the chunks in
// `before`, a 16-byte "fmt " chunk, the chunks in `after`, and a data chunk that claims
// `claimed` bytes (its true size unless told) whatever follows it.
#include <cstdint>
#include <optional>
#include <string>

namespace harkola::test {

inline std::string le16(unsigned v) { return {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)}; }
inline std::string le32(std::uint32_t v) { return le16(v & 0xffff) + le16(v >> 16); }

inline std::string wavImage(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits, const std::string& data,
                            const std::string& after = "", std::optional<std::uint32_t> claimed = {},
                            const std::string& before = "") {
  const unsigned align = channels * bits / 8;
  const std::string body = "WAVE" + before + "fmt " + le32(16) + le16(tag) + le16(channels) + le32(rate) +
                           le32(rate * align) + le16(align) + le16(bits) + after + "data" +
                           le32(claimed.value_or(static_cast<std::uint32_t>(data.size()))) + data;
  return "RIFF" + le32(static_cast<std::uint32_t>(body.size())) + body;
}

}  // namespace harkola::test
