#pragma once
#include <vector>

#include "voice/VoicePlayer.h"

namespace harkola::test {

// Test double: records the calls in order. A play is recorded with its number, a stop
// as 0; out-of-range numbers are recorded too, so tests see exactly what was asked.
class RecordingVoicePlayer : public VoicePlayer {
 public:
  std::vector<int> calls;
  void play(int number) override { calls.push_back(number); }
  void stop() override { calls.push_back(0); }
  std::vector<int> played() const {
    std::vector<int> p;
    for (int c : calls)
      if (c != 0) p.push_back(c);
    return p;
  }
};

}  // namespace harkola::test
