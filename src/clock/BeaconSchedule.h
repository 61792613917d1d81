#pragma once
// The beacon rotation: 18 beacons, 5 bands, 10-second slots in a 180-second cycle that
// starts at minute 0, 3, 6 ... 57 of every hour. In slot s the beacon on band b is
// s - b (plus 18 when that is 0 or less).

#include <cstdint>
#include <string>

#include "common/Bands.h"

namespace harkola {

struct SlotPosition {
  int slotNumber = 1;       // 1..18
  int stationNumber = 1;    // beacon on the band, 1..18
  int stationIndex = 0;     // stationNumber - 1
  int nextStation = 2;      // beacon on the band in the next slot, 1..18
  int secondsIntoSlot = 0;  // whole seconds 0..9
};

// Only minute (0..59) and second (0..59) of the local time matter.
SlotPosition slotPosition(int minute, int second, int band);

// The ten-second slot holding `utcSeconds` (seconds since 1970 UTC, also before it):
// its start, and its number 1..18 in the three-minute cycle.
std::int64_t slotStartUtc(std::int64_t utcSeconds);
int slotNumberAtUtc(std::int64_t utcSeconds);

// Beacon 1..18 on band 0..4 in slot 1..18.
int beaconOnBand(int slotNumber, int band);

// "14", "18", "21", "24", "28" as written in the logs ("0" outside 0..4).
std::string bandText(int band);

}  // namespace harkola
