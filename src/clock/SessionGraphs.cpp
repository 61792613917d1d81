#include "clock/SessionGraphs.h"

namespace harkola {

void SessionGraph::reset() {
  bars.fill(0);
  barTips.fill({});
  indicators.fill(Indicator::ButtonFace);
}

void SessionGraph::markSlot(int stationIndex) {
  if (stationIndex < 0 || stationIndex >= kBeaconCount) return;
  if (indicators[stationIndex] == Indicator::Yellow) reset();  // a new cycle began
  indicators[stationIndex] = Indicator::Yellow;
}

void SessionGraph::setLevel(int stationIndex, int sLevel) {
  if (stationIndex < 0 || stationIndex >= kBeaconCount) return;
  bars[stationIndex] = sLevel;
  barTips[stationIndex] = " S" + std::to_string(sLevel) + " ";
}

void FollowGraph::reset() {
  bars.fill(0);
  barTips.fill({});
  indicators.fill(Indicator::ButtonFace);
}

void FollowGraph::markSlot(int stationIndex, bool followMode, int followedBeacon) {
  if (stationIndex < 0 || stationIndex >= kBeaconCount) return;
  if (indicators[stationIndex] == Indicator::Yellow) indicators.fill(Indicator::ButtonFace);
  if (!(followMode && followedBeacon == stationIndex)) indicators[stationIndex] = Indicator::Yellow;
}

void FollowGraph::setLevel(int band, int sLevel) {
  if (band < 0 || band >= kBandCount) return;
  bars[band] = sLevel;
  barTips[band] = "S" + std::to_string(sLevel);
}

}  // namespace harkola
