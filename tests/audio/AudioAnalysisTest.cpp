// The analysis from samples to records: the transform and the frame analysis; then
// recordings, WAV files read whole and piece by piece, converted to the analyser's rate,
// and replayed through the analysis as a headless station.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "audio/AnalyserTestSupport.h"
#include "audio/AudioFFT.h"
#include "audio/FrameAnalysis.h"
#include "audio/ReplaySession.h"
#include "audio/SignalGenerator.h"
#include "audio/WavFile.h"
#include "audio/WavStream.h"
#include "clock/BeaconSchedule.h"
#include "support/ShippedData.h"
#include "support/TempFolder.h"
#include "support/WavImage.h"

namespace harkola {
namespace {

SampleBlock randomBlock(std::uint32_t seed, int filled = kBlockSamples) {
  std::mt19937 gen(seed);
  SampleBlock b{};
  for (int i = 0; i < filled; ++i) b[i] = static_cast<std::int16_t>(gen() % 20001) - 10000;
  return b;
}

// The real part of a 1024-point DFT, in double precision: the bit reversal, the
// recurrence and the 32-bit arithmetic must stay close to it (a wrong sign, twiddle or
// order shows at once).
TEST(AudioFFT, MatchesTheRealPartOfTheDft) {
  const SampleBlock b = randomBlock(7, kFftSize);
  AudioFFT fft;
  SpectrumFrame s{};
  fft.Transform(b, s);
  double worst = 0, scale = 0;
  for (int k = 0; k < kFftSize; ++k) {
    double re = 0;
    for (int n = 0; n < kFftSize; ++n) re += b[n] * std::cos(2 * M_PI * k * n / kFftSize);
    worst = std::max(worst, std::fabs(re - s[k]));
    scale = std::max(scale, std::fabs(re));
  }
  EXPECT_LT(worst, scale * 1e-4);
}

// The transform written out step by step, one butterfly at a time with the running
// recurrence, as slow as it looks. The fast transform must give the same bits.
SpectrumFrame stepByStep(const SampleBlock& in) {
  SpectrumFrame re{};
  std::array<float, kFftSize> im{};
  for (int i = 0; i < kFftSize; ++i) re[ReverseBits(i, 10)] = static_cast<float>(in[i]);
  for (int blockEnd = 1, blockSize = 2; blockSize <= kFftSize; blockEnd = blockSize, blockSize *= 2) {
    const float delta = 6.283185f / static_cast<float>(blockSize);
    float alpha = std::sin(0.5f * delta);
    alpha = 2.0f * alpha * alpha;
    const float beta = std::sin(delta);
    for (int i = 0; i < kFftSize; i += blockSize) {
      float ar = 1.0f, ai = 0.0f;
      for (int n = 0, j = i; n < blockEnd; ++n, ++j) {
        const int k = j + blockEnd;
        const float tr = ar * re[k] - ai * im[k];
        const float ti = ar * im[k] + ai * re[k];
        re[k] = re[j] - tr;
        im[k] = im[j] - ti;
        re[j] = re[j] + tr;
        im[j] = im[j] + ti;
        const float step = alpha * ar + beta * ai;
        ai = ai - (alpha * ai - beta * ar);
        ar = ar - step;
      }
    }
  }
  return re;
}

// One transform for every block: the work array the last block left must not matter.
TEST(AudioFFT, SameBitsAsTheStepByStepTransform) {
  AudioFFT fft;
  for (std::uint32_t seed = 1; seed <= 6; ++seed) {
    // Half the blocks also fill the upper half, which is used as it stands.
    const SampleBlock b = randomBlock(seed, seed % 2 ? kBlockSamples : kFftSize);
    SpectrumFrame fast{};
    fft.Transform(b, fast);
    const SpectrumFrame slow = stepByStep(b);
    ASSERT_EQ(std::memcmp(fast.data(), slow.data(), sizeof fast), 0) << "seed " << seed;
  }
}

// Every noise reference bin at +-100, so NoiseLevel = 100 and with NoiseFilter 14 the
// threshold is 700.
SpectrumFrame flatNoise() {
  SpectrumFrame s{};
  for (int k = kLowerNoiseFirst; k <= kLowerNoiseLast; ++k) s[k] = k % 2 ? 100.0f : -100.0f;
  for (int k = kUpperNoiseFirst; k <= kUpperNoiseLast; ++k) s[k] = k % 2 ? -100.0f : 100.0f;
  return s;
}

// One bin set against the flat noise: at the threshold it is no peak, just above it is
// one (counted, summed, multiplied by 5, drawn red); outside the signal window nothing
// counts and the bar is yellow.
TEST(FrameAnalysis, PeakCountSumAndBarOfOneBin) {
  const struct {
    const char* name;
    int bin;
    float value;
    bool peak;
    BarColour colour;
  } rows[] = {{"at_threshold", 74, 700.0f, false, BarColour::Green},
              {"just_above", 74, std::nextafter(700.0f, 1e9f), true, BarColour::Red},
              {"large_negative", 74, -1.0e6f, false, BarColour::Green},
              {"first_signal_bin", kSignalFirst, 5000.0f, true, BarColour::Red},
              {"last_signal_bin", kSignalLast, 5000.0f, true, BarColour::Red},
              {"outside_window", 200, 1.0e6f, false, BarColour::Yellow},
              {"below_noise_bands", 20, 800.0f, false, BarColour::Yellow}};
  for (const auto& c : rows) {
    SCOPED_TRACE(c.name);
    MorseCount d;
    SpectrumFrame s = flatNoise();
    s[c.bin] = c.value;
    SpectrumBars bars;
    const FrameResult r = analyseFrame(s, 14, &d, &bars);
    EXPECT_FLOAT_EQ(r.threshold, 700.0f);
    EXPECT_EQ(d.MorseHits, c.peak ? 1 : 0);
    const float after = c.peak ? c.value * 5.0f : c.value;
    EXPECT_EQ(s[c.bin], after);
    EXPECT_EQ(d.MorsePeakSum, c.peak ? after : 0.0f);
    EXPECT_EQ(bars.bars[c.bin].colour, c.colour);
    EXPECT_FLOAT_EQ(bars.bars[c.bin].height, std::sqrt(std::fabs(after) / 60.0f));
  }
}

TEST(FrameAnalysis, CountsAccumulateAcrossFramesAndDisplayDoesNotMatter) {
  MorseCount withBars, without;
  SpectrumBars bars;
  for (int i = 0; i < 3; ++i) {
    SpectrumFrame s = flatNoise();
    s[70] = 1000.0f;
    s[81] = 2000.0f;
    SpectrumFrame copy = s;
    analyseFrame(s, 14, &withBars, &bars);
    analyseFrame(copy, 14, &without);
  }
  EXPECT_EQ(withBars.MorseHits, 6);
  EXPECT_EQ(withBars.MorsePeakSum, 3 * (5000.0f + 10000.0f));
  EXPECT_EQ(without.MorseHits, 6);
  EXPECT_EQ(without.MorsePeakSum, withBars.MorsePeakSum);
}

// Blocks of a steady tone in light noise, transformed and analysed back to back.
long hitsForTone(double hz, int blocks) {
  std::vector<std::int16_t> audio(static_cast<std::size_t>(blocks) * kBlockSamples);
  addTone(audio, 0, audio.size(), ToneSpec{hz, 8000.0});
  addNoise(audio, 300.0, 42);
  AudioFFT fft;
  MorseCount d;
  for (int b = 0; b < blocks; ++b) {
    SampleBlock block{};
    std::copy_n(audio.begin() + b * kBlockSamples, kBlockSamples, block.begin());
    SpectrumFrame s{};
    fft.Transform(block, s);
    analyseFrame(s, kNoiseFilterDefault, &d);
  }
  return d.MorseHits;
}

TEST(FrameAnalysis, ToneAt800HzIsCountedAndAt1200HzIsNot) {
  EXPECT_GT(hitsForTone(800.0, 20), 20);  // more than one peak per block on average
  EXPECT_EQ(hitsForTone(1200.0, 20), 0);
  EXPECT_EQ(hitsForTone(400.0, 20), 0);
}

namespace fs = std::filesystem;

class WavFileTest : public ::testing::Test {
 protected:
  fs::path write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return dir / name;
  }
  test::TempFolder dir{"harkola-wav"};
};

double rms(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
  return std::sqrt(sum / double(to - from));
}

using test::wavImage;

// A header whose format description claims `fmtBytes` (only 16 follow).
std::string claimingFormat(std::uint32_t fmtBytes) {
  std::string h = wavImage(1, 1, 11025, 16, "");
  for (int i = 0; i < 4; ++i) h[16 + i] = char(fmtBytes >> (8 * i));
  return h;
}

// A LIST chunk claiming `bytes` before the data chunk.
std::string claimingList(std::uint32_t bytes) { return wavImage(1, 1, 11025, 16, "", "LIST" + test::le32(bytes) + "INFO"); }

TEST_F(WavFileTest, BadFilesAreRefusedWithAMessage) {
  const std::pair<std::string, const char*> rows[] = {
      {"hello, this is not audio", "is not a WAV file"},
      {"", "is not a WAV file"},
      {wavImage(3, 1, 11025, 32, std::string(4, '\0')), "not 16-bit PCM"},
      {wavImage(1, 1, 11025, 8, "ab"), "not 16-bit PCM"},
      {wavImage(1, 1, 11025, 16, "").substr(0, 30), "cut short"},
      {wavImage(1, 1, 11025, 16, "").substr(0, 36), "no audio data"},
      {wavImage(1, 0, 11025, 16, ""), "impossible"},
      // Sizes are checked against the file before anything is allocated.
      {claimingFormat(0xFFFFFFF0u), "claims 4294967280 bytes, more than the file holds"},
      {claimingList(1000), "chunk claims 1000 bytes, more than the file holds"},
      // Rates are refused outside what sound cards use: a damaged one would make the
      // resampling cost unbounded.
      {wavImage(1, 1, 1, 16, "ab"), "sample rate of 1 Hz"},
      {wavImage(1, 1, 3999, 16, "ab"), "from 4000 to 384000 Hz"},
      {wavImage(1, 1, 999983, 16, "ab"), "sample rate of 999983 Hz"}};
  for (const auto& [bytes, messagePart] : rows) {
    WavAudio a;
    std::string err;
    EXPECT_FALSE(readWav(write("bad.wav", bytes), a, err)) << messagePart;
    EXPECT_NE(err.find(messagePart), std::string::npos) << err;
  }
}

TEST_F(WavFileTest, CutOffDataIsReadAsFarAsItGoesWithAWarning) {
  const fs::path p = write("cut.wav", wavImage(1, 1, 11025, 16, std::string("\x01\x00\x02\x00\x03", 5), "", 100));
  WavAudio a;
  std::string err, warning;
  ASSERT_TRUE(readWav(p, a, err, &warning)) << err;
  EXPECT_EQ(a.samples, (std::vector<std::int16_t>{1, 2}));  // the odd byte is no sample
  EXPECT_NE(warning.find("5 of 100 bytes"), std::string::npos) << warning;

  // A damaged size of nearly 4 GB reads what is there instead of reserving 4 GB.
  const fs::path huge = write("huge.wav", wavImage(1, 1, 11025, 16, std::string(6, '\0'), "", 0xFFFFFFF0u));
  ASSERT_TRUE(readWav(huge, a, err, &warning)) << err;
  EXPECT_EQ(a.samples.size(), 3u);
}

TEST(WavConvert, MonoMixIsTheAverageOfTheChannels) {
  WavAudio a;
  a.channels = 2;
  a.samples = {1000, -1000, 32767, 32767, -32768, -32767, 3, 4};
  EXPECT_EQ(mixToMono(a), (std::vector<std::int16_t>{0, 32767, -32768, 4}));
}

// In-band tones keep their level; a tone above the new Nyquist frequency is removed
// rather than folded down into the morse or noise bands.
TEST(WavConvert, ToneLevelAfterConversionTo11025) {
  const struct {
    int rate;
    double hz, gain;  // gain: expected output rms / input rms
  } rows[] = {{44100, 800, 1.0}, {8000, 800, 1.0}, {48000, 7000, 0.0}};
  for (const auto& c : rows) {
    std::vector<std::int16_t> in(static_cast<std::size_t>(c.rate));  // one second
    addTone(in, 0, in.size(), ToneSpec{c.hz, 10000.0, c.rate});
    const auto out = resample(in, c.rate, 11025);
    ASSERT_NEAR(double(out.size()), 11025.0, 1.0) << c.rate;
    const double gain = rms(out, 1000, 10000) / rms(in, 1000, in.size() - 1000);
    EXPECT_NEAR(gain, c.gain, 0.02) << c.rate << " " << c.hz;
  }
}

// A recording written and read back whole keeps every sample (the extremes included) in
// a plain 44-byte header; reading it piece by piece must give exactly the samples of
// reading it whole: the replay's records depend on every bit.
TEST_F(WavFileTest, StreamedRecordingGivesTheSamplesOfTheWholeFileConversion) {
  const struct {
    const char* name;
    int rate, channels;
    std::size_t frames, piece;  // piece: samples asked for per read
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
    EXPECT_EQ(fs::file_size(path), 44 + 2 * a.samples.size());
    WavAudio whole;
    ASSERT_TRUE(readWav(path, whole, err)) << err;
    EXPECT_EQ(std::tie(whole.sampleRate, whole.channels), std::tie(a.sampleRate, a.channels));
    EXPECT_TRUE(whole.samples == a.samples);
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
  EXPECT_TRUE(out == oneShot);
}

// What flat memory rests on: a replay reads the file only a little ahead of the block
// it analyses, however long the recording.
TEST_F(WavFileTest, StreamingReadsOnlyALittleAheadOfTheBlockAnalysed) {
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

// Replays of recordings made by the test itself: a keyed 800 Hz tone in noise during
// the slots of a few beacons.
using test::beaconAudio;

struct Result {
  ReplayStats stats;
  std::vector<std::string> records;
  std::vector<SlotTrace> traces;
};

Result replay(std::vector<std::int16_t> samples, ReplaySettings settings) {
  PublicDecs d;
  d.BeaconTable = test::shippedDecs(false).BeaconTable;
  VectorSampleSource source(std::move(samples));
  test::RecordingSink sink;
  Result r;
  ReplaySession session(d, settings, source, &sink,
                        [&](const SlotTrace& t) { r.traces.push_back(t); });
  r.stats = session.run();
  r.records = sink.records;
  return r;
}

std::string rec(const std::string& band, const std::string& call, const std::string& hour = "8") {
  return "\"06-Dec-26\",\"" + hour + "\",\"" + band + "\",\"" + call + "\",";
}

ReplaySettings at(int hour, int minute, int second, int ms = 0, int band = 0) {
  ReplaySettings s;
  s.start = LocalTime{2026, 12, 6, hour, minute, second, ms};
  s.band = band;
  return s;
}

// Trace i is recording slot i. A recording starting mid-slot (5.25 s into beacon 2's
// slot, tone already on) is taken as a running clock: the part slot is counted and logged.
TEST(Replay, WritesExactlyTheSlotsThatCarryTheTone) {
  const struct {
    const char* name;
    int band, startSecond, startMs, seconds, toneSeconds;
    std::set<int> toneSlots;
    std::vector<std::string> calls;  // beacons logged, in order
    std::size_t traces;
  } rows[] = {{"mhz14", 0, 0, 0, 90, 9, {1, 4, 6}, {"VE8AT", "ZL6B", "JA2IGY"}, 9},
              {"mhz28", 4, 0, 0, 90, 9, {1, 4, 6}, {"LU4AA", "4U1UN", "W6WX"}, 9},
              {"mid_slot_start", 0, 15, 250, 20, 3, {0}, {"VE8AT"}, 3}};
  for (const auto& c : rows) {
    SCOPED_TRACE(c.name);
    const Result r = replay(beaconAudio(c.seconds, c.toneSlots, 4000.0, kSampleRate, c.toneSeconds),
                            at(8, 0, c.startSecond, c.startMs, c.band));
    ASSERT_EQ(r.records.size(), c.calls.size());
    for (std::size_t i = 0; i < c.calls.size(); ++i) {
      EXPECT_EQ(r.records[i].rfind(rec(bandText(c.band), c.calls[i]), 0), 0u) << r.records[i];
      EXPECT_EQ(r.records[i].substr(r.records[i].size() - 2), "\r\n");
    }
    ASSERT_EQ(r.traces.size(), c.traces);
    for (int i = 0; i < static_cast<int>(c.traces); ++i) {
      const bool tone = c.toneSlots.count(i) > 0;
      const SlotTrace& t = r.traces[i];
      EXPECT_EQ(std::tuple(t.logged, t.hits > 55, t.sLevel > 0), std::tuple(tone, tone, tone)) << i;
      EXPECT_EQ(std::pair(t.slotStart.second, t.slotStart.millisecond),
                std::pair((c.startSecond / 10 * 10 + i * 10) % 60, 0)) << "slot " << i;
    }
  }
}

TEST(Replay, TimingOfBlocksAndTicks) {
  // 10 s: 215 whole blocks (the last 170 samples make no block); ticks at 0.0 .. 9.9 s.
  Result r = replay(beaconAudio(10, {}), at(8, 0, 0));
  EXPECT_EQ(r.stats.samples, 110250);
  EXPECT_EQ(r.stats.blocks, 215);
  EXPECT_EQ(r.stats.ticks, 100);
  EXPECT_EQ(r.traces.size(), 1u);
  // Off the 100 ms grid: the first tick is at 0.05 s, the last at 9.95 s.
  r = replay(beaconAudio(10, {}), at(8, 0, 0, 950));
  EXPECT_EQ(r.stats.ticks, 100);
  EXPECT_EQ(r.traces.size(), 2u);
}

// Block 2204 completes exactly 102.4 s after the start, on a tick. Blocks 2202..2204
// each hold 14 peaks (every bin of the signal window), so with a threshold of 30 the
// count passes it only with block 2204. Starting at hh:00:05.6 that tick is second 8.0
// of its slot, the last tick that still sees the window open: the record is written
// only when the block is analysed before the tick.
TEST(Replay, BlockCompletingWithATickIsAnalysedFirst) {
  std::vector<std::int16_t> s(2300 * kBlockSamples);  // runs on past the slot
  for (int b = 2202; b <= 2204; ++b)
    for (int n = 0; n < kBlockSamples; ++n) {
      double v = 0;
      for (int k = 69; k <= 82; ++k) v += 2000.0 * std::cos(2 * M_PI * k * n / kFftSize);
      s[static_cast<std::size_t>(b) * kBlockSamples + n] = static_cast<std::int16_t>(std::lround(v));
    }
  for (const auto& [startMs, heard] : {std::pair{600, true}, std::pair{700, false}}) {
    ReplaySettings settings = at(8, 0, 5, startMs);
    settings.MorseThreshold = 30;
    EXPECT_EQ(replay(s, settings).records.size(), heard ? 1u : 0u) << "start at 05." << startMs;
  }
}

// (The file itself is read as WavFileTest.StreamedRecording... checks.)
TEST(Replay, ARecordingAtAnotherRateAndTwoChannels) {
  const std::vector<std::int16_t> mono = beaconAudio(60, {2, 3}, 4000.0, 44100);
  WavAudio a;
  a.sampleRate = 44100;
  a.channels = 2;
  for (std::int16_t v : mono) a.samples.insert(a.samples.end(), {v, v});
  const Result r = replay(toAnalyserFormat(a), at(23, 59, 30));
  // 23:59:30 is slot 16 of its cycle; the tone is in slots 2 and 3 of the recording
  // (23:59:50 beacon 18, 00:00:00 beacon 1 of the next day).
  ASSERT_EQ(r.records.size(), 2u);
  EXPECT_EQ(r.records[0].rfind(rec("14", "YV5B", "23"), 0), 0u) << r.records[0];
  EXPECT_EQ(r.records[1].rfind("\"07-Dec-26\",\"0\",\"14\",\"4U1UN\",", 0), 0u) << r.records[1];
}

}  // namespace
}  // namespace harkola
