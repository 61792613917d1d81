#pragma once
// A recording replayed through the five-band pipeline as it would run live: every
// block to the band channels and the detectors, then a tick at the block's end time
// (the recording's own clock: its start plus the sample count).

#include <functional>
#include <vector>

#include "receiver/BandReceiver.h"
#include "receiver/FiveBandDetector.h"
#include "receiver/IqSource.h"

namespace harkola {

struct IqReplayStats {
  long long samples = 0;
  long blocks = 0;
  long slots = 0;  // measurements handed on
};

// Reads `source` to its end. `each` gets every slot measurement as it is made (all
// bands, slot order within a tick). Bands the stream does not carry stay silent.
IqReplayStats replayIq(IqSource& source, BandReceiver& receiver, FiveBandDetector& detector,
                       const std::function<void(const SlotMeasurement&)>& each);

}  // namespace harkola
