#include "voice/ResfileSoundModule.h"

#include <QFile>
#include <gtest/gtest.h>

#include "voice/WaveImage.h"

namespace harkola {
namespace {

// Every clip is compiled into the program in the announcement format.
TEST(ResfileSoundModule, EveryClipIsAResource) {
  ResfileSoundModule player;  // registers the resources
  for (int n = 1; n <= kBeaconCount; ++n) {
    QFile f(ResfileSoundModule::clipPath(n));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << n;
    const QByteArray b = f.readAll();
    EXPECT_TRUE(readWaveInfo({reinterpret_cast<const std::uint8_t*>(b.constData()), std::size_t(b.size())})
                    .isClipFormat())
        << n;
  }
}

// With or without a sound device, no call fails or reports anything; numbers outside
// 1..18 play nothing.
TEST(ResfileSoundModule, OutOfRangeAndStopAreHarmless) {
  ResfileSoundModule player;
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
