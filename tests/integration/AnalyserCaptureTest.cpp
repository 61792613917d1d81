// Automatic logging through the real sound path: a keyed 800 Hz tone is played into
// the PulseAudio null sink and captured back from its monitor by the analyser, while
// a simulated clock follows the captured audio's position. Skips without audio devices.
#include <gtest/gtest.h>

#include <QAudioSink>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMediaDevices>
#include <QPushButton>
#include <QTimer>

#include "audio/AnalyserTestSupport.h"
#include "audio/QtAudioCapture.h"
#include "audio/frmAnalyser.h"
#include "app/PrimaryFixture.h"

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
  QElapsedTimer waited;
  waited.start();
  loop.exec();
  sink.stop();
  ASSERT_GE(ticks, 131) << "capture stalled after " << waited.elapsed() << " ms";

  const std::string log = heardLog();
  EXPECT_EQ(log.rfind("\"06-Dec-26\",\"10\",\"14\",\"4U1UN\",\"", 0), 0u) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;

  a->close();
  EXPECT_FALSE(d.AnalyserRunning);
}

}  // namespace
}  // namespace harkola
