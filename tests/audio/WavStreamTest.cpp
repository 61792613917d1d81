// Reading a recording piece by piece must give exactly the samples of reading it whole:
// the replay's records depend on every bit.
#include "audio/WavStream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "audio/AudioFFT.h"
#include "audio/WavFile.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

TEST(StreamedRecording, GivesTheSamplesOfTheWholeFileConversion) {
  const struct {
    const char* name;
    int rate;
    int channels;
    std::size_t frames;
    std::size_t piece;  // samples asked for per read
  } rows[] = {{"mono_11025_as_is", 11025, 1, 200000, 512},
              {"stereo_48000", 48000, 2, 300000, 512},
              {"mono_8000_up", 8000, 1, 100000, 777},
              {"six_channels_44100", 44100, 6, 50000, 512},
              // A prime rate: thousands of filter phases, computed as used.
              {"prime_rate_383987", 383987, 1, 100000, 512},
              {"shorter_than_the_filter", 96000, 1, 40, 1},
              // The edges of the accepted range.
              {"lowest_rate", kMinRecordingRate, 1, 20000, 512},
              {"highest_rate", kMaxRecordingRate, 1, 100000, 512},
              {"single_sample_reads", 22050, 2, 5000, 1}};
  test::TempFolder dir{"harkola-wavstream"};
  for (const auto& c : rows) {
    SCOPED_TRACE(c.name);
    WavAudio a;
    a.sampleRate = c.rate;
    a.channels = c.channels;
    a.samples.resize(c.frames * c.channels);
    // Tones and a little pseudo-noise, loud enough to clip when mixed.
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < a.samples.size(); ++i) {
      seed = seed * 1664525u + 1013904223u;
      const double t = double(i / c.channels) / c.rate;
      a.samples[i] = static_cast<std::int16_t>(std::lround(
          std::clamp(30000.0 * std::sin(2 * M_PI * (700.0 + 90.0 * (i % c.channels)) * t) +
                         double(int(seed >> 20) - 2048),
                     -32768.0, 32767.0)));
    }
    const auto path = dir / "rec.wav";
    std::string err;
    ASSERT_TRUE(writeWav(path, a, err)) << err;
    WavAudio whole;
    ASSERT_TRUE(readWav(path, whole, err)) << err;
    const std::vector<std::int16_t> expected = toAnalyserFormat(whole);

    WavReader reader;
    ASSERT_TRUE(reader.open(path, err)) << err;
    EXPECT_EQ(reader.frameCount(), c.frames);
    WavSampleSource source(std::move(reader));
    std::vector<std::int16_t> got, piece(c.piece);
    for (std::size_t n; (n = source.read(piece.data(), piece.size())) > 0;)
      got.insert(got.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_TRUE(got == expected);
  }
}

TEST(Resampler, FedOneSampleAtATimeGivesTheOneShotResult) {
  std::vector<std::int16_t> in(5000);
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::int16_t>((i * 7919) % 20000 - 10000);
  const std::vector<std::int16_t> oneShot = resample(in, 16000, kSampleRate);
  Resampler r(16000, kSampleRate);
  std::vector<std::int16_t> out;
  for (std::int16_t s : in) r.push(&s, 1, out);
  r.finish(out);
  EXPECT_EQ(out.size(), (in.size() * 11025 + 15999) / 16000);
  EXPECT_TRUE(out == oneShot);
}

// What flat memory rests on: a replay reads the file only a little ahead of the block
// it analyses, however long the recording.
TEST(WavSampleSourceReading, ReadsOnlyALittleAheadOfTheBlockAnalysed) {
  test::TempFolder dir{"harkola-wavstream"};
  WavAudio a;
  a.sampleRate = 48000;
  a.channels = 2;
  a.samples.assign(std::size_t(2) * 48000 * 60, 1000);  // one minute, 11.5 MB
  std::string err;
  ASSERT_TRUE(writeWav(dir / "long.wav", a, err)) << err;
  auto file = std::make_unique<std::ifstream>(dir / "long.wav", std::ios::binary);
  std::ifstream* in = file.get();
  WavReader reader;
  ASSERT_TRUE(reader.open(std::move(file), "long.wav", err)) << err;
  WavSampleSource source(std::move(reader));
  std::vector<std::int16_t> block(kBlockSamples);
  ASSERT_EQ(source.read(block.data(), block.size()), block.size());
  EXPECT_LT(static_cast<long long>(in->tellg()), 300'000);
}

}  // namespace
}  // namespace harkola
