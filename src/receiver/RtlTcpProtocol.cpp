#include "receiver/RtlTcpProtocol.h"

#include <cstring>

namespace harkola::rtltcp {

std::array<std::uint8_t, 5> command(Command c, std::uint32_t value) {
  return {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
          static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

std::optional<Header> parseHeader(const std::uint8_t* b) {
  if (std::memcmp(b, "RTL0", 4) != 0) return std::nullopt;
  auto be = [](const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
  };
  return Header{be(b + 4), be(b + 8)};
}

std::string tunerName(std::uint32_t tuner) {
  static const char* names[] = {"unknown tuner", "E4000", "FC0012", "FC0013", "FC2580", "R820T", "R828D"};
  if (tuner >= 1 && tuner <= 6) return names[tuner];
  return "unknown tuner " + std::to_string(tuner);
}

}  // namespace harkola::rtltcp
