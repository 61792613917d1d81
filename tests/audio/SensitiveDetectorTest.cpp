// The sensitive detector on simulated receiver audio: what it hears, what it refuses,
// how well it measures, and how its decisions reach the clock.
#include <gtest/gtest.h>

#include <cmath>

#include "BeaconAudio.h"
#include "audio/Baseband.h"
#include "audio/BeaconKeying.h"

namespace harkola {
namespace {

using namespace testaudio;

const std::vector<std::string>& calls() {
  static const std::vector<std::string> c = shippedCallsigns();
  return c;
}

Scene beaconScene(double snr, bool path, int beacon, std::uint32_t seed, double toneHz, double startS) {
  Scene s;
  s.seed = seed;
  s.channel.qsbDepthDb = 6.0;
  s.channel.qsbHz = 0.2;
  if (path) s.channel.spreadHz = 0.2, s.channel.driftHzPerS = 0.1;
  s.beacon = Beacon{calls()[beacon - 1], snr, toneHz, startS};
  return s;
}

// --- detection on fixed slots --------------------------------------------------------

struct RateCase {
  const char* name;
  double snr;
  bool path;              // phase wandering and drifting tone
  int atLeast;                       // heard of 6
  Scene (*receiver)(Scene) = nullptr;  // the receiver's filter, when not flat
};

Scene filtered(Scene s);
Scene tilted(Scene s);
Scene besideAStation(Scene s);

class DetectionRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(DetectionRate, HearsTheScheduledBeacon) {
  const RateCase& c = GetParam();
  SensitiveDetector det(calls());
  int heard = 0;
  for (int i = 0; i < 6; ++i) {
    const int beacon = 1 + (i * 5) % 18;
    const double tone = c.receiver == filtered         ? 610.0 + 35.0 * i
                        : c.receiver == besideAStation ? 760.0 + 25.0 * i
                                                       : 680.0 + 45.0 * i;
    Scene s = beaconScene(c.snr, c.path, beacon, 100 + i, tone, -0.45 + 0.18 * i);
    const auto m = detectSlot(det, c.receiver ? c.receiver(s) : s, beacon);
    ASSERT_TRUE(m);
    heard += m->heard;
  }
  EXPECT_GE(heard, c.atLeast);
}

INSTANTIATE_TEST_SUITE_P(SensitiveDetector, DetectionRate,
                         ::testing::Values(RateCase{"minus20_realistic", -20.0, false, 5},
                                           RateCase{"minus20_wandering_phase", -20.0, true, 5},
                                           RateCase{"minus16_wandering_phase", -16.0, true, 6},
                                           // The band's noise beyond the filter's edge is not the noise at the tone.
                                           RateCase{"minus18_behind_a_cw_filter", -18.0, false, 6, filtered},
                                           // The noise falls over the band: read along its slope.
                                           RateCase{"minus20_through_a_tilted_ssb_filter", -20.0, false, 5, tilted},
                                           // The station's shoulders are not the band's keying.
                                           RateCase{"minus16_beside_a_strong_station", -16.0, false, 6, besideAStation},
                                           RateCase{"plus20_strong", 20.0, false, 6},
                                           // Its keying sidebands must not pull the fit off its elements.
                                           RateCase{"plus40_wandering_phase", 40.0, true, 6}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- bait: nothing may be logged ---------------------------------------------------

struct BaitCase {
  const char* name;
  Scene scene;
};

Scene bait(int kind, double level, double hz, double wpm) {
  Scene s;
  s.seed = 700 + kind;
  if (kind == 1) s.channel.crashesPerSecond = 3.0, s.channel.crashDb = 30.0;
  if (kind == 2) s.carriers.push_back({hz, level});
  if (kind == 3) s.chatter.push_back({hz, level, wpm, -2.0, 15.0});
  return s;
}

Scene fsk(double hz, double shiftHz, double level, double baud) {
  Scene s;
  s.seed = 705;
  s.fsk.push_back({hz, shiftHz, level, baud, -2.0, 15.0});
  return s;
}

// Noise through a 500 Hz CW filter for a 600 Hz pitch, its upper edge inside the band searched.
Scene filtered(Scene s) {
  s.channel.passLowHz = 350.0, s.channel.passHighHz = 850.0, s.channel.passEdgeHz = 40.0;
  return s;
}

// Noise through an SSB filter whose response falls by 9 dB/kHz: the band searched is not flat.
Scene tilted(Scene s) {
  s.channel.passLowHz = 300.0, s.channel.passHighHz = 2700.0, s.channel.passEdgeHz = 100.0;
  s.channel.slopeDbPerKHz = -9.0;
  return s;
}

// A busy band: a station keying CW 17 dB over the beacon 180 Hz below it, and weak CW
// at the beacon's level 120 Hz above, both all through the slot.
Scene besideAStation(Scene s) {
  s.chatter.push_back({s.beacon->toneHz - 180.0, s.beacon->snrDb + 17.0, 24.0, -2.0, 15.0});
  s.chatter.push_back({s.beacon->toneHz + 120.0, s.beacon->snrDb, 20.0, -2.0, 15.0});
  return s;
}

class Bait : public ::testing::TestWithParam<BaitCase> {};

TEST_P(Bait, LogsNothing) {
  SensitiveDetector det(calls());
  for (int beacon : {2, 9, 17}) {
    const auto m = detectSlot(det, GetParam().scene, beacon);
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->heard) << "beacon " << beacon << " score " << m->score << " tone " << m->toneHz;
    EXPECT_EQ(m->sLevel, 0);
    EXPECT_EQ(m->dashes, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    SensitiveDetector, Bait,
    ::testing::Values(BaitCase{"noise", bait(0, 0, 0, 0)}, BaitCase{"heavy_static", bait(1, 0, 0, 0)},
                      BaitCase{"carrier_on_the_tone_0dB", bait(2, 0.0, 800.0, 0)},
                      BaitCase{"carrier_40Hz_off_20dB", bait(2, 20.0, 840.0, 0)},
                      BaitCase{"chatter_on_the_tone_10dB_22wpm", bait(3, 10.0, 800.0, 22.0)},
                      BaitCase{"chatter_90Hz_off_20dB_28wpm", bait(3, 20.0, 710.0, 28.0)},
                      BaitCase{"chatter_30Hz_off_0dB_18wpm", bait(3, 0.0, 830.0, 18.0)},
                      BaitCase{"rtty_170Hz_shift_10dB", fsk(700.0, 170.0, 10.0, 45.45)},
                      BaitCase{"slow_fsk_6Hz_shift_15dB", fsk(780.0, 6.25, 15.0, 6.25)},
                      BaitCase{"cw_filter_noise", filtered(bait(0, 0, 0, 0))},
                      BaitCase{"cw_filter_chatter_10dB", filtered(bait(3, 10.0, 700.0, 22.0))},
                      BaitCase{"ssb_filter_tilted_noise", tilted(bait(0, 0, 0, 0))}),
    [](const auto& info) { return std::string(info.param.name); });

// Another beacon on the air (the PC clock a whole slot off) is not the scheduled one.
TEST(SensitiveDetector, AnotherBeaconIsNotTheScheduledOne) {
  SensitiveDetector det(calls());
  Scene s;
  s.beacon = Beacon{calls()[4], 0.0, 800.0, 0.1};  // beacon 5 sends
  const auto m = detectSlot(det, s, 6);             // beacon 6 is scheduled
  ASSERT_TRUE(m);
  EXPECT_FALSE(m->heard);
  EXPECT_EQ(m->callsign, calls()[5]);
}

// --- measurements ------------------------------------------------------------------

struct AccuracyCase {
  const char* name;
  double snr, toneHz, startS;
};

class Accuracy : public ::testing::TestWithParam<AccuracyCase> {};

TEST_P(Accuracy, SnrOffsetAndToneAreMeasured) {
  const AccuracyCase& c = GetParam();
  SensitiveDetector det(calls());
  Scene s;
  s.seed = 42;
  s.beacon = Beacon{calls()[2], c.snr, c.toneHz, c.startS};
  const auto m = detectSlot(det, s, 3);
  ASSERT_TRUE(m && m->heard);
  ASSERT_TRUE(m->dashSnrDb[0]);
  EXPECT_NEAR(*m->dashSnrDb[0], c.snr, 1.5);
  EXPECT_NEAR(m->offsetMs, c.startS * 1000.0, 20.0);
  EXPECT_NEAR(m->toneHz, c.toneHz, 2.0);
  // Each dash 10 dB below the one before, as far as it stands above the noise.
  for (int d = 1; d < 4; ++d) {
    if (m->dashSnrDb[d]) {
      EXPECT_NEAR(*m->dashSnrDb[d], c.snr - 10.0 * d, 2.0) << "dash " << d;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SensitiveDetector, Accuracy,
                         ::testing::Values(AccuracyCase{"minus15_low_tone_early", -15.0, 560.0, -1.1},
                                           AccuracyCase{"plus5_centre", 5.0, 800.0, 0.0},
                                           AccuracyCase{"plus20_high_tone_late", 20.0, 1040.0, 1.1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SensitiveDetector, DashesHeardFollowTheLadder) {
  SensitiveDetector det(calls());
  Scene s;
  s.seed = 9;
  s.beacon = Beacon{calls()[0], 15.0, 800.0, 0.0};  // dashes at +15, +5, -5, -15 dB
  const auto m = detectSlot(det, s, 1);
  ASSERT_TRUE(m && m->heard);
  EXPECT_EQ(m->dashes, 4);
  s.beacon->snrDb = -12.0;  // only the 100 W dash and perhaps the 10 W one stand out
  const auto weak = detectSlot(det, s, 1);
  ASSERT_TRUE(weak && weak->heard);
  EXPECT_LE(weak->dashes, 2);
  EXPECT_FALSE(weak->dashSnrDb[3]);

  // A deep fade on the 100 W dash alone (25 dB down at its middle, the callsign near the
  // nominal level): the weaker dashes now stand as high as the first, and it is still the
  // beacon, with a steady carrier 200 Hz away as well.
  s.beacon->snrDb = 20.0;
  s.carriers.push_back({1000.0, 20.0});
  s.channel.qsbBelowNominal = true;
  s.channel.qsbDepthDb = 25.0;
  s.channel.qsbHz = 0.3;
  const std::vector<KeyedSpan> spans = beaconSpans(*s.beacon);
  const KeyedSpan& dash = spans[spans.size() - 4];
  const double middle = 2.0 + s.beacon->startS + dash.start + dash.length / 2;  // detectSlot's 2 s lead
  s.channel.qsbPhase = std::fmod(M_PI / 2 - 2 * M_PI * s.channel.qsbHz * middle + 4 * M_PI, 2 * M_PI);
  ASSERT_NEAR(fadeDb(s.channel, middle), -25.0, 0.01);
  const auto faded = detectSlot(det, s, 1);
  ASSERT_TRUE(faded);
  EXPECT_TRUE(faded->heard) << rejectionWord(det.lastMatch().rejection);
}

// Strong beacons get the S level the classic detector gives them, within one.
TEST(SensitiveDetector, SLevelAgreesWithTheClassicDetector) {
  SensitiveDetector det(calls());
  int compared = 0;
  for (double noise : {300.0, 1000.0})
    for (double snr : {5.0, 10.0, 15.0, 25.0}) {
      Scene s;
      s.seed = 77;
      s.channel.noiseRms = noise;
      s.beacon = Beacon{calls()[1], snr, 800.0, 0.1};
      const int classic = classicSLevel(s);
      const auto m = detectSlot(det, s, 2);
      ASSERT_TRUE(m && m->heard);
      if (classic == 0) continue;
      ++compared;
      EXPECT_NEAR(m->sLevel, classic, 1) << "noise " << noise << " snr " << snr;
    }
  EXPECT_GE(compared, 6);
}

TEST(SensitiveDetector, SMeterOffsetShiftsAndClamps) {
  EXPECT_EQ(classicSLevel(0.0, 1000.0, "4U1UN", 0), 1);
  EXPECT_EQ(classicSLevel(0.0, 1000.0, "4U1UN", 4), 4);
  EXPECT_EQ(classicSLevel(20000.0, 100.0, "4U1UN", 0), 9);
  const int mid = classicSLevel(700.0, 300.0, "4U1UN", 0);
  EXPECT_EQ(classicSLevel(700.0, 300.0, "4U1UN", -2), std::max(1, mid - 2));
}

// --- decisions as the clock sees them ------------------------------------------------

struct Feed {
  // Beacon 2 at `snrDb` in a slot starting at sceneSlotStart(), captured from 2 s before it.
  explicit Feed(double snrDb) {
    Scene s;
    s.beacon = Beacon{calls()[1], snrDb, 800.0, 0.0};
    audio = render(s, 2.0, 14.0);
    first = sceneSlotStart() - std::chrono::seconds(2);
  }
  SensitiveDetector det{calls()};
  std::vector<std::int16_t> audio;
  SysTime first;
  std::size_t pos = 0;
  SysTime at(std::size_t n) const {
    return first + std::chrono::duration_cast<SysTime::duration>(std::chrono::duration<double>(n / 11025.0));
  }
  // Feeds blocks until `until`, returning the decisions asked after each block.
  std::vector<SlotDecision> runUntil(SysTime until) {
    std::vector<SlotDecision> out;
    for (; pos + 512 <= audio.size() && at(pos + 512) <= until; pos += 512) {
      det.addBlock(audio.data() + pos, 512, at(pos + 512));
      out.push_back(det.decide(at(pos + 512)));
    }
    return out;
  }
};

SlotRef slotAt(SysTime start, int beacon, int band = 0) {
  SlotRef r;
  r.start = start;
  r.beacon = beacon;
  r.band = band;
  return r;
}

TEST(SensitiveDetector, DecidesLateAboutThePreviousSlot) {
  Feed f(-5.0);
  const SysTime slot = sceneSlotStart();
  f.runUntil(slot);
  f.det.beginSlot(slotAt(slot, 2));
  // Nothing before the ladder can have ended.
  for (const SlotDecision& d : f.runUntil(slot + std::chrono::seconds(8))) EXPECT_FALSE(d.heard);
  f.runUntil(slot + std::chrono::seconds(10));
  f.det.beginSlot(slotAt(slot + std::chrono::seconds(10), 3));
  const std::vector<SlotDecision> next = f.runUntil(slot + std::chrono::seconds(12));
  ASSERT_FALSE(next.empty());
  const SlotDecision& last = next.back();
  EXPECT_TRUE(last.heard);
  EXPECT_TRUE(last.late);
  EXPECT_EQ(last.slot.beacon, 2);
  EXPECT_EQ(last.slot.start, slot);
  EXPECT_GE(last.sLevel, 1);
  const auto ms = f.det.takeMeasurements();
  ASSERT_EQ(ms.size(), 1u);
  EXPECT_TRUE(f.det.takeMeasurements().empty());  // handed over once
}

TEST(SensitiveDetector, AudioBeginningOnTheBoundaryIsAnalysedLaterIsNot) {
  for (const double startS : {0.0, 1.0}) {
    SCOPED_TRACE(startS);
    Feed f(13.0);
    const SysTime slot = sceneSlotStart();
    f.pos = static_cast<std::size_t>(11025 * (2.0 + startS));  // capture starts on the boundary, or a second after
    f.det.beginSlot(slotAt(slot, 2));
    f.runUntil(slot + std::chrono::seconds(12));
    const auto ms = f.det.takeMeasurements();
    if (startS == 0.0) {
      ASSERT_EQ(ms.size(), 1u);
      EXPECT_TRUE(ms[0].heard);
      EXPECT_EQ(f.det.skippedSlots(), 0);
    } else {
      EXPECT_TRUE(ms.empty());
      EXPECT_EQ(f.det.skippedSlots(), 1);
    }
  }
}

TEST(SensitiveDetector, BandChangeReplacesTheSlotsPendingAnalysis) {
  Feed f(0.0);
  const SysTime slot = sceneSlotStart();
  f.runUntil(slot);
  f.det.beginSlot(slotAt(slot, 2, 0));
  f.runUntil(slot + std::chrono::seconds(3));
  f.det.beginSlot(slotAt(slot, 1, 1));  // 18 MHz: beacon 1 in this slot
  f.runUntil(slot + std::chrono::seconds(12));
  const auto ms = f.det.takeMeasurements();
  ASSERT_EQ(ms.size(), 1u);
  EXPECT_EQ(ms[0].slot.band, 1);
  EXPECT_FALSE(ms[0].heard);  // beacon 2's keying is not beacon 1's
}

// --- the pieces under it -------------------------------------------------------------

TEST(BeaconKeying, CallsignThenTheLadder) {
  const BeaconKeying k = beaconKeying("4U1UN");
  // 4 ....-  U ..-  1 .----  U ..-  N -.  : 59 dits, 18 key-down elements.
  ASSERT_EQ(k.on.size(), 18u + 4u);
  EXPECT_NEAR(k.on[17].start + k.on[17].length, 59 * kDitSeconds, 1e-9);
  EXPECT_NEAR(k.on[18].start, 66 * kDitSeconds, 1e-9);
  for (int d = 0; d < 4; ++d) {
    EXPECT_EQ(k.on[18 + d].dash, d);
    EXPECT_DOUBLE_EQ(k.on[18 + d].length, 1.0);
  }
  EXPECT_EQ(k.off.size(), k.on.size() - 1);
  EXPECT_NEAR(k.length, k.on.back().start + 1.0, 1e-9);
  EXPECT_EQ(beaconKeying("4u1un").on.size(), k.on.size());  // case does not matter
  EXPECT_EQ(beaconKeying("").on.size(), 4u);                 // nothing to key but the ladder
}

// A tone burst comes out of the baseband at half its amplitude, shifted by -800 Hz,
// centred where the bookkeeping says.
TEST(Baseband, GainFrequencyAndTiming) {
  std::vector<std::int16_t> x(11025 * 2, 0);
  const double hz = 1000.0, a = 8000.0;
  for (std::size_t n = 11025; n < 11025 + 5512; ++n) x[n] = static_cast<std::int16_t>(a * std::sin(2 * M_PI * hz * n / 11025));
  Baseband bb;
  std::vector<Cf> y;
  bb.push(x.data(), x.size(), y);
  // An output is appended once the filters' next block has come in: at most 14 inputs late.
  ASSERT_EQ(y.size(), x.size() / 15 - 1);
  const std::vector<std::int16_t> more(14, 0);
  bb.push(more.data(), more.size(), y);
  ASSERT_EQ(y.size(), x.size() / 15);
  long firstHalf = -1;
  for (std::size_t m = 0; m < y.size(); ++m)
    if (firstHalf < 0 && std::abs(y[m]) > a / 4) firstHalf = static_cast<long>(m);
  EXPECT_NEAR(Baseband::centreOf(firstHalf), 11025.0, 20.0);  // the burst's edge at its input time
  const std::size_t mid = static_cast<std::size_t>((11025 + 2756 + 246) / 15);
  EXPECT_NEAR(std::abs(y[mid]), a / 2, a * 0.01);
  const double turn = std::arg(y[mid + 1] * std::conj(y[mid]));
  EXPECT_NEAR(turn * kBasebandRate / (2 * M_PI), hz - kMixHz, 0.5);
}

}  // namespace
}  // namespace harkola
