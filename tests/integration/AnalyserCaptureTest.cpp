// Automatic logging through the real sound path: a keyed 800 Hz tone is played into
// the PulseAudio null sink and captured back from its monitor by the analyser, while
// a simulated clock follows the captured audio's position. Skips without audio devices.
#include <gtest/gtest.h>

#include <QAudioSink>
#include <QBuffer>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMediaDevices>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include "app/PrimaryFixture.h"
#include "audio/AnalyserTestSupport.h"
#include "audio/QtAudioCapture.h"
#include "audio/frmAnalyser.h"
#include "support/ScriptedDialogs.h"
#include "support/WaitFor.h"

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

// A sound input that disappears in the middle of capture (a USB receiver pulled out):
// the test makes its own input on the sound server, captures from it, removes it, and
// expects capture to stop with a message and the analyser back in Stopped.
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

  ASSERT_TRUE(unload());
  EXPECT_TRUE(test::waitFor([&] { return w.mode() == AnalyserMode::Stopped; }, 8000));
  EXPECT_FALSE(d.AnalyserRunning);
  EXPECT_EQ(w.lblAnalyser->text(), "Stopped");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("Logging has stopped"), std::string::npos)
      << dialogs.messages[0].text;
}

}  // namespace
}  // namespace harkola
