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

// The clip's samples scaled to 16 bits.
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

struct Span {
  long first = -1;
  long last = -1;
  double seconds() const { return first < 0 ? 0.0 : double(last - first + 1) / kRate; }
};

template <class V>
Span loudSpan(const V& s) {
  Span sp;
  for (long i = 0; i < long(s.size()); ++i)
    if (std::abs(int(s[std::size_t(i)])) > kLoud) {
      if (sp.first < 0) sp.first = i;
      sp.last = i;
    }
  return sp;
}

struct Match {
  double correlation = 0;
  long lag = 0;  // recording sample where the clip's first sample lies
};

double correlationAt(const std::vector<std::int16_t>& rec, const std::vector<int>& clip, long lag) {
  double xy = 0, xx = 0, yy = 0;
  for (std::size_t i = 0; i < clip.size(); ++i) {
    const long j = lag + long(i);
    if (j < 0 || j >= long(rec.size())) continue;
    const double x = rec[std::size_t(j)];
    xy += x * clip[i];
    xx += x * x;
    yy += double(clip[i]) * clip[i];
  }
  return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
}

// Where in `rec` the clip fits best (normalised correlation, coarse then fine search).
Match bestMatch(const std::vector<std::int16_t>& rec, const std::vector<int>& clip) {
  Match best;
  const long last = long(rec.size()) - long(clip.size()) / 2;
  for (long lag = -long(clip.size()) / 2; lag < last; lag += 8) {
    const double c = correlationAt(rec, clip, lag);
    if (c > best.correlation) best = {c, lag};
  }
  const long coarse = best.lag;
  for (long lag = coarse - 8; lag <= coarse + 8; ++lag) {
    const double c = correlationAt(rec, clip, lag);
    if (c > best.correlation) best = {c, lag};
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
    bytes.clear();
  }
  void TearDown() override {
    if (source) source->stop();
  }

  std::vector<std::int16_t> recorded() {
    bytes += io->readAll();
    const auto* p = reinterpret_cast<const std::int16_t*>(bytes.constData());
    return std::vector<std::int16_t>(p, p + bytes.size() / 2);
  }

  std::unique_ptr<QAudioSource> source;
  QIODevice* io = nullptr;
  QByteArray bytes;
  ResfileSoundModule player;
};

TEST_F(VoicePlayback, ANewClipCutsOffThePlayingOne) {
  const std::vector<int> first = clipSamples(1);
  const std::vector<int> second = clipSamples(2);
  player.PlayVoiceClip(1);
  waitMs(500);
  player.PlayVoiceClip(2);
  waitMs(3000);
  const auto rec = recorded();
  const Span heard = loudSpan(rec);
  ASSERT_GE(heard.first, 0) << "nothing arrived";
  // Clip 2 arrives whole, to its last sound, about half a second after clip 1 began, and nothing of clip 1
  // follows it: played one after the other they would last well over 3.5 s.
  const Match m2 = bestMatch(rec, second);
  EXPECT_GT(m2.correlation, 0.9);
  EXPECT_NEAR(double(heard.last - m2.lag) / kRate, double(loudSpan(second).last) / kRate, 0.05);
  const long firstStart = heard.first - loudSpan(first).first;
  const double gap = double(m2.lag - firstStart) / kRate;
  EXPECT_GT(gap, 0.3);
  EXPECT_LT(gap, 0.7);
  EXPECT_LT(bestMatch(rec, first).correlation, 0.8);  // only its start was heard
  EXPECT_LT(heard.seconds(), gap + loudSpan(second).seconds() + 0.3);
}

TEST_F(VoicePlayback, StopSilencesAtOnce) {
  player.PlayVoiceClip(4);
  waitMs(400);
  player.StopVoice();
  waitMs(2500);
  const Span heard = loudSpan(recorded());
  ASSERT_GE(heard.first, 0) << "nothing arrived";
  EXPECT_LT(heard.seconds(), 0.4 + 0.3);
  EXPECT_LT(heard.seconds(), loudSpan(clipSamples(4)).seconds() - 0.5);
}

}  // namespace
}  // namespace harkola
