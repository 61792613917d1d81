// All five bands in one slot from one wide-band stream: each band's beacon is heard
// and measured as on audio, and a band that carries nothing hears nothing although
// its neighbours are loud.
#include <gtest/gtest.h>

#include "BeaconAudio.h"
#include "WideIq.h"
#include "clock/BeaconSchedule.h"
#include "receiver/FiveBandDetector.h"

namespace harkola {
namespace {

using namespace testaudio;

struct BandScene {
  bool on;
  double snrDb;
  double toneHz;
  double startS;
};

TEST(FiveBand, EveryBandHearsItsOwnBeaconFromOneStream) {
  const std::vector<std::string> calls = shippedCallsigns();
  const BandScene scenes[kBandCount] = {{true, -15, 760, 0.12},
                                        {true, 25, 840, -0.20},
                                        {true, -15, 900, 0.31},
                                        {false, 0, 0, 0},
                                        {true, 5, 700, 0.05}};
  testiq::WideScene wide;
  wide.rate = 20e6;
  for (int b = 0; b < kBandCount; ++b) {
    Scene s;
    s.seed = 40 + static_cast<std::uint32_t>(b);
    if (scenes[b].on) s.beacon = Beacon{calls[beaconOnBand(2, b) - 1], scenes[b].snrDb, scenes[b].toneHz, scenes[b].startS};
    wide.audio.push_back(scenes[b].on ? render(s, 2.0, 14.0) : std::vector<std::int16_t>{});
  }
  auto synth = testiq::makeSynth(wide);
  BandReceiver rx({0, 1, 2, 3, 4});
  FiveBandDetector det(calls);
  const SysTime first = sceneSlotStart() - std::chrono::seconds(2);
  std::vector<SlotMeasurement> got;
  IqBlock b;
  b.rate = wide.rate;
  b.centreHz = synth->centreHz();
  b.samples.resize(1 << 17);
  for (b.index = 0; b.index < static_cast<long long>(14.0 * wide.rate); b.index += 1 << 17) {
    b.time = first + std::chrono::duration_cast<SysTime::duration>(
                         std::chrono::duration<double>(static_cast<double>(b.index) / wide.rate));
    synth->produce(b.samples.data(), b.samples.size());
    rx.push(b, det);
    det.tick(b.time);
    for (auto& m : det.takeMeasurements())
      if (m.slot.start == sceneSlotStart()) got.push_back(m);
  }
  ASSERT_EQ(got.size(), 5u);
  for (const SlotMeasurement& m : got) {
    const int band = m.slot.band;
    SCOPED_TRACE("band " + std::to_string(bandMHz(band)));
    EXPECT_EQ(m.callsign, calls[beaconOnBand(2, band) - 1]);
    EXPECT_EQ(m.heard, scenes[band].on) << "score " << m.score;
    if (!scenes[band].on || !m.heard) continue;
    ASSERT_TRUE(m.dashSnrDb[0]);
    EXPECT_NEAR(*m.dashSnrDb[0], scenes[band].snrDb, 1.5);
    EXPECT_NEAR(m.toneHz, scenes[band].toneHz, 2.0);
    EXPECT_NEAR(m.offsetMs, scenes[band].startS * 1000, 20.0);
  }
}

}  // namespace
}  // namespace harkola
