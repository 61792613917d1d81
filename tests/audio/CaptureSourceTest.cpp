// The capture sources: audio arriving in chunks of any size leaves as whole blocks,
// in order, without a sample lost or repeated.
#include <gtest/gtest.h>

#include <numeric>

#include "audio/WavFileSource.h"
#include "support/FakeCaptureSource.h"

namespace harkola {
namespace {

std::vector<std::int16_t> ramp(std::size_t n) {
  std::vector<std::int16_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::int16_t>(i % 30000);
  return v;
}

// Collects what a source emits: fresh halves only, and checks the zero upper halves.
struct Collector {
  explicit Collector(CaptureSource& s) {
    QObject::connect(&s, &CaptureSource::blockReady, [this](const SampleBlock& b) {
      samples.insert(samples.end(), b.begin(), b.begin() + kBlockSamples);
      upperHalvesZero &= std::all_of(b.begin() + kBlockSamples, b.end(), [](auto x) { return x == 0; });
      ++blocks;
    });
  }
  std::vector<std::int16_t> samples;
  bool upperHalvesZero = true;
  int blocks = 0;
};

TEST(Capture, BlocksCarryEverySampleInOrderWhateverTheChunkSize) {
  const auto audio = ramp(10 * kBlockSamples + 100);
  for (std::size_t chunk : {1, 100, 511, 512, 513, 5000}) {
    test::FakeCaptureSource src;
    QString e;
    src.start(e);
    Collector got(src);
    for (std::size_t pos = 0; pos < audio.size(); pos += chunk)
      src.feed(audio.data() + pos, std::min(chunk, audio.size() - pos));
    EXPECT_EQ(std::tuple(got.blocks, src.samplesDelivered(), got.upperHalvesZero),
              std::tuple(10, 10 * kBlockSamples, true)) << chunk;
    EXPECT_TRUE(std::equal(got.samples.begin(), got.samples.end(), audio.begin())) << chunk;
  }
}

TEST(WavReplay, StopsAtTheEndOrStartsAgainWhenLooping) {
  for (bool loop : {false, true}) {
    WavFileSource src(ramp(3 * kBlockSamples + 200), loop);
    src.setRealTime(false);
    Collector got(src);
    QString e;
    ASSERT_TRUE(src.start(e));
    EXPECT_EQ(src.deliverBlocks(5), loop ? 5 : 3) << "loop " << loop;
    EXPECT_EQ(src.isRunning(), loop);
    if (loop) {  // the part block at the end is skipped: block 4 is the first again
      EXPECT_TRUE(std::equal(got.samples.begin() + 3 * kBlockSamples,
                             got.samples.begin() + 4 * kBlockSamples, got.samples.begin()));
    }
  }
}

}  // namespace
}  // namespace harkola
