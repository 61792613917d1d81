#include "rig/FollowChoice.h"

#include <gtest/gtest.h>

namespace harkola {
namespace {

// Entries 0..17 are the beacons (18 stored as 0, as the clock compares it); entry 18,
// or anything outside the list, ends following and keeps the number.
TEST(ActivateEntry, StoresTheBeaconTheClockCompares) {
  const struct {
    const char* name;
    int entry;
    FollowState before, after;
  } rows[] = {{"FirstBeacon", 0, {false, 0}, {true, 1}},
              {"SeventeenthBeacon", 16, {false, 0}, {true, 17}},
              {"EighteenthStoredAsZero", 17, {false, 5}, {true, 0}},
              {"OtherBeaconReplacesTheFollowed", 2, {true, 9}, {true, 3}},
              {"NoBeaconEndsFollowingKeepsTheNumber", 18, {true, 5}, {false, 5}},
              {"NegativeEntryEndsFollowing", -1, {true, 5}, {false, 5}},
              {"EntryPastTheListEndsFollowing", 19, {true, 5}, {false, 5}}};
  for (const auto& r : rows) EXPECT_EQ(activateEntry(r.entry, r.before), r.after) << r.name;
}

}  // namespace
}  // namespace harkola
