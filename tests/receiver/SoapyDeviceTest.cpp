// All five bands of one slot from one wide-band stream, played by a SoapySDR device of
// this test's own, registered with the library and found by its enumeration as a user's
// device, with hardware time, a timeout and an overflow (samples dropped) on the way:
// each band's beacon is heard and measured as on audio, and a band that carries nothing
// hears nothing although its neighbours are loud.
#include <gtest/gtest.h>

#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>
#include <SoapySDR/Registry.hpp>

#include "BeaconAudio.h"
#include "PlayerDevice.h"
#include "TempFolder.h"
#include "WideIq.h"
#include "clock/BeaconSchedule.h"
#include "receiver/FiveBandDetector.h"
#include "receiver/SoapySource.h"

namespace harkola {
namespace {

using namespace testaudio;

struct Played {
  std::unique_ptr<testiq::WideSynth> synth;
  const testiq::PlayerDevice* device = nullptr;
  long long index = 0;
  int reads = 0;
  SysTime t0{};
  double rate() const { return device->settings().rate; }
  SysTime now() const {
    return t0 + std::chrono::duration_cast<SysTime::duration>(std::chrono::duration<double>(index / rate() + 0.005));
  }
} played;

class TestDevice : public testiq::PlayerDevice {
 public:
  TestDevice() : PlayerDevice("harkolatest") {}
  int readStream(SoapySDR::Stream*, void* const* buffs, size_t n, int& flags, long long& timeNs,
                 long) override {
    ++played.reads;
    if (played.reads == 5) return SOAPY_SDR_TIMEOUT;
    if (played.reads == 8) {  // 0.1 s dropped in the lead-in
      std::vector<IqSample> lost(2000000);
      played.synth->produce(lost.data(), lost.size());
      played.index += static_cast<long long>(lost.size());
      return SOAPY_SDR_OVERFLOW;
    }
    played.synth->produce(static_cast<IqSample*>(buffs[0]), n);
    flags = SOAPY_SDR_HAS_TIME;
    timeNs = static_cast<long long>(static_cast<double>(played.index) * 1e9 / played.rate());
    played.index += static_cast<long long>(n);
    return static_cast<int>(n);
  }
};

SoapySDR::KwargsList findTest(const SoapySDR::Kwargs& args) {
  return testiq::findPlayer(args, "harkolatest", "Harkola test player");
}
SoapySDR::Device* makeTest(const SoapySDR::Kwargs&) {
  auto* d = new TestDevice;
  played.device = d;
  return d;
}
SoapySDR::Registry registerTest("harkolatest", &findTest, &makeTest, SOAPY_SDR_ABI_VERSION);

struct BandScene {
  bool on;
  double snrDb, toneHz, startS;
};

TEST(SoapyDevice, FoundAndPlayedThroughTheLibraryEachBandHearsItsOwnBeacon) {
  test::TempFolder noModules("harkola-soapy");
  setenv("SOAPY_SDR_ROOT", noModules.path.c_str(), 1);  // the system's modules stay out
  const std::vector<SoapyDeviceInfo> found = findSoapyDevices();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].label, "Harkola test player");

  const std::vector<std::string> calls = shippedCallsigns();
  const BandScene scenes[kBandCount] = {
      {true, -15, 760, 0.12}, {true, 25, 840, -0.20}, {true, -15, 900, 0.31}, {false, 0, 0, 0}, {true, 5, 700, 0.05}};
  testiq::WideScene wide;
  for (int b = 0; b < kBandCount; ++b) {
    Scene s;
    s.seed = 40 + static_cast<std::uint32_t>(b);
    const BandScene& on = scenes[b];
    if (on.on) s.beacon = Beacon{calls[beaconOnBand(2, b) - 1], on.snrDb, on.toneHz, on.startS};
    wide.audio.push_back(on.on ? render(s, 2.0, 14.0) : std::vector<std::int16_t>{});
  }
  SoapySettings set;
  set.args = found[0].args;
  set.rate = wide.rate;
  set.centreHz = suggestedCentre(wide.rate);
  set.gainDb = 30;
  set.directSampling = true;
  wide.centreHz = set.centreHz;
  played.synth = testiq::makeSynth(wide);
  played.t0 = sceneSlotStart() - std::chrono::seconds(2);
  SoapySource src;
  src.setClock([] { return played.now(); });
  ASSERT_TRUE(src.open(set)) << src.error();
  EXPECT_EQ(played.device->settings().gainDb, 30);
  EXPECT_EQ(played.device->settings().directSampling, "2");

  BandReceiver rx({0, 1, 2, 3, 4});
  FiveBandDetector det(calls);
  std::vector<SlotMeasurement> got;
  IqBlock block;
  while (played.index < static_cast<long long>(14 * wide.rate)) {
    if (src.read(block) != ReadStatus::Block) continue;
    rx.push(block, det);
    det.tick(played.now());
    for (auto& m : det.takeMeasurements())
      if (m.slot.start == sceneSlotStart()) got.push_back(m);
  }
  EXPECT_EQ(src.health().timeouts, 1);
  EXPECT_EQ(src.health().overflows, 1);
  ASSERT_EQ(got.size(), 5u);
  for (const SlotMeasurement& m : got) {
    const BandScene& scene = scenes[m.slot.band];
    SCOPED_TRACE("band " + std::to_string(bandMHz(m.slot.band)));
    EXPECT_EQ(m.callsign, calls[beaconOnBand(2, m.slot.band) - 1]);
    EXPECT_EQ(m.heard, scene.on) << "score " << m.score;
    if (!scene.on || !m.heard) continue;
    ASSERT_TRUE(m.dashSnrDb[0]);
    EXPECT_NEAR(*m.dashSnrDb[0], scene.snrDb, 1.5);
    EXPECT_NEAR(m.toneHz, scene.toneHz, 2.0);
    EXPECT_NEAR(m.offsetMs, scene.startS * 1000, 20.0);  // on the grid after the gap
  }
}

}  // namespace
}  // namespace harkola
