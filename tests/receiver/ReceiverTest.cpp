// The receiver's core. Band channels out of I/Q streams: each band's beacon frequency
// becomes an 800 Hz tone in that band's audio and nowhere else, the lower sideband stays
// out, and the audio's times match the input's, through gaps and a sample clock that runs
// fast. Then the block clock, I/Q files and a SoapySDR device.
#include <gtest/gtest.h>

#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>
#include <SoapySDR/Registry.hpp>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <tuple>

#include "PlayerDevice.h"
#include "TempFolder.h"
#include "WideIq.h"
#include "clock/BeaconSchedule.h"
#include "clock/SlotLog.h"
#include "common/Bands.h"
#include "receiver/BandReceiver.h"
#include "receiver/BlockClock.h"
#include "receiver/FiveBandDetector.h"
#include "receiver/IqFile.h"
#include "receiver/IqReplay.h"
#include "receiver/SoapySource.h"
#include "support/BeaconAudio.h"
#include "support/WavImage.h"

namespace harkola {
namespace {

using Seconds = std::chrono::duration<double>;
const SysTime kT0 = std::chrono::system_clock::from_time_t(1800000000);
SysTime at(double s) { return kT0 + std::chrono::duration_cast<SysTime::duration>(Seconds(s)); }
double secondsOf(SysTime t) { return Seconds(t - kT0).count(); }

struct Carrier {
  double hz;         // absolute frequency
  double amplitude;  // full scale 1
  double onAtS = 0;  // keyed on from this time of the stream
};

// A stream of carriers in weak white noise, made block by block.
class Stream {
 public:
  Stream(double rate, double centre, std::vector<Carrier> carriers, double noise = 1e-4)
      : m_rate(rate), m_centre(centre), m_carriers(std::move(carriers)), m_noise(noise) {
    // A receiver's stream holds only what lies within its rate.
    std::erase_if(m_carriers, [&](const Carrier& c) { return std::abs(c.hz - centre) > 0.45 * rate; });
    for (const Carrier& c : m_carriers) {
      m_step.push_back(std::polar(1.0, 2 * M_PI * (c.hz - centre) / rate));
      m_phase.push_back(1.0);
    }
  }
  // The next `n` samples; their block says they were taken at `time` (default: exactly).
  IqBlock next(std::size_t n, std::optional<SysTime> time = std::nullopt) {
    IqBlock b;
    b.rate = m_rate;
    b.centreHz = m_centre;
    b.index = m_index;
    b.time = time.value_or(at(static_cast<double>(m_index) / m_rate));
    b.samples.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      const double t = static_cast<double>(m_index + static_cast<long long>(i)) / m_rate;
      std::complex<double> v = {m_noise * uniform(), m_noise * uniform()};
      for (std::size_t c = 0; c < m_carriers.size(); ++c) {
        if (t >= m_carriers[c].onAtS) v += m_carriers[c].amplitude * m_phase[c];
        m_phase[c] *= m_step[c];
      }
      b.samples[i] = IqSample(static_cast<float>(v.real()), static_cast<float>(v.imag()));
    }
    for (auto& p : m_phase) p /= std::abs(p);
    m_index += static_cast<long long>(n);
    return b;
  }

