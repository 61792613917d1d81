#pragma once
// The five beacon bands. Band index 0..4 is used everywhere: the band buttons, the status
// column of a beacon, the rig's frequency command row, the graphs; files write the band
// as its whole number of MHz ("14".."28").

#include <array>
#include <string_view>

namespace harkola {

struct BandInfo {
  int index;                   // 0..4
  int mhz;                     // 14, 18, 21, 24, 28
  std::string_view text;       // "14" as written in the logs
  std::string_view frequency;  // "14.100": the beacon frequency in MHz as shown
  long hz;                     // 14100000: the beacon frequency
};

inline constexpr int kBandCount = 5;

inline constexpr std::array<BandInfo, kBandCount> kBands{{
    {0, 14, "14", "14.100", 14100000},
    {1, 18, "18", "18.110", 18110000},
    {2, 21, "21", "21.150", 21150000},
    {3, 24, "24", "24.930", 24930000},
    {4, 28, "28", "28.200", 28200000},
}};

// The band of index `band`, clamped to 0..4.
constexpr const BandInfo& bandInfo(int band) {
  return kBands[static_cast<std::size_t>(band < 0 ? 0 : (band >= kBandCount ? kBandCount - 1 : band))];
}

// Band index 0..4 of a band written as "14".."28"; -1 for anything else.
constexpr int bandFromText(std::string_view text) {
  for (const auto& b : kBands)
    if (b.text == text) return b.index;
  return -1;
}

}  // namespace harkola
