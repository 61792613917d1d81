#pragma once
// Sample formats of I/Q streams and recordings and their conversion to complex float
// (full scale +-1.0). Interleaved I then Q; little-endian where it matters.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "receiver/IqSource.h"

namespace harkola {

enum class IqFormat {
  CS16,  // signed 16-bit (WAV 16-bit, most SDR recordings)
  CU8,   // unsigned 8-bit, 127.5 = 0 (RTL-SDR, rtl_tcp, 8-bit WAV)
  CS8,   // signed 8-bit (HackRF)
  CF32,  // 32-bit float (WAV float, GNU Radio files)
};

// Bytes per complex sample.
std::size_t bytesPerSample(IqFormat f);
// "cs16", "cu8", "cs8", "cf32" (also the SigMF names "ci16_le", "cu8", "ci8", "cf32_le").
std::optional<IqFormat> iqFormatFromName(std::string_view name);
std::string iqFormatName(IqFormat f);

// Converts `count` complex samples from `bytes` into `out` (count entries). Float input is
// clamped to +-64 and non-finite values become 0 (a damaged file must not poison the
// filters).
void convertIq(IqFormat f, const unsigned char* bytes, std::size_t count, IqSample* out);

}  // namespace harkola
