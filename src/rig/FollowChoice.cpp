#include "rig/FollowChoice.h"

#include "common/PublicDecs.h"

namespace harkola {

FollowState activateEntry(int entry, FollowState current) {
  if (entry < 0 || entry >= kNoBeaconEntry) return FollowState{false, current.beacon};
  // The clock compares the stored number with the index (0..17) of the beacon now on
  // the band, that is with the number of the beacon before it: beacon 18 precedes
  // beacon 1, whose index is 0.
  return FollowState{true, static_cast<std::int16_t>((entry + 1) % kBeaconCount)};
}

}  // namespace harkola
