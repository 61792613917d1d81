#pragma once
// Playback of the beacon announcement clips, behind a small interface so that the
// clock and the windows can be driven without a sound device.
//
// Contract for every implementation:
// - play(number) starts clip 100 + number (number = beacon 1..18) and returns at once;
//   the clip goes on playing after the call.
// - A new play() replaces the clip that is playing (it is cut off, not queued).
// - stop() silences whatever is playing; it is harmless when nothing plays.
// - Numbers outside 1..18, a clip that cannot be loaded and a missing sound device
//   are not errors: nothing is heard and nothing is reported.

#include <string>

#include "common/PublicDecs.h"

namespace harkola {

// Resource id of the clip for beacon `number` (1..18): 101..118.
constexpr int kFirstVoiceClipId = 101;
constexpr int voiceClipId(int number) { return 100 + number; }
constexpr bool isVoiceClipNumber(int number) { return number >= 1 && number <= kBeaconCount; }

// File name of the clip for beacon `number` inside the program's resources
// (":/voice/" + this) and in resources/voice of the source tree: "101.wav".
inline std::string voiceClipFileName(int number) {
  return std::to_string(voiceClipId(number)) + ".wav";
}

class VoicePlayer {
 public:
  virtual ~VoicePlayer() = default;
  virtual void play(int number) = 0;
  virtual void stop() = 0;
};

}  // namespace harkola
