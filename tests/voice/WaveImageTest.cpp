#include "voice/WaveImage.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/Files.h"
#include "support/WavImage.h"
#include "voice/VoicePlayer.h"
#include "voice/VoiceSelection.h"

namespace harkola {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An 8-bit mono 11025 Hz RIFF WAVE image of `samples` samples, optionally with an
// odd-sized chunk (3 bytes + pad) before "fmt ".
Bytes wave(std::uint32_t samples, bool extraChunk = false) {
  const std::string odd = "LIST" + test::le32(3) + std::string("\x01\x02\x03\x00", 4);
  const std::string s = test::wavImage(1, 1, 11025, 8, std::string(samples, '\x80'), "", {}, extraChunk ? odd : "");
  return Bytes(s.begin(), s.end());
}

// An odd-sized chunk is skipped with its pad byte; a data chunk claiming more than is
// there (as written, then claiming 4 GB) is cut to what is there.
TEST(WaveImage, ReadsTheClipFormatAndCutsOversizedData) {
  Bytes b = wave(1000, true);
  WaveInfo w = readWaveInfo(b);
  ASSERT_TRUE(w.valid) << w.error;
  EXPECT_TRUE(w.isClipFormat());
  EXPECT_EQ(w.frames(), 1000u);
  EXPECT_EQ(w.dataOffset + w.dataBytes, b.size());
  b.resize(b.size() - 400);
  for (std::uint8_t claim : {0x00, 0xFF}) {
    if (claim) std::fill(b.begin() + 52, b.begin() + 56, claim);
    w = readWaveInfo(b);
    ASSERT_TRUE(w.valid);
    EXPECT_EQ(w.frames(), 600u);
  }
}

// Damaged images are refused without reading past their end.
TEST(WaveImage, RefusesDamagedImages) {
  const struct {
    const char* name;
    std::size_t keep;  // bytes kept of a good image; 0 = use `patch`
    std::size_t patchAt;
    char patch;
  } rows[] = {{"OneByte", 1, 0, 0},   {"OnlyRiffHeader", 12, 0, 0}, {"FormatCut", 30, 0, 0}, {"NoData", 36, 0, 0},
              {"NotRiff", 0, 0, 'X'}, {"NotWave", 0, 8, 'X'},       {"NoChannels", 0, 22, 0}};
  for (const auto& r : rows) {
    Bytes b = wave(50);
    if (r.keep) b.resize(r.keep);
    else b[r.patchAt] = std::uint8_t(r.patch);
    const WaveInfo w = readWaveInfo(b);
    EXPECT_TRUE(!w.valid && !w.error.empty() && !w.isClipFormat()) << r.name;
  }
}

// Every committed clip must play as an announcement: the right format, 1 to 2 seconds
// long, and not silence (samples well away from the 8-bit midpoint 128).
TEST(WaveImage, EveryCommittedClipIsAnAnnouncementClip) {
  for (int beacon = 1; beacon <= kBeaconCount; ++beacon) {
    const std::string path = std::string(HARKOLA_SOURCE_DIR) + "/resources/voice/" + voiceClipFileName(beacon);
    const std::string bytes = test::fileText(path);
    const Bytes b(bytes.begin(), bytes.end());
    const WaveInfo w = readWaveInfo(b);
    ASSERT_TRUE(w.valid) << path << ": " << w.error;
    EXPECT_TRUE(w.isClipFormat()) << path;
    EXPECT_TRUE(w.seconds() >= 1.0 && w.seconds() <= 2.0) << path << ": " << w.seconds() << " s";
    const auto loud = std::count_if(b.begin() + long(w.dataOffset), b.begin() + long(w.dataOffset + w.dataBytes),
                                    [](std::uint8_t s) { return std::abs(int(s) - 128) > 64; });
    EXPECT_GT(loud, 100) << path;
  }
}

TEST(VoiceIndicatorTest, CaptionAndTooltipFollowTheCount) {
  constexpr const char* kAll = "All beacon voice announcements enabled";
  constexpr const char* kSome = "Only some beacon voice announcements enabled";
  constexpr const char* kNone = "All beacon voice announcements disabled";
  const struct {
    int count;
    const char *caption, *tooltip;
  } rows[] = {{0, "OFF", kNone}, {1, "(ON)", kSome}, {17, "(ON)", kSome},
              {18, "ON", kAll},  {-1, "OFF", kNone}, {19, "ON", kAll}};  // out of range clamped
  for (const auto& r : rows) EXPECT_EQ(voiceIndicator(r.count), (VoiceIndicator{r.caption, r.tooltip})) << r.count;
}

}  // namespace
}  // namespace harkola
