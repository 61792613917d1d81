#include "clock/BeaconSchedule.h"

#include "common/Bands.h"

namespace harkola {

std::int64_t slotStartUtc(std::int64_t utc) { return utc - ((utc % 10) + 10) % 10; }

int slotNumberAtUtc(std::int64_t utc) { return static_cast<int>(((utc % 180) + 180) % 180 / 10) + 1; }

int beaconOnBand(int slotNumber, int band) {
  int station = slotNumber - band;
  if (station <= 0) station += 18;
  return station;
}

SlotPosition slotPosition(int minute, int second, int band) {
  SlotPosition p;
  const int t = minute * 60 + second;
  p.slotNumber = (t % 180) / 10 + 1;
  p.stationNumber = beaconOnBand(p.slotNumber, band);
  p.nextStation = p.stationNumber == 18 ? 1 : p.stationNumber + 1;
  p.stationIndex = p.stationNumber - 1;
  // Whole seconds by integer arithmetic; a floating formula gives 7.999... at 28, 38 ...
  p.secondsIntoSlot = second % 10;
  return p;
}

std::string bandText(int band) { return std::to_string(bandMHz(band)); }

}  // namespace harkola