 private:
  double uniform() {
    m_seed = m_seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(m_seed >> 11) / 9007199254740992.0 * 3.464 - 1.732;  // rms 1
  }
  double m_rate, m_centre;
  std::vector<Carrier> m_carriers;
  double m_noise;
  std::vector<std::complex<double>> m_step, m_phase;
  long long m_index = 0;
  std::uint64_t m_seed = 1;
};

struct Recorder : BandAudioSink {
  std::map<int, std::vector<std::int16_t>> audio;
  std::map<int, std::vector<std::pair<std::size_t, SysTime>>> ends;  // audio size and its end time
  void onAudio(int band, const std::int16_t* s, std::size_t n, SysTime end) override {
    auto& a = audio[band];
    a.insert(a.end(), s, s + n);
    ends[band].push_back({a.size(), end});
  }
  // The instant of audio sample i of a band.
  double timeOf(int band, std::size_t i) const {
    for (const auto& [size, end] : ends.at(band))
      if (size > i) return secondsOf(end) - static_cast<double>(size - i) / 11025.0;
    return -1;
  }
};

// |sum of a[i] e^(-j w i)|^2 at `hz` over samples [from, to) (Goertzel).
double powerAt(const std::vector<std::int16_t>& a, std::size_t from, std::size_t to, double hz) {
  std::complex<double> acc = 0;
  for (std::size_t i = from; i < to; ++i)
    acc += static_cast<double>(a[i]) * std::polar(1.0, -2 * M_PI * hz / 11025.0 * static_cast<double>(i));
  return std::norm(acc);
}

// Power of the audio at `hz` over samples [from, to), relative to their mean power.
double toneShare(const std::vector<std::int16_t>& a, std::size_t from, std::size_t to, double hz) {
  double total = 0;
  for (std::size_t i = from; i < to; ++i) total += static_cast<double>(a[i]) * a[i];
  return 2 * powerAt(a, from, to, hz) / (static_cast<double>(to - from) * total);
}

void run(BandReceiver& rx, Stream& s, double seconds, Recorder& rec, std::size_t block) {
  const auto blocks = static_cast<long>(seconds * s.next(0).rate / static_cast<double>(block));
  for (long k = 0; k < blocks; ++k) rx.push(s.next(block), rec);
}

// Band b's carrier sits 20*b Hz above its beacon frequency: each band's audio holds its
// own tone at 800 + 20*b Hz, not another band's.
TEST(BandReceiver, EachBandOfAStreamHearsItsOwnCarrier) {
  const struct {
    const char* name;
    double rate, centre;
    std::vector<int> bands;  // expected to be served
  } rows[] = {{"wideband_20MSps", 20e6, suggestedCentre(20e6), {0, 1, 2, 3, 4}},
              {"rtl_2400kSps_on_14MHz", 2.4e6, 14.2e6, {0}},
              {"rtl_2400kSps_24_and_nothing_else", 2.4e6, 25.0e6, {3}},
              {"narrow_12kHz_on_28MHz", 12000, 28.2e6, {4}},
              {"narrow_16kHz_off_centre", 16000, 14.1e6 - 3650, {0}}};
  std::vector<Carrier> carriers;
  for (const BandInfo& b : kBands) carriers.push_back({static_cast<double>(b.hz) + 20.0 * b.index, 0.01});
  for (const auto& c : rows) {
    SCOPED_TRACE(c.name);
    Stream s(c.rate, c.centre, carriers);
    BandReceiver rx({0, 1, 2, 3, 4});
    Recorder rec;
    run(rx, s, 1.5, rec, c.rate >= kWideRate ? 65536 : 512);
    EXPECT_EQ(rx.bands(), c.bands);
    for (int b : c.bands) {
      const auto& a = rec.audio[b];
      ASSERT_GT(a.size(), 11025u) << "band " << b;
      for (int other = 0; other < kBandCount; ++other) {
        const double share = toneShare(a, 5000, 16025, 800.0 + 20 * other);
        if (other == b) EXPECT_GT(share, 0.9) << "band " << b;
        else EXPECT_LT(share, 1e-4) << "band " << b << " hears band " << other;
      }
    }
  }
}

// (At 20 MS/s the suggested centre serves all five bands: the first table's first row.)
TEST(BandReceiver, SuggestedCentresCoverWhatTheRateAllows) {
  EXPECT_GT(std::abs(suggestedCentre(20e6) - 21.15e6), 20e3);  // not on 21.150's carrier
  EXPECT_EQ(bandsCovered(10e6, suggestedCentre(10e6)).size(), 3u);  // 18.110..24.930
  EXPECT_EQ(bandsCovered(2.4e6, suggestedCentre(2.4e6)).size(), 1u);
}

// A carrier 1600 Hz below the beacon frequency would beat to 800 Hz in the other
// sideband: the channel keeps it out by more than 70 dB (fixed gain, so the runs
// compare directly). A carrier keyed on at 2.000 s of the stream reaches half its
// amplitude in the audio at 2.000 s on the audio's own clock (the filters' delays are
// taken off), within 1 ms.
TEST(BandChannel, KeepsTheLowerSidebandOutAndTheKeyingOnTime) {
  const struct {
    const char* name;
    double rate, centre;
  } rows[] = {{"wide_20MSps", 20e6, 21.5e6},
              {"wide_2400kSps", 2.4e6, 14.5e6},
              {"narrow_16kHz_off_centre", 16000, 14.1e6 - 3650}};
  for (const auto& c : rows) {
    SCOPED_TRACE(c.name);
    auto play = [&](Carrier carrier, double noise, double seconds) {
      Stream s(c.rate, c.centre, {carrier}, noise);
      BandReceiver rx({0});
      rx.setFixedGain(1e6);
      Recorder rec;
      run(rx, s, seconds, rec, c.rate >= kWideRate ? 50000 : 333);
      return rec;
    };
    auto at800 = [&](double offset) {
      const auto a = play({14.1e6 + offset, 0.01}, 1e-7, 1.2).audio[0];
      return powerAt(a, 4000, a.size(), 800.0);
    };
    EXPECT_LT(10 * std::log10(at800(-1600.0) / at800(0.0)), -70.0);

    const Recorder rec = play({14.1e6, 0.01, 2.0}, 1e-6, 3.0);
    const auto& a = rec.audio.at(0);
    // Steady amplitude over the last half second, then the first sample past half of it.
    int peak = 0;
    for (std::size_t i = a.size() - 5000; i < a.size(); ++i)
      peak = std::max(peak, std::abs(static_cast<int>(a[i])));
    std::size_t first = 0;
    while (first < a.size() && std::abs(static_cast<int>(a[first])) < peak / 2) ++first;
    ASSERT_LT(first, a.size());
    EXPECT_NEAR(rec.timeOf(0, first), 2.0, 0.001);
  }
}

// Half a second of samples lost between two blocks (their times say so): the audio gets
// half a second of silence, so its sample count stays on the clock.
TEST(BandChannel, GapIsFilledWithSilence) {
  Stream s(12000, 14.1e6, {{14.1e6, 0.01}});
  BandReceiver rx({0});
  Recorder rec;
  for (int k = 0; k < 20; ++k) rx.push(s.next(600), rec);
  const std::size_t before = rec.audio[0].size();
  rx.push(s.next(600, at(1.0 + 0.5)), rec);  // the block after 1.0 s of samples, 0.5 s late
  for (int k = 0; k < 20; ++k) {
    IqBlock b = s.next(600);
    b.time = at(static_cast<double>(b.index) / 12000 + 0.5);
    rx.push(b, rec);
  }
  EXPECT_EQ(rx.channel(0)->gapsFilled(), 1);
  EXPECT_NEAR(static_cast<double>(rec.audio[0].size() - before), 1.55 * 11025, 20);
  EXPECT_NEAR(secondsOf(rec.ends[0].back().second), 2.05 + 0.5 - (32.0 / 12000 + 63.0 / 11025), 0.001);
}

// A device whose clock runs 300 ppm fast (the block times come from its clock model):
// over five minutes the audio's count keeps to the block times within 2 ms.
TEST(BandChannel, FastSampleClockKeepsTheAudioOnTime) {
  const double nominal = 12000, actual = nominal * 1.0003;
  Stream s(nominal, 14.1e6, {{14.1e6, 0.01}});
  BandReceiver rx({0});
  Recorder rec;
  double worst = 0;
  for (int k = 0; k < 5 * 60 * 20; ++k) {
    IqBlock b = s.next(600);
    b.time = at(static_cast<double>(b.index) / actual);
    rx.push(b, rec);
    // The audio covers the input up to this block's end, less the filters' delay.
    const double due = static_cast<double>(b.index + 600) / actual - (32.0 / nominal + 63.0 / 11025);
    if (k > 200) worst = std::max(worst, std::abs(secondsOf(rec.ends[0].back().second) - due));
  }
  EXPECT_LT(worst, 0.002);
  EXPECT_EQ(rx.channel(0)->gapsFilled(), 0);
}

// The time of live samples: a sample clock that runs fast or slow and blocks that
// arrive late by a scattered delay still land on the system clock's grid.

// A source delivering 1/20 s blocks at 2.4 MS/s whose clock is `ppm` off; arrivals are
// late by 30 ms plus the scatter. After the first minute the stamped time of every
// block stays within 20 ms of its true time plus the 30 ms floor, all day.
TEST(BlockClock, StaysOnTheGrid) {
  // ppm: the device's sample clock error; jitterMeanS: mean of the exponential extra delay
  // of each block; stallShare: share of blocks held back 0.3 s more (a busy machine).
  const struct {
    const char* name;
    double ppm, jitterMeanS, stallShare, hours;
  } rows[] = {{"exact_usb", 0, 0.002, 0, 24},
              {"fast_100ppm_usb", 100, 0.002, 0, 24},
              {"slow_100ppm_network", -100, 0.020, 0.001, 24},
              {"fast_400ppm_busy", 400, 0.010, 0.01, 6}};
  for (const auto& c : rows) {
    SCOPED_TRACE(c.name);
    const double rate = 2.4e6, trueRate = rate * (1 + c.ppm * 1e-6);
    const std::size_t count = 120000;
    BlockClock clock(rate);
    std::mt19937 rng(7);
    std::exponential_distribution<double> late(1.0 / c.jitterMeanS);
    std::uniform_real_distribution<double> u(0, 1);
    double worst = 0, lastArrival = 0;
    long long index = 0;
    const long blocks = static_cast<long>(c.hours * 3600 * 20);
    for (long k = 0; k < blocks; ++k, index += static_cast<long long>(count)) {
      const double start = index / trueRate, end = (index + static_cast<double>(count)) / trueRate;
      double arrival = end + 0.030 + late(rng) + (u(rng) < c.stallShare ? 0.3 : 0.0);
      arrival = std::max(arrival, lastArrival);  // blocks come in order
      lastArrival = arrival;
      const SysTime stamped = clock.place(index, count, at(arrival));
      if (start > 60) worst = std::max(worst, std::abs(secondsOf(stamped) - (start + 0.030)));
    }
    EXPECT_LT(worst, 0.020) << "worst error " << worst * 1000 << " ms";
    EXPECT_NEAR((clock.rateRatio() - 1) * 1e6, c.ppm, 10.0);
  }
}

TEST(BlockClock, KnownGapKeepsTimeAndUnknownLossStartsAfresh) {
  const double rate = 48000;
  BlockClock clock(rate);
  for (int k = 0; k < 200; ++k) clock.place(k * 4800LL, 4800, at((k + 1) * 0.1));
  // Hardware time says 1 s of samples were dropped: the positions after it keep their
  // place on the clock.
  const SysTime afterGap = clock.place(200 * 4800LL + 48000, 4800, at(21.1));
  EXPECT_NEAR(secondsOf(afterGap), 21.0, 0.002);
  // Samples lost uncounted: the next block is placed by its arrival alone.
  clock.restart();
  const SysTime fresh = clock.place(0, 4800, at(100.1));
  EXPECT_NEAR(secondsOf(fresh), 100.0, 0.002);
}

// I/Q sources: recordings (sample formats, WAV headers, SigMF descriptions, what is
// refused, the real 14.100 MHz recording through the five-band pipeline) and a SoapySDR
// device of the test's own.
using test::le16;
using test::le32;
using test::wavImage;

std::string auxi(int year, int month, int day, int hour, int minute, int second, std::uint32_t centre) {
  std::string t = le16(year) + le16(month) + le16(0) + le16(day) + le16(hour) + le16(minute) + le16(second) + le16(0);
  std::string a = t + t + le32(centre) + std::string(28, '\0');
  return "auxi" + le32(static_cast<std::uint32_t>(a.size())) + a;
}

// A file source, what the command line gives it, and its last refusal.
class IqFile : public ::testing::Test {
 protected:
  bool openBytes(const std::string& bytes) {
    return src.open(std::make_unique<std::istringstream>(bytes), bytes.size(), given, error);
  }
  IqFileSource src;
  IqFileInfo given;
  std::string error;
};

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

TEST_F(IqFile, WavHeaderGivesFormatRateAndTheRecordersCentreAndStart) {
  const std::string data = le16(1000) + le16(-1000) + le16(2000) + le16(-2000) + "x";  // and a torn sample
  ASSERT_TRUE(openBytes(wavImage(1, 2, 48000, 16, data, auxi(2024, 3, 1, 12, 0, 5, 14100000)))) << error;
  EXPECT_EQ(std::tuple(src.rate(), src.centreHz(), src.sampleCount(), isoUtc(src.start())),
            std::tuple(48000, 14100000, 2u, "2024-03-01T12:00:05Z"));
  IqBlock b;
  ASSERT_EQ(src.read(b), ReadStatus::Block);
  ASSERT_EQ(b.samples.size(), 2u);
  EXPECT_NEAR(b.samples[1].real(), 2000 / 32768.0, 1e-6);
  EXPECT_EQ(src.read(b), ReadStatus::End);

  // The command line wins over the header's centre.
  given.centreHz = 18.1e6;
  ASSERT_TRUE(openBytes(wavImage(3, 2, 2400000, 32, std::string(16, '\0')))) << error;
  EXPECT_EQ(std::pair(src.format(), src.centreHz()), std::pair(IqFormat::CF32, 18.1e6));
  // A data chunk cut short is read as far as it goes, with a warning.
  ASSERT_TRUE(openBytes(wavImage(1, 2, 48000, 16, std::string(8, '\0'), "", 4000)));
  EXPECT_EQ(src.sampleCount(), 2u);
  EXPECT_NE(src.warning().find("8 of 4000 bytes"), std::string::npos);
}

TEST_F(IqFile, BadWavFilesAreRefusedWithAReason) {
  const std::pair<std::string, const char*> rows[] = {
      {wavImage(1, 1, 48000, 16, "abcd"), "1 channel(s)"},
      {wavImage(1, 2, 48000, 24, "abcdef"), "24-bit"},
      {wavImage(1, 2, 0, 16, "abcd"), "sample rate 0"},
      {"RIFX....WAVE", "not a WAV"},
      {wavImage(1, 2, 48000, 16, "", "LIST" + le32(1000000)), "longer than the file"},
      {wavImage(1, 2, 48000, 16, "").substr(0, 36), "no audio data"}};
  given.centreHz = 14.1e6;
  for (const auto& [bytes, words] : rows) {
    EXPECT_FALSE(openBytes(bytes)) << words;
    EXPECT_NE(error.find(words), std::string::npos) << error;
  }
}

TEST_F(IqFile, RawRecordingNeedsRateAndCentreAndTimesItsBlocks) {
  const std::string bytes(4 * 1000, '\0');
  given.format = IqFormat::CS16;
  given.centreHz = 14.1e6;
  EXPECT_FALSE(openBytes(bytes));
  EXPECT_NE(error.find("--rate"), std::string::npos);
  given.rate = 16000;
  given.start = std::chrono::system_clock::from_time_t(1509148800);
  src.setBlockSamples(300);
  ASSERT_TRUE(openBytes(bytes)) << error;
  IqBlock b;
  long long n = 0;
  while (src.read(b) == ReadStatus::Block) {
    EXPECT_EQ(b.index, n);
    EXPECT_EQ(b.time - *given.start, std::chrono::microseconds(n * 1000000 / 16000));
    n += static_cast<long long>(b.samples.size());
  }
  EXPECT_EQ(n, 1000);
}

TEST_F(IqFile, SigMFDescriptionBesideTheData) {
  test::TempFolder dir("harkola-iq");
  std::ofstream(dir / "rec.sigmf-data", std::ios::binary) << std::string(2 * 500, '\x80');
  std::ofstream(dir / "rec.sigmf-meta")
      << R"({"global":{"core:datatype":"cu8","core:sample_rate":2400000,"core:version":"1.0.0"},)"
         R"("captures":[{"core:sample_start":0,"core:frequency":24.9e6,"core:datetime":"2024-05-01T10:00:00.250Z"}]})";
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
TEST_F(IqFile, RealRecordingSlotsAreAnalysedAndNotHeard) {
  const char* env = std::getenv("HARKOLA_REAL_AUDIO");
  const std::filesystem::path folder =
      env ? std::filesystem::path(env) : std::filesystem::path(HARKOLA_SOURCE_DIR) / ".." / "shared" / "real-audio";
  const auto file = folder / "iq-14100kHz-16k-2017-10-28.raw";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no real recordings at " << folder.string();
  given.format = IqFormat::CS16;
  given.rate = 16000;
  given.centreHz = 14100000 - 3650;
  SysTime start;
  ASSERT_TRUE(parseUtcText("2017-10-27 23:59:58.950", start));
  given.start = start;
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
    EXPECT_NEAR(m.offsetMs, scene.startS * 1000, 20.0);  // on the grid after the gap
  }
}

}  // namespace
}  // namespace harkola
