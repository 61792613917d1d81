// The real sound path, through the PulseAudio null sink that tests/run-tests.sh sets up;
// each test skips without audio devices. Automatic logging: a keyed 800 Hz tone is played
// into the sink and captured back from its monitor by the analyser, while a simulated
// clock follows the captured audio's position.
#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMediaDevices>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "app/PrimaryFixture.h"
#include "audio/AnalyserTestSupport.h"
#include "audio/QtAudioCapture.h"
#include "audio/frmAnalyser.h"
#include "support/ScriptedDialogs.h"
#include "support/WaitFor.h"
#include "voice/ResfileSoundModule.h"
#include "voice/WaveImage.h"

namespace harkola {
namespace {

class AnalyserCapture : public test::PrimaryFixture {
 protected:
  ~AnalyserCapture() override { win.reset(); }  // the window goes before the inputs it borrows
  SoundCardInputs cards;
};

TEST_F(AnalyserCapture, ToneThroughTheSoundServerIsLoggedOncePerHeardSlot) {
  if (QMediaDevices::audioInputs().isEmpty() || QMediaDevices::audioOutputs().isEmpty())
    GTEST_SKIP() << "no sound server with an input and an output";
  if (cards.inputs().empty()) GTEST_SKIP() << "no input accepts 11025 Hz mono 16-bit";
  adjustServices = [this](PrimaryServices& s) { s.capture = &cards; };
  ASSERT_TRUE(start(LocalTime{2026, 12, 6, 9, 59, 59, 900}));
  win->mnuLogAuto_Click();
  frmAnalyser* a = win->analyserWindow();
  ASSERT_NE(a, nullptr);
  a->StartButton->click();
  ASSERT_NE(a->source(), nullptr);
  ASSERT_TRUE(a->source()->isRunning()) << ::testing::PrintToString(dialogs.texts());

  // 13 s: slot 1 (4U1UN) keyed for 9 s, then the first 3 s of slot 2 (VE8AT) silent.
  std::vector<std::int16_t> audio = test::beaconAudio(13, {0}, 6000.0);
  QByteArray bytes(reinterpret_cast<const char*>(audio.data()),
                   static_cast<qsizetype>(audio.size() * sizeof(std::int16_t)));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QAudioSink sink(QMediaDevices::defaultAudioOutput(), analyserFormat());

  QEventLoop loop;
  bool playing = false;
  long long clockStart = 0;  // capture position (samples) of 09:59:59.900
  long long ticks = 0;
  QObject::connect(a->source(), &CaptureSource::blockReady, &loop, [&] {
    CaptureSource* src = a->source();
    if (!src) return;
    if (!playing) {
      // Capture is flowing: play now, and start the clock at this position.
      playing = true;
      clockStart = src->samplesDelivered();
      sink.start(&buffer);
      return;
    }
    // Ticks after the block they follow, as the analysis comes first.
    while ((ticks + 1) * 100 * kSampleRate / 1000 <= src->samplesDelivered() - clockStart) {
      ++ticks;
      time.advanceMs(100);
      win->onTick();
    }
    if (ticks >= 131) loop.quit();  // 10:00:13.000
  });
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  loop.exec();
  sink.stop();
  ASSERT_GE(ticks, 131) << "capture stalled within 30 s";

  const std::string log = heardLog();
  EXPECT_EQ(log.rfind("\"06-Dec-26\",\"10\",\"14\",\"4U1UN\",\"", 0), 0u) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
}

// A sound input that disappears in the middle of capture (a USB receiver pulled out):
// the test makes its own input on the sound server, captures from it, removes it, and
// expects capture to stop with a message, the analyser back in Stopped and able to start
// again on another input.
QString pactl(const QStringList& args, bool* ok) {
  QProcess p;
  p.start("pactl", args);
  *ok = p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

TEST(AnalyserCaptureLost, AnInputThatVanishesStopsCaptureWithAMessage) {
  if (QMediaDevices::audioInputs().isEmpty()) GTEST_SKIP() << "no sound server";
  const QString name = QString("harkola_unplug_%1").arg(::getpid());
  bool ok = false;
  const QString module = pactl({"load-module", "module-remap-source",
                                "master=test_sink.monitor", "source_name=" + name}, &ok);
  if (!ok) GTEST_SKIP() << "cannot add an input to the sound server";
  auto unload = [&] {
    bool done = false;
    pactl({"unload-module", module}, &done);
    return done;
  };

  SoundCardInputs cards;
  const auto listed = [&] {
    const auto list = cards.inputs();
    return std::any_of(list.begin(), list.end(), [&](const auto& input) { return input.id == name.toUtf8(); });
  };
  if (!test::waitFor(listed, 3000)) {
    unload();
    GTEST_SKIP() << "the new input did not show up";
  }

  test::ScriptedDialogs dialogs;
  PublicDecs d;
  frmAnalyser w(d, cards);
  ASSERT_TRUE(w.load());
  w.cboInput->setCurrentIndex(w.cboInput->findData(name.toUtf8()));
  w.StartButton_Click();
  ASSERT_TRUE(d.AnalyserRunning) << ::testing::PrintToString(dialogs.texts());
  ASSERT_TRUE(test::waitFor([&] { return w.source() && w.source()->samplesDelivered() > 0; }, 5000));

  d.MorseHits = 42;  // the slot's counts stay for the clock's decision
  ASSERT_TRUE(unload());
  EXPECT_TRUE(test::waitFor([&] { return w.mode() == AnalyserMode::Stopped; }, 8000));
  EXPECT_TRUE(!d.AnalyserRunning && d.MorseHits == 42);
  EXPECT_TRUE(w.StartButton->isEnabled() && !w.StopButton->isEnabled());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  const std::string& text = dialogs.messages[0].text;
  EXPECT_TRUE(text.find("Logging has stopped; records already written are kept") != text.npos) << text;
  // The input chosen again, logging starts again.
  ASSERT_TRUE(w.load());
  w.StartButton_Click();
  EXPECT_TRUE(d.AnalyserRunning && w.lblAnalyser->text() == "Logging") << testing::PrintToString(dialogs.texts());
  w.StopButton_Click();
}

// Plays clips through the program's player into the default sound output and records
// what arrives at the default input. Meant for a PulseAudio null sink whose monitor is
// the default source (tests/run-tests.sh sets that up); skipped without audio devices.
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
    capture = std::make_unique<QtAudioCapture>(QMediaDevices::defaultAudioInput());
    QObject::connect(capture.get(), &CaptureSource::blockReady, [this](const SampleBlock& b) {
      arrived.insert(arrived.end(), b.begin(), b.begin() + kBlockSamples);
    });
    QString error;
    ASSERT_TRUE(capture->start(error)) << error.toStdString();
    // The first capture after start can lose audio: wait until data flows.
    if (!test::waitFor([this] { return !arrived.empty(); }, 3000))
      GTEST_SKIP() << "the input delivers no audio";
    waitMs(200);
  }
  // What arrived since the last call.
  std::vector<std::int16_t> recorded() { return std::exchange(arrived, {}); }

  std::unique_ptr<QtAudioCapture> capture;  // the analyser's own capture
  std::vector<std::int16_t> arrived;
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
  const auto [lag, correlation] =
      bestMatch(rec, second, firstStart + kSampleRate / 5, firstStart + kSampleRate);
  EXPECT_GT(correlation, 0.9);
  const double gap = double(lag - firstStart) / kSampleRate;
  EXPECT_GT(gap, 0.3);
  EXPECT_LT(gap, 0.7);
  EXPECT_NEAR(double(heardLast - lag) / kSampleRate, double(loudSpan(second).second) / kSampleRate, 0.05);
  EXPECT_LT(bestMatch(rec, first, firstStart - 200, firstStart + 200).second, 0.8);  // only its start was heard
}

}  // namespace
}  // namespace harkola
