#pragma once
// What the two session graph windows show: per beacon a slot indicator and, in the
// normal graph, the S level logged in this cycle; in the follow graph one bar per band
// for the followed beacon. The windows only draw these models.

#include <array>
#include <string>

#include "common/PublicDecs.h"

namespace harkola {

enum class Indicator { ButtonFace, Yellow };

struct SessionGraph {
  std::array<int, kBeaconCount> bars{};  // 0..9
  std::array<std::string, kBeaconCount> barTips{};
  std::array<Indicator, kBeaconCount> indicators{};

  void reset();  // bars 0, indicators button face (the "Reset display" button)
  // A new slot for beacon index i: a yellow indicator means a new cycle began.
  void markSlot(int stationIndex);
  void setLevel(int stationIndex, int sLevel);  // bar and tip " S5 "
};

struct FollowGraph {
  std::array<int, kBandCount> bars{};
  std::array<std::string, kBandCount> barTips{};
  std::array<Indicator, kBeaconCount> indicators{};

  void reset();  // the "Reset" button: band bars 0, indicators button face
  // A new slot for beacon index i; the followed beacon's own indicator is not set.
  void markSlot(int stationIndex, bool followMode, int followedBeacon);
  void setLevel(int band, int sLevel);  // bar and tip "S5"
};

}  // namespace harkola
