#include "propagation/Coastlines.h"

#include <cstdint>

namespace harkola {
namespace {

bool readU32(std::string_view b, std::size_t& pos, std::uint32_t& out) {
  if (b.size() - pos < 4) return false;
  out = 0;
  for (int i = 3; i >= 0; --i) out = (out << 8) | static_cast<unsigned char>(b[pos + static_cast<std::size_t>(i)]);
  pos += 4;
  return true;
}

int readI16(std::string_view b, std::size_t pos) {
  const auto u = static_cast<std::uint16_t>(static_cast<unsigned char>(b[pos]) |
                                            (static_cast<unsigned char>(b[pos + 1]) << 8));
  return static_cast<std::int16_t>(u);
}

}  // namespace

std::vector<Polyline> decodeCoastlines(std::string_view b) {
  std::vector<Polyline> lines;
  std::size_t pos = 0;
  std::uint32_t version = 0, count = 0;
  if (b.substr(0, 4) != "HKCL") return {};
  pos = 4;
  if (!readU32(b, pos, version) || version != 1 || !readU32(b, pos, count)) return {};
  if (count > b.size()) return {};
  lines.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t n = 0;
    if (!readU32(b, pos, n) || (b.size() - pos) / 4 < n) return {};
    Polyline line;
    line.reserve(n);
    for (std::uint32_t k = 0; k < n; ++k, pos += 4) {
      const int lon = readI16(b, pos), lat = readI16(b, pos + 2);
      if (lon < -18000 || lon > 18000 || lat < -9000 || lat > 9000) return {};
      line.push_back(GeoPoint{lat / 100.0, lon / 100.0});
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace harkola
