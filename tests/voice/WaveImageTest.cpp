#include "voice/WaveImage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "voice/VoicePlayer.h"
#include "support/Tables.h"

namespace harkola {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An 8-bit mono 11025 Hz RIFF WAVE image of `samples` samples, optionally with an
// odd-sized chunk (3 bytes + pad) before "fmt ".
Bytes wave(std::uint32_t samples, bool extraChunk = false) {
  Bytes b;
  auto put = [&b](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
  };
  auto tag = [&b](const char* t) {
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(t[i]));
  };
  tag("RIFF");
  put(0, 4);
  tag("WAVE");
  if (extraChunk) {
    tag("LIST");
    put(3, 4);
    put(0x00030201, 4);
  }
  tag("fmt ");
  put(16, 4);
  put(1, 2);      // PCM
  put(1, 2);      // mono
  put(11025, 4);  // rate
  put(11025, 4);  // bytes per second
  put(1, 2);      // block align
  put(8, 2);      // bits
  tag("data");
  put(samples, 4);
  b.resize(b.size() + samples, 0x80);
  const auto riff = std::uint32_t(b.size() - 8);
  for (int i = 0; i < 4; ++i) b[4 + i] = std::uint8_t(riff >> (8 * i));
  return b;
}

// An odd-sized chunk is skipped with its pad byte; a data chunk claiming more than is
// there (as written, then claiming 4 GB) is cut to what is there.
TEST(WaveImage, ReadsTheClipFormatAndCutsOversizedData) {
  Bytes b = wave(1000, true);
  WaveInfo w = readWaveInfo(b);
  ASSERT_TRUE(w.valid) << w.error;
  EXPECT_TRUE(w.isClipFormat());
  EXPECT_EQ(w.frames(), 1000u);
  EXPECT_DOUBLE_EQ(w.seconds(), 1000.0 / 11025);
  EXPECT_EQ(w.dataOffset + w.dataBytes, b.size());
  b.resize(b.size() - 400);
  for (std::uint8_t claim : {0x00, 0xFF}) {
    if (claim) std::fill(b.begin() + 52, b.begin() + 56, claim);
    w = readWaveInfo(b);
    ASSERT_TRUE(w.valid);
    EXPECT_EQ(w.frames(), 600u);
  }
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

INSTANTIATE_TEST_SUITE_P(Damaged, WaveImageRefusal,
                         ::testing::Values(BadRow{"OneByte", 1, 0, 0}, BadRow{"OnlyRiffHeader", 12, 0, 0},
                                           BadRow{"FormatCut", 30, 0, 0}, BadRow{"NoData", 36, 0, 0},
                                           BadRow{"NotRiff", 0, 0, 'X'}, BadRow{"NotWave", 0, 8, 'X'},
                                           BadRow{"NoChannels", 0, 22, 0}),
                         test::rowName);

// Every committed clip must play as an announcement: the right format, 1 to 2 seconds
// long, and not silence (samples well away from the 8-bit midpoint 128).
class CommittedClip : public ::testing::TestWithParam<int> {};

TEST_P(CommittedClip, IsAnAnnouncementClip) {
  const std::string path = std::string(HARKOLA_SOURCE_DIR) + "/resources/voice/" + voiceClipFileName(GetParam());
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  const Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const WaveInfo w = readWaveInfo(b);
  ASSERT_TRUE(w.valid) << w.error;
  EXPECT_TRUE(w.isClipFormat()) << w.formatTag << " " << w.channels << " " << w.sampleRate << " "
                                << w.bitsPerSample;
  EXPECT_GE(w.seconds(), 1.0);
  EXPECT_LE(w.seconds(), 2.0);
  const auto loud = std::count_if(b.begin() + long(w.dataOffset), b.begin() + long(w.dataOffset + w.dataBytes),
                                  [](std::uint8_t s) { return std::abs(int(s) - 128) > 64; });
  EXPECT_GT(loud, 100);
}

INSTANTIATE_TEST_SUITE_P(Clips, CommittedClip, ::testing::Range(1, kBeaconCount + 1),
                         [](const auto& info) { return std::to_string(voiceClipId(info.param)); });

}  // namespace
}  // namespace harkola
