#include "receiver/IqFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace harkola {

namespace {
// Far above full scale, far below where the filters' sums could overflow.
constexpr float kLimit = 64.0f;
}  // namespace

std::size_t bytesPerSample(IqFormat f) {
  switch (f) {
    case IqFormat::CS16: return 4;
    case IqFormat::CU8:
    case IqFormat::CS8: return 2;
    case IqFormat::CF32: return 8;
  }
  return 4;
}

std::optional<IqFormat> iqFormatFromName(std::string_view name) {
  if (name == "cs16" || name == "ci16_le" || name == "ci16") return IqFormat::CS16;
  if (name == "cu8") return IqFormat::CU8;
  if (name == "cs8" || name == "ci8") return IqFormat::CS8;
  if (name == "cf32" || name == "cf32_le") return IqFormat::CF32;
  return std::nullopt;
}

std::string iqFormatName(IqFormat f) {
  switch (f) {
    case IqFormat::CS16: return "cs16";
    case IqFormat::CU8: return "cu8";
    case IqFormat::CS8: return "cs8";
    case IqFormat::CF32: return "cf32";
  }
  return "cs16";
}

void convertIq(IqFormat f, const unsigned char* bytes, std::size_t count, IqSample* out) {
  switch (f) {
    case IqFormat::CS16:
      for (std::size_t i = 0; i < count; ++i) {
        const auto* p = bytes + 4 * i;
        const auto re = static_cast<std::int16_t>(p[0] | (p[1] << 8));
        const auto im = static_cast<std::int16_t>(p[2] | (p[3] << 8));
        out[i] = {re * (1.0f / 32768.0f), im * (1.0f / 32768.0f)};
      }
      break;
    case IqFormat::CU8:
      for (std::size_t i = 0; i < count; ++i)
        out[i] = {(bytes[2 * i] - 127.5f) * (1.0f / 128.0f), (bytes[2 * i + 1] - 127.5f) * (1.0f / 128.0f)};
      break;
    case IqFormat::CS8:
      for (std::size_t i = 0; i < count; ++i)
        out[i] = {static_cast<signed char>(bytes[2 * i]) * (1.0f / 128.0f),
                  static_cast<signed char>(bytes[2 * i + 1]) * (1.0f / 128.0f)};
      break;
    case IqFormat::CF32:
      for (std::size_t i = 0; i < count; ++i) {
        float v[2];
        std::memcpy(v, bytes + 8 * i, 8);
        for (float& x : v) x = std::isfinite(x) ? std::clamp(x, -kLimit, kLimit) : 0.0f;
        out[i] = {v[0], v[1]};
      }
      break;
  }
}

}  // namespace harkola
