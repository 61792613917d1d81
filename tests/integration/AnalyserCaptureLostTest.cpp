// A sound input that disappears in the middle of capture (a USB receiver pulled out):
// the test makes its own input on the sound server, captures from it, removes it, and
// expects capture to stop with a message and the analyser back in Stopped.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QMediaDevices>
#include <QProcess>

#include "audio/QtAudioCapture.h"
#include "audio/frmAnalyser.h"
#include "support/ScriptedDialogs.h"
#include "support/WaitFor.h"

namespace harkola {
namespace {

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
