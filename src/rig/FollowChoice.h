#pragma once
// What the follow window's "Activate" makes of the chosen entry of its option list.
// Kept apart from the window so that the numbering can be tested alone.

#include <cstdint>

namespace harkola {

// Entries 0..17 of the option list stand for beacons 1..18; entry 18 is the hidden
// entry that means "no beacon".
inline constexpr int kNoBeaconEntry = 18;

// The shared follow state (PublicDecs::FollowMode and FollowedBeacon).
struct FollowState {
  bool mode = false;
  std::int16_t beacon = 0;  // beacon number modulo 18: 1..17 as themselves, 18 as 0
  bool operator==(const FollowState&) const = default;
};

// The state after "Activate" with `entry` chosen. Entries 0..17 switch follow mode on
// for beacon entry + 1; entry 18, and any entry outside 0..18, switch it off and keep
// the stored beacon.
FollowState activateEntry(int entry, FollowState current);

}  // namespace harkola
