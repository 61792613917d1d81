#include "receiver/IqReplay.h"

namespace harkola {

IqReplayStats replayIq(IqSource& source, BandReceiver& receiver, FiveBandDetector& detector,
                       const std::function<void(const SlotMeasurement&)>& each) {
  IqReplayStats stats;
  IqBlock block;
  bool ticked = false;
  while (true) {
    const ReadStatus st = source.read(block);
    if (st == ReadStatus::End || st == ReadStatus::Failed) break;
    if (st != ReadStatus::Block) continue;
    // The clock is running when the recording starts: the slot in progress begins.
    if (!ticked) {
      detector.tick(block.time);
      ticked = true;
    }
    receiver.push(block, detector);
    ++stats.blocks;
    stats.samples += static_cast<long long>(block.samples.size());
    const SysTime end = block.time + std::chrono::duration_cast<SysTime::duration>(std::chrono::duration<double>(
                                         static_cast<double>(block.samples.size()) / block.rate));
    detector.tick(end);
    for (const SlotMeasurement& m : detector.takeMeasurements()) {
      ++stats.slots;
      if (each) each(m);
    }
  }
  return stats;
}

}  // namespace harkola
