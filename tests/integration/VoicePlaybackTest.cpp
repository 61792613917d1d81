// Plays clips through the program's player into the default sound output and records
// what arrives at the default input. Meant for a PulseAudio null sink whose monitor is
// the default source (tests/run-tests.sh sets that up); skipped without audio devices.

#include <QAudioDevice>
#include <QAudioSource>
#include <QEventLoop>
#include <QFile>
#include <QMediaDevices>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "voice/ResfileSoundModule.h"
#include "voice/WaveImage.h"

namespace harkola {
namespace {

constexpr int kRate = 11025;
constexpr int kLoud = 2000;  // 16-bit level counted as sound; the null sink is digital zero

void waitMs(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// The clip's 8-bit samples scaled to 16 bits.
std::vector<int> clipSamples(int number) {
  QFile f(ResfileSoundModule::clipPath(number));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray b = f.readAll();
  const auto* p = reinterpret_cast<const std::uint8_t*>(b.constData());
  const WaveInfo w = readWaveInfo(std::span(p, std::size_t(b.size())));
  std::vector<int> s;
  for (std::size_t i = 0; i < w.dataBytes; ++i) s.push_back((int(p[w.dataOffset + i]) - 128) * 256);
  return s;
}

// First and last sample index above kLoud; first < 0 when all is quiet.
template <class V>
std::pair<long, long> loudSpan(const V& s) {
  long first = -1, last = -1;
  for (long i = 0; i < long(s.size()); ++i)
    if (std::abs(int(s[std::size_t(i)])) > kLoud) {
      if (first < 0) first = i;
      last = i;
    }
  return {first, last};
}

// The lag in [from, to] where the clip laid into the recording fits best, and its
// normalised correlation.
std::pair<long, double> bestMatch(const std::vector<std::int16_t>& rec, const std::vector<int>& clip, long from,
                                  long to) {
  std::pair<long, double> best{from, 0.0};
  for (long lag = from; lag <= to; ++lag) {
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t i = 0; i < clip.size() && lag + long(i) < long(rec.size()); ++i) {
      if (lag + long(i) < 0) continue;
      const double x = rec[std::size_t(lag + long(i))];
      xy += x * clip[i];
      xx += x * x;
      yy += double(clip[i]) * clip[i];
    }
    if (const double c = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0; c > best.second) best = {lag, c};
  }
  return best;
}

class VoicePlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QMediaDevices::audioInputs().isEmpty() || QMediaDevices::audioOutputs().isEmpty())
      GTEST_SKIP() << "no audio devices";
    QAudioFormat f;
    f.setSampleRate(kRate);
    f.setChannelCount(1);
    f.setSampleFormat(QAudioFormat::Int16);
    source = std::make_unique<QAudioSource>(QMediaDevices::defaultAudioInput(), f);
    io = source->start();
    ASSERT_TRUE(io);
    QObject::connect(io, &QIODevice::readyRead, [this] { bytes += io->readAll(); });
    // The first capture after start can lose audio: wait until data flows.
    for (int i = 0; i < 60 && bytes.isEmpty(); ++i) waitMs(50);
    if (bytes.isEmpty()) GTEST_SKIP() << "the input delivers no audio";
    waitMs(200);
  }
  void TearDown() override {
    if (source) source->stop();
  }

  // What arrived since the last call.
  std::vector<std::int16_t> recorded() {
    bytes += io->readAll();
    const auto* p = reinterpret_cast<const std::int16_t*>(bytes.constData());
    std::vector<std::int16_t> r(p, p + bytes.size() / 2);
    bytes.clear();
    return r;
  }

  std::unique_ptr<QAudioSource> source;
  QIODevice* io = nullptr;
  QByteArray bytes;
  ResfileSoundModule player;
};

TEST_F(VoicePlayback, ANewClipCutsTheOldOneAndArrivesWhole) {
  recorded();
  const std::vector<int> first = clipSamples(1), second = clipSamples(2);
  player.PlayVoiceClip(1);
  waitMs(500);
  player.PlayVoiceClip(2);
  waitMs(3000);
  const auto rec = recorded();
  const auto [heardFirst, heardLast] = loudSpan(rec);
  ASSERT_GE(heardFirst, 0) << "nothing arrived";
  // Clip 1 began where its own first sound lies before the first sound heard; clip 2 should
  // begin about half a second later and arrive whole, to its last sound, with nothing of
  // clip 1 after it.
  const long firstStart = heardFirst - loudSpan(first).first;
  const auto [lag, correlation] = bestMatch(rec, second, firstStart + kRate / 5, firstStart + kRate);
  EXPECT_GT(correlation, 0.9);
  const double gap = double(lag - firstStart) / kRate;
  EXPECT_GT(gap, 0.3);
  EXPECT_LT(gap, 0.7);
  EXPECT_NEAR(double(heardLast - lag) / kRate, double(loudSpan(second).second) / kRate, 0.05);
  EXPECT_LT(bestMatch(rec, first, firstStart - 200, firstStart + 200).second, 0.8);  // only its start was heard
}

}  // namespace
}  // namespace harkola
