#include "voice/WaveImage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "voice/VoicePlayer.h"

namespace harkola {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}
void put16(Bytes& b, std::uint16_t v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
void tag(Bytes& b, const char* t) {
  for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(t[i]));
}

void fmtChunk(Bytes& b, std::uint16_t format, std::uint16_t channels, std::uint32_t rate,
              std::uint16_t bits) {
  tag(b, "fmt ");
  put32(b, 16);
  put16(b, format);
  put16(b, channels);
  put32(b, rate);
  put32(b, rate * channels * bits / 8);
  put16(b, std::uint16_t(channels * bits / 8));
  put16(b, bits);
}

// A RIFF WAVE image with an optional odd-sized chunk before "fmt ".
Bytes wave(std::size_t samples, bool extraChunk = false, std::uint16_t bits = 8) {
  Bytes b;
  tag(b, "RIFF");
  put32(b, 0);
  tag(b, "WAVE");
  if (extraChunk) {
    tag(b, "LIST");
    put32(b, 3);
    put32(b, 0x00030201);  // 3 bytes + pad
  }
  fmtChunk(b, 1, 1, 11025, bits);
  tag(b, "data");
  put32(b, std::uint32_t(samples * bits / 8));
  b.resize(b.size() + samples * bits / 8, 0x80);
  const auto riff = std::uint32_t(b.size() - 8);
  for (int i = 0; i < 4; ++i) b[4 + i] = std::uint8_t(riff >> (8 * i));
  return b;
}

TEST(WaveImage, ReadsTheClipFormat) {
  const Bytes b = wave(11025, true);
  const WaveInfo w = readWaveInfo(b);
  ASSERT_TRUE(w.valid) << w.error;
  EXPECT_TRUE(w.isClipFormat());
  EXPECT_EQ(w.frames(), 11025u);
  EXPECT_DOUBLE_EQ(w.seconds(), 1.0);
  EXPECT_EQ(w.dataOffset + w.dataBytes, b.size());
}

TEST(WaveImage, OversizedDataChunkIsCutToWhatIsThere) {
  Bytes b = wave(1000);
  b.resize(b.size() - 400);
  WaveInfo w = readWaveInfo(b);
  ASSERT_TRUE(w.valid);
  EXPECT_EQ(w.frames(), 600u);
  // A data chunk claiming 4 GB is cut the same way.
  for (int i = 0; i < 4; ++i) b[40 + i] = 0xFF;
  w = readWaveInfo(b);
  ASSERT_TRUE(w.valid);
  EXPECT_EQ(w.frames(), 600u);
}

struct BadRow {
  const char* name;
  std::size_t keep;  // bytes kept of a good image; 0 = use `patch`
  std::size_t patchAt;
  char patch;
};

class WaveImageRefusal : public ::testing::TestWithParam<BadRow> {};

TEST_P(WaveImageRefusal, RefusesWithoutReadingPastTheEnd) {
  const auto& r = GetParam();
  Bytes b = wave(50);
  if (r.keep) b.resize(r.keep);
  else b[r.patchAt] = std::uint8_t(r.patch);
  const WaveInfo w = readWaveInfo(b);
  EXPECT_FALSE(w.valid);
  EXPECT_FALSE(w.error.empty());
  EXPECT_FALSE(w.isClipFormat());
}

INSTANTIATE_TEST_SUITE_P(
    Damaged, WaveImageRefusal,
    ::testing::Values(BadRow{"OneByte", 1, 0, 0}, BadRow{"OnlyRiffHeader", 12, 0, 0},
                      BadRow{"FormatCut", 30, 0, 0}, BadRow{"NoData", 36, 0, 0},
                      BadRow{"NotRiff", 0, 0, 'X'}, BadRow{"NotWave", 0, 8, 'X'},
                      BadRow{"NoChannels", 0, 22, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Every committed clip must play as an announcement: the right format and a length
// between 1 and 2 seconds.
class CommittedClip : public ::testing::TestWithParam<int> {};

TEST_P(CommittedClip, IsAnAnnouncementClip) {
  const std::string path =
      std::string(HARKOLA_SOURCE_DIR) + "/resources/voice/" + voiceClipFileName(GetParam());
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  const Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const WaveInfo w = readWaveInfo(b);
  ASSERT_TRUE(w.valid) << w.error;
  EXPECT_TRUE(w.isClipFormat()) << w.formatTag << " " << w.channels << " " << w.sampleRate
                                << " " << w.bitsPerSample;
  EXPECT_GE(w.seconds(), 1.0);
  EXPECT_LE(w.seconds(), 2.0);
  // Not silence: some samples well away from the 8-bit midpoint 128.
  int loud = 0;
  for (std::size_t i = 0; i < w.dataBytes; ++i)
    if (std::abs(int(b[w.dataOffset + i]) - 128) > 64) ++loud;
  EXPECT_GT(loud, 100);
}

INSTANTIATE_TEST_SUITE_P(Clips, CommittedClip, ::testing::Range(1, kBeaconCount + 1),
                         [](const auto& info) { return std::to_string(voiceClipId(info.param)); });

}  // namespace
}  // namespace harkola
