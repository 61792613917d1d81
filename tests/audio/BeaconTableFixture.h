#pragma once
// The callsigns of the eighteen beacons, filled into a PublicDecs for the audio tests.

#include "app/PublicDecs.h"

namespace harkola::testing_support {

inline void fillCallsigns(PublicDecs& d) {
  static const char* const kCalls[kBeaconCount] = {
      "4U1UN", "VE8AT", "W6WX",  "KH6WO", "ZL6B", "VK6RBP", "JA2IGY", "RR9O", "VR2HK",
      "4S7B",  "ZS6DN", "5Z4B",  "4X6TU", "OH2B", "CS3B",   "LU4AA",  "OA4B", "YV5B"};
  for (int n = 1; n <= kBeaconCount; ++n) d.BeaconTable[n][3] = kCalls[n - 1];
}

}  // namespace harkola::testing_support
