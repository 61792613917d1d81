#include "rig/FollowChoice.h"

#include <gtest/gtest.h>
#include "support/Tables.h"

namespace harkola {
namespace {

struct ActivateCase {
  const char* name;
  int entry;
  FollowState before;
  FollowState after;
};

class ActivateEntry : public ::testing::TestWithParam<ActivateCase> {};

TEST_P(ActivateEntry, StoresTheBeaconTheClockCompares) {
  EXPECT_EQ(activateEntry(GetParam().entry, GetParam().before), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ActivateEntry,
    ::testing::Values(ActivateCase{"FirstBeacon", 0, {false, 0}, {true, 1}},
                      ActivateCase{"SeventeenthBeacon", 16, {false, 0}, {true, 17}},
                      ActivateCase{"EighteenthStoredAsZero", 17, {false, 5}, {true, 0}},
                      ActivateCase{"OtherBeaconReplacesTheFollowed", 2, {true, 9}, {true, 3}},
                      ActivateCase{"NoBeaconEndsFollowingKeepsTheNumber", 18, {true, 5}, {false, 5}},
                      ActivateCase{"NegativeEntryEndsFollowing", -1, {true, 5}, {false, 5}},
                      ActivateCase{"EntryPastTheListEndsFollowing", 19, {true, 5}, {false, 5}}),
    test::rowName);

}  // namespace
}  // namespace harkola
