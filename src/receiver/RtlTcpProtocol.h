#pragma once
// The rtl_tcp protocol (the RTL-SDR network server, default port 1234): the server
// opens with a 12-byte header ("RTL0", tuner type, number of gain steps, both 32-bit
// big-endian), then streams unsigned 8-bit I/Q; the client sends 5-byte commands (one
// command byte, a 32-bit big-endian value).

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace harkola::rtltcp {

inline constexpr int kDefaultPort = 1234;
inline constexpr std::size_t kHeaderBytes = 12;

enum class Command : std::uint8_t {
  Frequency = 0x01,       // Hz
  SampleRate = 0x02,      // samples per second
  GainMode = 0x03,        // 0 automatic, 1 manual
  Gain = 0x04,            // tenths of a dB
  FrequencyCorrection = 0x05,  // ppm
  AgcMode = 0x08,         // the RTL chip's digital AGC, 0/1
  DirectSampling = 0x09,  // 0 off, 1 I branch, 2 Q branch (HF on RTL-SDR v3 and kin)
};

std::array<std::uint8_t, 5> command(Command c, std::uint32_t value);

struct Header {
  std::uint32_t tuner = 0;
  std::uint32_t gains = 0;
};
// The header from the first 12 bytes; none when they are no rtl_tcp header.
std::optional<Header> parseHeader(const std::uint8_t* bytes);
// "R820T", "E4000", ... ("unknown tuner 9").
std::string tunerName(std::uint32_t tuner);

}  // namespace harkola::rtltcp
