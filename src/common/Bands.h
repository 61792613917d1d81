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

// 14, 18, 21, 24, 28 for bands 0..4; 0 outside.
constexpr int bandMHz(int band) { return band >= 0 && band < kBandCount ? bandInfo(band).mhz : 0; }

// The beacons' frequency on band 0..4 (14100000 .. 28200000 Hz); 0 outside.
constexpr long beaconFrequencyHz(int band) { return band >= 0 && band < kBandCount ? bandInfo(band).hz : 0; }

// Band index 0..4 for 14/18/21/24/28 MHz, -1 for anything else.
constexpr int bandFromMHz(int mhz) {
  for (const auto& b : kBands)
    if (b.mhz == mhz) return b.index;
  return -1;
}

// The one reading of a band as text, in files and on command lines: band index 0..4
// of exactly "14", "18", "21", "24" or "28"; -1 for anything else.
constexpr int bandFromText(std::string_view text) {
  for (const auto& b : kBands)
    if (b.text == text) return b.index;
  return -1;
}

}  // namespace harkola
