// I/Q sources: recordings (sample formats, WAV headers, SigMF descriptions, what is
// refused, the real 14.100 MHz recording through the five-band pipeline) and a SoapySDR
// device of the test's own.
#include <gtest/gtest.h>

#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>
#include <SoapySDR/Registry.hpp>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <tuple>

#include "PlayerDevice.h"
#include "TempFolder.h"
#include "WideIq.h"
#include "clock/BeaconSchedule.h"
#include "clock/SlotLog.h"
#include "receiver/FiveBandDetector.h"
#include "receiver/IqFile.h"
#include "receiver/IqReplay.h"
#include "receiver/SoapySource.h"
#include "support/BeaconAudio.h"
#include "support/WavImage.h"

namespace harkola {
namespace {

using test::le16;
using test::le32;
using test::wavImage;

std::string auxi(int year, int month, int day, int hour, int minute, int second, std::uint32_t centre) {
  std::string t = le16(year) + le16(month) + le16(0) + le16(day) + le16(hour) + le16(minute) + le16(second) + le16(0);
  std::string a = t + t + le32(centre) + std::string(28, '\0');
  return "auxi" + le32(static_cast<std::uint32_t>(a.size())) + a;
}

bool openBytes(IqFileSource& src, const std::string& bytes, const IqFileInfo& info, std::string& error) {
  return src.open(std::make_unique<std::istringstream>(bytes), bytes.size(), info, error);
}

TEST(IqFormat, ConvertsEachFormatToFullScale) {
  const unsigned char cs16[] = {0x00, 0x40, 0x00, 0x80};  // +16384, -32768
  const unsigned char cu8[] = {255, 0};
  const unsigned char cs8[] = {0x40, 0x80};  // +64, -128
  float f[4] = {0.5f, -0.25f, NAN, 1e30f};
  unsigned char cf32[16];
  std::memcpy(cf32, f, 16);
  IqSample out[2];
  convertIq(IqFormat::CS16, cs16, 1, out);
  EXPECT_EQ(out[0], IqSample(0.5f, -1.0f));
  convertIq(IqFormat::CU8, cu8, 1, out);
  EXPECT_NEAR(out[0].real(), 0.996, 0.001);
  EXPECT_NEAR(out[0].imag(), -0.996, 0.001);
  convertIq(IqFormat::CS8, cs8, 1, out);
  EXPECT_EQ(out[0], IqSample(0.5f, -1.0f));
  convertIq(IqFormat::CF32, cf32, 2, out);
  EXPECT_EQ(out[0], IqSample(0.5f, -0.25f));
  EXPECT_EQ(out[1], IqSample(0.0f, 64.0f));  // damaged values cannot poison the filters
  EXPECT_EQ(iqFormatFromName("ci16_le"), IqFormat::CS16);
  EXPECT_FALSE(iqFormatFromName("cs24"));
}

TEST(IqFile, WavHeaderGivesFormatRateAndTheRecordersCentreAndStart) {
  const std::string data = le16(1000) + le16(-1000) + le16(2000) + le16(-2000) + "x";  // and a torn sample
  IqFileSource src;
  std::string error;
  ASSERT_TRUE(openBytes(src, wavImage(1, 2, 48000, 16, data, auxi(2024, 3, 1, 12, 0, 5, 14100000)), {}, error)) << error;
  EXPECT_EQ(std::tuple(src.rate(), src.centreHz(), src.sampleCount(), isoUtc(src.start())),
            std::tuple(48000, 14100000, 2u, "2024-03-01T12:00:05Z"));
  IqBlock b;
  ASSERT_EQ(src.read(b), ReadStatus::Block);
  ASSERT_EQ(b.samples.size(), 2u);
  EXPECT_NEAR(b.samples[1].real(), 2000 / 32768.0, 1e-6);
  EXPECT_EQ(src.read(b), ReadStatus::End);

  // The command line wins over the header's centre.
  IqFileInfo given;
  given.centreHz = 18.1e6;
  ASSERT_TRUE(openBytes(src, wavImage(3, 2, 2400000, 32, std::string(16, '\0')), given, error)) << error;
  EXPECT_EQ(std::pair(src.format(), src.centreHz()), std::pair(IqFormat::CF32, 18.1e6));
  // A data chunk cut short is read as far as it goes, with a warning.
  ASSERT_TRUE(openBytes(src, wavImage(1, 2, 48000, 16, std::string(8, '\0'), "", 4000), given, error));
  EXPECT_EQ(src.sampleCount(), 2u);
  EXPECT_NE(src.warning().find("8 of 4000 bytes"), std::string::npos);
}

TEST(IqFile, BadWavFilesAreRefusedWithAReason) {
  const std::pair<std::string, const char*> rows[] = {
      {wavImage(1, 1, 48000, 16, "abcd"), "1 channel(s)"},
      {wavImage(1, 2, 48000, 24, "abcdef"), "24-bit"},
      {wavImage(1, 2, 0, 16, "abcd"), "sample rate 0"},
      {"RIFX....WAVE", "not a WAV"},
      {wavImage(1, 2, 48000, 16, "", "LIST" + le32(1000000)), "longer than the file"},
      {wavImage(1, 2, 48000, 16, "").substr(0, 36), "no audio data"}};
  IqFileInfo given;
  given.centreHz = 14.1e6;
  for (const auto& [bytes, words] : rows) {
    IqFileSource src;
    std::string error;
    EXPECT_FALSE(openBytes(src, bytes, given, error)) << words;
    EXPECT_NE(error.find(words), std::string::npos) << error;
  }
}

TEST(IqFile, RawRecordingNeedsRateAndCentreAndTimesItsBlocks) {
  const std::string bytes(4 * 1000, '\0');
  IqFileSource src;
  std::string error;
  IqFileInfo given;
  given.format = IqFormat::CS16;
  given.centreHz = 14.1e6;
  EXPECT_FALSE(openBytes(src, bytes, given, error));
  EXPECT_NE(error.find("--rate"), std::string::npos);
  given.rate = 16000;
  given.start = std::chrono::system_clock::from_time_t(1509148800);
  src.setBlockSamples(300);
  ASSERT_TRUE(openBytes(src, bytes, given, error)) << error;
  IqBlock b;
  long long n = 0;
  while (src.read(b) == ReadStatus::Block) {
    EXPECT_EQ(b.index, n);
    EXPECT_EQ(b.time - *given.start, std::chrono::microseconds(n * 1000000 / 16000));
    n += static_cast<long long>(b.samples.size());
  }
  EXPECT_EQ(n, 1000);
}

TEST(IqFile, SigMFDescriptionBesideTheData) {
  test::TempFolder dir("harkola-iq");
  std::ofstream(dir / "rec.sigmf-data", std::ios::binary) << std::string(2 * 500, '\x80');
  std::ofstream(dir / "rec.sigmf-meta")
      << R"({"global":{"core:datatype":"cu8","core:sample_rate":2400000,"core:version":"1.0.0"},)"
         R"("captures":[{"core:sample_start":0,"core:frequency":24.9e6,"core:datetime":"2024-05-01T10:00:00.250Z"}]})";
  IqFileSource src;
  std::string error;
  ASSERT_TRUE(src.open(dir / "rec.sigmf-meta", {}, error)) << error;
  EXPECT_EQ(std::tuple(src.format(), src.rate(), src.centreHz(), src.sampleCount()),
            std::tuple(IqFormat::CU8, 2400000, 24.9e6, 500u));
  SysTime expected;
  ASSERT_TRUE(parseUtcText("2024-05-01 10:00:00.250", expected));
  EXPECT_EQ(src.start(), expected);

  const std::pair<const char*, const char*> bad[] = {
      {R"({"captures":[{"core:datetime":"yesterday"}]})", "core:datetime"},
      {R"({"global":{"core:datatype":"ri16_le"}})", "sample type"},
      {"[[[[", ""}};
  for (const auto& [meta, words] : bad) {
    std::ofstream(dir / "rec.sigmf-meta") << meta;
    EXPECT_FALSE(src.open(dir / "rec.sigmf-data", {}, error)) << meta;
    EXPECT_NE(error.find(words), std::string::npos) << error;
  }
  EXPECT_FALSE(src.open(dir / "nothing.raw", {}, error));
  EXPECT_NE(error.find("no such file"), std::string::npos);
}

// The real recording: 16 kHz cs16 from a station in Japan, 14.100 MHz at +3650 Hz, the
// 00:00:00 UTC slot boundary of 2017-10-28 at 1.05 s. No beacon is audible in it.
TEST(IqFile, RealRecordingSlotsAreAnalysedAndNotHeard) {
  const char* env = std::getenv("HARKOLA_REAL_AUDIO");
  const std::filesystem::path folder =
      env ? std::filesystem::path(env) : std::filesystem::path(HARKOLA_SOURCE_DIR) / ".." / "shared" / "real-audio";
  const auto file = folder / "iq-14100kHz-16k-2017-10-28.raw";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no real recordings at " << folder.string();
  IqFileInfo given;
  given.format = IqFormat::CS16;
  given.rate = 16000;
  given.centreHz = 14100000 - 3650;
  SysTime start;
  ASSERT_TRUE(parseUtcText("2017-10-27 23:59:58.950", start));
  given.start = start;
  IqFileSource src;
  std::string error;
  ASSERT_TRUE(src.open(file, given, error)) << error;
  BandReceiver rx({0, 1, 2, 3, 4});
  FiveBandDetector det(testaudio::shippedCallsigns());
  std::vector<SlotMeasurement> slots;
  replayIq(src, rx, det, [&](const SlotMeasurement& m) { slots.push_back(m); });
  EXPECT_EQ(rx.bands(), std::vector<int>{0});
  // The recording starts 1.05 s before the first boundary, so the 00:00:00 slot is
  // analysed from where it begins; it ends before the next slot's window does.
  ASSERT_EQ(slots.size(), 1u);
  EXPECT_EQ(isoUtc(slots[0].slot.start), "2017-10-28T00:00:00Z");
  EXPECT_EQ(slots[0].slot.band, 0);
  EXPECT_EQ(slots[0].callsign, "4U1UN");
  EXPECT_FALSE(slots[0].heard) << "score " << slots[0].score;
}

// All five bands of one slot from one wide-band stream, played by a SoapySDR device of
// this test's own, registered with the library and found by its enumeration as a user's
// device, with hardware time, a timeout and an overflow (samples dropped) on the way:
// each band's beacon is heard and measured as on audio, and a band that carries nothing
// hears nothing although its neighbours are loud.
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
