#include "voice/ResfileSoundModule.h"

#include <QFile>
#include <gtest/gtest.h>

#include "voice/WaveImage.h"

namespace harkola {
namespace {

// Every clip is compiled into the program and is an announcement clip.
TEST(ResfileSoundModule, EveryClipIsAResource) {
  ResfileSoundModule player;  // registers the resources
  for (int n = 1; n <= kBeaconCount; ++n) {
    QFile f(ResfileSoundModule::clipPath(n));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << n;
    const QByteArray bytes = f.readAll();
    const WaveInfo w = readWaveInfo(std::span(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    EXPECT_TRUE(w.isClipFormat()) << n;
  }
  EXPECT_EQ(ResfileSoundModule::clipPath(1), ":/voice/101.wav");
}

// With or without a sound device, no call fails or reports anything; numbers outside
// 1..18 play nothing.
TEST(ResfileSoundModule, OutOfRangeAndStopAreHarmless) {
  ResfileSoundModule player;
  player.StopVoice();
  player.PlayVoiceClip(0);
  EXPECT_EQ(player.current(), 0);
  player.PlayVoiceClip(19);
  EXPECT_EQ(player.current(), 0);
  player.PlayVoiceClip(-5);
  EXPECT_EQ(player.current(), 0);
  player.PlayVoiceClip(3);
  player.StopVoice();
  EXPECT_EQ(player.current(), 0);
}

}  // namespace
}  // namespace harkola
