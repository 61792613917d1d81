#include "voice/ResfileSoundModule.h"

#include <QFile>
#include <gtest/gtest.h>

#include "common/PublicDecs.h"

namespace harkola {
namespace {

// Every clip is compiled into the program (their format is checked on the files). With
// or without a sound device, no call fails or reports anything; numbers outside 1..18
// play nothing.
TEST(ResfileSoundModule, EveryClipIsAResourceAndOutOfRangeAndStopAreHarmless) {
  ResfileSoundModule player;  // registers the resources
  for (int n = 1; n <= kBeaconCount; ++n) EXPECT_TRUE(QFile::exists(ResfileSoundModule::clipPath(n))) << n;
  player.StopVoice();
  for (int n : {0, 19, -5}) {
    player.PlayVoiceClip(n);
    EXPECT_EQ(player.current(), 0) << n;
  }
  player.PlayVoiceClip(3);
  player.StopVoice();
  EXPECT_EQ(player.current(), 0);
}

}  // namespace
}  // namespace harkola
