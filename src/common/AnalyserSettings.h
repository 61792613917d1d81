#pragma once
// The analyser's four settings (its sliders, and the options of the replay command):
// the range each may take and the value it starts from at every run.

namespace harkola {

struct SettingRange {
  int lo, hi;
  int start;
  constexpr bool contains(int v) const { return v >= lo && v <= hi; }
};

// The classic detector's threshold factor x2.
inline constexpr SettingRange kNoiseFilter{1, 20, 14};
// Morse peaks a slot needs before the beacon counts as heard.
inline constexpr SettingRange kMorseThreshold{30, 110, 55};
// Seconds from the slot boundary during which a detection is logged.
inline constexpr SettingRange kListenSeconds{1, 10, 8};
// S-level calibration steps added to the estimate.
inline constexpr SettingRange kSMeterOffset{-10, 10, 0};

}  // namespace harkola
