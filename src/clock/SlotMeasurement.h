#pragma once
// What the sensitive detector measured in one slot: the decision and the figures behind
// it. The slot log writes one of these per analysed slot, heard or not.

#include <array>
#include <optional>
#include <string>

#include "clock/SlotDetector.h"

namespace harkola {

struct SlotMeasurement {
  SlotRef slot;
  std::string callsign;  // the scheduled beacon's
  bool heard = false;
  int dashes = 0;  // how many of the four dashes were heard
  // Signal-to-noise ratio of each dash (100 W, 10 W, 1 W, 0.1 W) in dB, noise taken in
  // 2.5 kHz; empty for a dash not heard.
  std::array<std::optional<double>, 4> dashSnrDb{};
  double toneHz = 0.0;    // beat tone of the best match
  double offsetMs = 0.0;  // first key-down minus the slot boundary
  double score = 0.0;     // detection score (about 0..3 for noise alone, heard from 7)
  int sLevel = 0;         // 1..9 when heard (S-meter offset applied), else 0
};

}  // namespace harkola
