// Replays of recordings made by the test itself: a keyed 800 Hz tone in noise during
// the slots of a few beacons.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "support/ShippedData.h"
#include "audio/AudioFFT.h"
#include "audio/ReplaySession.h"
#include "audio/WavFile.h"
#include "clock/BeaconSchedule.h"
#include "audio/AnalyserTestSupport.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

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
      EXPECT_EQ(std::tuple(t.logged, t.hits > 55, t.sLevel > 0), std::tuple(tone, tone, tone)) << "slot " << i;
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

TEST(Replay, ThroughAWavFileAtAnotherRateAndTwoChannels) {
  test::TempFolder dir{"harkola-replay"};
  const auto path = dir / "rec.wav";
  const std::vector<std::int16_t> mono = beaconAudio(60, {2, 3}, 4000.0, 44100);
  WavAudio a;
  a.sampleRate = 44100;
  a.channels = 2;
  for (std::int16_t v : mono) a.samples.insert(a.samples.end(), {v, v});
  std::string err;
  ASSERT_TRUE(writeWav(path, a, err)) << err;
  WavAudio back;
  ASSERT_TRUE(readWav(path, back, err)) << err;

  const Result r = replay(toAnalyserFormat(back), at(23, 59, 30));
  // 23:59:30 is slot 16 of its cycle; the tone is in slots 2 and 3 of the recording
  // (23:59:50 beacon 18, 00:00:00 beacon 1 of the next day).
  ASSERT_EQ(r.records.size(), 2u);
  EXPECT_EQ(r.records[0].rfind(rec("14", "YV5B", "23"), 0), 0u) << r.records[0];
  EXPECT_EQ(r.records[1].rfind("\"07-Dec-26\",\"0\",\"14\",\"4U1UN\",", 0), 0u) << r.records[1];
}

}  // namespace
}  // namespace harkola
