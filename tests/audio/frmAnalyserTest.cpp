// The analyser window driven headless from a recording released block by block, and the
// capture sources that feed it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>

#include <numeric>
#include <vector>

#include "app/PrimaryFixture.h"
#include "audio/AnalyserTestSupport.h"
#include "audio/CaptureSource.h"
#include "audio/ClassicDetector.h"
#include "audio/SoundcardUse.h"
#include "audio/WavFileSource.h"
#include "audio/frmAnalyser.h"
#include "audio/frmAnalyserSetUp.h"
#include "clock/frmGraph.h"
#include "support/ScriptedDialogs.h"
#include "ui/ScreenKeeper.h"

namespace harkola {
namespace {

// A capture source the test feeds by hand, in chunks of any size.
class FakeCaptureSource : public CaptureSource {
 public:
  bool start(QString&) override { return running = true; }
  void stop() override { running = false; }
  bool isRunning() const override { return running; }
  using CaptureSource::feed;
  bool running = false;
};

// A machine without a sound input.
class NoInputs : public CaptureProvider {
  std::vector<CaptureInput> inputs() override { return {}; }
  std::unique_ptr<CaptureSource> create(const QByteArray&) override { return nullptr; }
};

class Analyser : public ::testing::Test {
 protected:
  Analyser() : inputs(test::beaconAudio(12, {0}), "Recording: tone.wav") {
    inputs.realTime = false;
    win = std::make_unique<frmAnalyser>(d, inputs);
    win->raiseMain = [this] { ++raises; };
    win->detector = &detector;
    win->onLogging = [this](AnalyserLogging m) { logging = m; };
  }
  WavFileSource* source() { return inputs.lastCreated; }
  // Pixels of colour `c` in columns x0..x1 of the back buffer (-1: to the right edge).
  int pixels(QRgb c, int x0 = 0, int x1 = -1) const {
    const QImage& img = win->Scope->buffer();
    int n = 0;
    for (int x = x0; x <= (x1 < 0 ? img.width() - 1 : x1); ++x)
      for (int y = 0; y < img.height(); ++y) n += (img.pixel(x, y) & 0xFFFFFF) == (c & 0xFFFFFF);
    return n;
  }
  // The values shown beside the four sliders.
  QString sliderValues() const {
    QStringList v;
    for (const char* name : {"lblNoiseValue", "lblMorseValue", "lblListenValue", "lblSmeterValue"})
      v << win->findChild<QLabel*>(name)->text();
    return v.join(' ');
  }
  int liveLabelsShown() const {
    return !win->lblListen->isHidden() + !win->lblCountDown->isHidden() + !win->lblMorsePeak->isHidden();
  }

  PublicDecs d;
  ClassicDetector detector{d};
  AnalyserLogging logging = AnalyserLogging::Stopped;  // what the buttons last told the clock
  test::ScriptedDialogs dialogs;
  WavFileInputs inputs;
  std::unique_ptr<frmAnalyser> win;
  int raises = 0;
};

// Each load starts stopped with the start values, whatever the sliders were left at.
TEST_F(Analyser, EveryLoadStartsStoppedWithTheDefaultSettingsThenLogs) {
  ASSERT_TRUE(win->load());
  win->sldrNoise->setValue(3);
  win->sldrMorse->setValue(90);
  win->sldrListen->setValue(2);
  win->sldrSmeter->setValue(4);
  EXPECT_EQ(std::tuple(d.NoiseFilter, d.MorseThreshold, d.ListenSeconds, d.SMeterOffset), std::tuple(3, 90, 2, 4));
  EXPECT_EQ(sliderValues(), "3 90 2 s +4");
  win->cmdTestButton_Click();
  win->close();

  ASSERT_TRUE(win->load());
  EXPECT_EQ(std::tuple(d.NoiseFilter, d.MorseThreshold, d.ListenSeconds, d.SMeterOffset), std::tuple(14, 55, 8, 0));
  EXPECT_EQ(sliderValues(), "14 55 8 s 0");
  EXPECT_EQ(win->lblAnalyser->text(), "Stopped");
  EXPECT_EQ(liveLabelsShown(), 0);
  EXPECT_TRUE(!win->StopButton->isEnabled() && win->StartButton->isEnabled() && win->cmdTestButton->isEnabled());
  EXPECT_TRUE(win->lblMorsePeakCaption->isHidden());  // with its number, only while running

  // Logging lets the slot be written, brings the main window up and draws no level line.
  const int raisesBefore = raises;
  win->StartButton_Click();
  EXPECT_EQ(std::tuple(win->lblAnalyser->text(), logging, raises),
            std::tuple("Logging", AnalyserLogging::Logging, raisesBefore + 1));
  source()->deliverBlocks(10);
  EXPECT_EQ(pixels(0), 0);
  win->cmdTestButton_Click();  // disabled outside Stopped: nothing changes
  EXPECT_EQ(win->lblAnalyser->text(), "Logging");
}

// Classic is the default; Sensitive switches the detector and greys out the sliders
// only the classic detector uses (the S-meter calibration stays).
TEST_F(Analyser, DetectorChoiceSwitchesAndDisablesTheClassicSliders) {
  ASSERT_TRUE(win->load());
  auto* classic = win->findChild<QRadioButton*>("optClassic");
  auto* sensitive = win->findChild<QRadioButton*>("optSensitive");
  EXPECT_TRUE(classic->isChecked());
  std::vector<bool> chosen;
  win->onDetectorChosen = [&](bool s) { chosen.push_back(s); };
  sensitive->click();
  for (const char* name : {"sldrNoise", "sldrMorse", "sldrListen"})
    EXPECT_FALSE(win->findChild<QSlider*>(name)->isEnabled()) << name;
  EXPECT_TRUE(win->findChild<QSlider*>("sldrSmeter")->isEnabled());
  win->setSensitiveResult("VK6RBP  -17.5 dB");
  classic->click();
  EXPECT_TRUE(win->findChild<QSlider*>("sldrNoise")->isEnabled());
  EXPECT_TRUE(win->findChild<QLabel*>("lblSensitiveResult")->text().isEmpty());
  EXPECT_EQ(chosen, (std::vector<bool>{true, false}));
}

TEST_F(Analyser, TestModeDrawsTheToneRedWithTheLevelLineAndStopTakesBothAway) {
  ASSERT_TRUE(win->load());
  win->cmdTestButton_Click();
  EXPECT_EQ(win->lblAnalyser->text(), "Test mode - no logging");
  EXPECT_TRUE(logging == AnalyserLogging::Test && d.AnalyserRunning);
  EXPECT_TRUE(win->StopButton->isEnabled() && !win->StartButton->isEnabled() && !win->cmdTestButton->isEnabled());
  EXPECT_EQ(liveLabelsShown(), 3);

  ASSERT_EQ(source()->deliverBlocks(40), 40);
  EXPECT_GT(d.MorseHits, 0);
  EXPECT_EQ(win->lblMorsePeak->text(), QString::number(d.MorseHits));
  EXPECT_GT(pixels(qRgb(255, 0, 0), kSignalFirst, kSignalLast), 0);
  EXPECT_TRUE(pixels(qRgb(255, 255, 0), 20, 20) > 0 && pixels(qRgb(255, 0, 0), 20, 20) == 0);
  EXPECT_EQ(pixels(0), ScopeView::kUnitsWide);  // exactly the level line

  win->StopButton_Click();
  EXPECT_EQ(dialogs.beeps, 1);
  EXPECT_EQ(win->lblAnalyser->text(), "Stopped");
  EXPECT_EQ(liveLabelsShown(), 0);
  EXPECT_EQ(pixels(0), 0);
  EXPECT_TRUE(!d.AnalyserRunning && logging == AnalyserLogging::Stopped);
  EXPECT_EQ(source()->deliverBlocks(5), 0);  // the capture is stopped: nothing more is analysed
}

// An input that will not open leaves the mode on show until STOP (no input at all is
// AutoLogging.WithoutASoundInput...).
TEST_F(Analyser, InputProblemsAreReported) {
  WavFileInputs tooShort(std::vector<std::int16_t>(100), "short");
  frmAnalyser w(d, tooShort);
  ASSERT_TRUE(w.load());
  w.cmdTestButton_Click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text.rfind("Soundcard didn't initialise.", 0), 0u);
  EXPECT_EQ(w.lblAnalyser->text(), "Test mode - no logging");
  EXPECT_TRUE(w.StopButton->isEnabled() && !d.AnalyserRunning);
  w.StopButton_Click();
  EXPECT_EQ(w.lblAnalyser->text(), "Stopped");
}

// The wizard shows one stage more per click; opened low on the screen it keeps its frame
// on the screen as it grows (moved up only), and its texts speak of this system.
TEST_F(Analyser, TheWizardRevealsOneStageAtATimeAndStaysOnTheScreen) {
  ScreenKeeper keeper;
  qApp->installEventFilter(&keeper);
  ASSERT_TRUE(win->load());
  win->show();
  win->cmdSetUp_Click();
  frmAnalyserSetUp* w = win->setUpWindow();
  ASSERT_NE(w, nullptr);
  const QRect screen = w->screen()->availableGeometry();
  w->move(screen.x() + 40, screen.bottom() - 150);
  QString all;
  for (int stage = 1; stage <= 5; ++stage) {
    if (stage > 1) w->Command[stage - 2]->click();
    EXPECT_EQ(w->stagesShown(), stage);
    EXPECT_TRUE(screen.contains(w->frameGeometry())) << "stage " << stage;
    all += w->Label[stage - 1]->text();
  }
  EXPECT_EQ(w->x(), screen.x() + 40);
  EXPECT_TRUE(!all.contains("Windows") && all.contains("pavucontrol"));
  // Stage 1 names the button as the analyser shows it.
  EXPECT_TRUE(w->Label[0]->text().contains("click the \"" + win->cmdTestButton->text() + "\" button"));
  win->cmdSetUp_Click();  // pressed again while it is open part-way: it keeps its stage
  EXPECT_EQ(w->stagesShown(), 5);
  // In test mode with the wizard open, the analyser stays in front.
  win->cmdTestButton_Click();
  EXPECT_EQ(raises, 0);
  w->Command[4]->click();
  EXPECT_FALSE(w->isVisible());
  win->cmdSetUp_Click();
  EXPECT_EQ(w->stagesShown(), 1);
}

// The capture sources: audio arriving in chunks of any size leaves as whole blocks,
// in order, without a sample lost or repeated.
std::vector<std::int16_t> ramp(std::size_t n) {
  std::vector<std::int16_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::int16_t>(i % 30000);
  return v;
}

// Collects what a source emits: fresh halves only, and checks the zero upper halves.
struct Collector {
  explicit Collector(CaptureSource& s) {
    QObject::connect(&s, &CaptureSource::blockReady, [this](const SampleBlock& b) {
      samples.insert(samples.end(), b.begin(), b.begin() + kBlockSamples);
      upperHalvesZero &= std::all_of(b.begin() + kBlockSamples, b.end(), [](auto x) { return x == 0; });
      ++blocks;
    });
  }
  std::vector<std::int16_t> samples;
  bool upperHalvesZero = true;
  int blocks = 0;
};

TEST(Capture, BlocksCarryEverySampleInOrderWhateverTheChunkSize) {
  const auto audio = ramp(10 * kBlockSamples + 100);
  for (std::size_t chunk : {1, 100, 511, 512, 513, 5000}) {
    FakeCaptureSource src;
    QString e;
    src.start(e);
    Collector got(src);
    for (std::size_t pos = 0; pos < audio.size(); pos += chunk)
      src.feed(audio.data() + pos, std::min(chunk, audio.size() - pos));
    EXPECT_EQ(std::tuple(got.blocks, src.samplesDelivered(), got.upperHalvesZero),
              std::tuple(10, 10 * kBlockSamples, true)) << chunk;
    EXPECT_TRUE(std::equal(got.samples.begin(), got.samples.end(), audio.begin())) << chunk;
  }
}

TEST(WavReplay, StopsAtTheEndOrStartsAgainWhenLooping) {
  for (bool loop : {false, true}) {
    WavFileSource src(ramp(3 * kBlockSamples + 200), loop);
    src.setRealTime(false);
    Collector got(src);
    QString e;
    ASSERT_TRUE(src.start(e));
    EXPECT_EQ(src.deliverBlocks(5), loop ? 5 : 3) << "loop " << loop;
    EXPECT_EQ(src.isRunning(), loop);
    if (loop) {  // the part block at the end is skipped: block 4 is the first again
      EXPECT_TRUE(std::equal(got.samples.begin() + 3 * kBlockSamples,
                             got.samples.begin() + 4 * kBlockSamples, got.samples.begin()));
    }
  }
}

// Automatic logging in the main window, the analyser capturing a recording released in
// step with a simulated clock (the records it writes are checked on real sound in
// AnalyserCaptureTest).
class AutoLogging : public test::PrimaryFixture {
 protected:
  ~AutoLogging() override { win.reset(); }  // the window goes before the inputs it borrows
  // Tone in the listed slots of 40 s of audio that starts at 10:00:00.000 (on 14 MHz slot
  // 1 is 4U1UN, slot 2 VE8AT, slot 3 W6WX, slot 4 KH6RS).
  void start(const std::set<int>& toneSlots) {
    inputs = std::make_unique<WavFileInputs>(test::beaconAudio(40, toneSlots), "recording", false);
    inputs->realTime = false;
    open(inputs.get());
  }
  void open(CaptureProvider* capture) {
    adjustServices = [capture](PrimaryServices& s) { s.capture = capture; };
    ASSERT_TRUE(PrimaryFixture::start(LocalTime{2026, 12, 6, 10, 0, 0, 0}));
    dialogs.messages.clear();
  }
  // Runs `ms` of wall time: the audio that has arrived by each tick is analysed first.
  void run(long ms) {
    for (long t = 0; t < ms; t += 100) {
      time.advanceMs(100);
      elapsedMs += 100;
      if (auto* src = inputs->lastCreated; src && src->isRunning()) {
        const long long due = elapsedMs * kSampleRate / 1000;
        src->deliverBlocks(static_cast<int>((due - src->samplesDelivered()) / kBlockSamples));
      }
      win->onTick();
    }
  }
  // Records in the heard log, one a line.
  long records() const {
    const std::string log = heardLog();
    return std::count(log.begin(), log.end(), '\n');
  }

  std::unique_ptr<WavFileInputs> inputs;
  long long elapsedMs = 0;
};

TEST_F(AutoLogging, ClosingTheAnalyserSwitchesAutomaticLoggingOff) {
  start({0, 1});
  win->mnuLogAuto_Click();
  frmAnalyser* a = win->analyserWindow();
  a->StartButton->click();
  run(2000);
  const long before = records();
  a->close();
  EXPECT_TRUE(!win->mnuLogAuto->isChecked() && d.AnalyserClosed && d.SlotLogged && !d.AnalyserRunning);
  win->activate();  // the main window coming back up after the analyser closed
  EXPECT_TRUE(!win->mnuLogAuto->isChecked() && !win->mnuLogManual->isChecked());
  EXPECT_FALSE(win->opgS[1]->isEnabled());
  run(15000);  // slot 2 keyed, but nobody is listening
  EXPECT_EQ(records(), before);

  // Switching automatic logging on again loads the window afresh; manual logging then
  // closes it and stays on.
  win->mnuLogAuto_Click();
  EXPECT_TRUE(a->isVisible() && !d.AnalyserClosed && a->lblAnalyser->text() == "Stopped");
  win->mnuLogManual_Click();
  EXPECT_TRUE(!a->isVisible() && win->mnuLogManual->isChecked() && !win->mnuLogAuto->isChecked());
}

TEST_F(AutoLogging, WithoutASoundInputAutomaticLoggingStaysOff) {
  NoInputs none;
  open(&none);
  win->mnuLogAuto_Click();
  ASSERT_EQ(dialogs.messages.size(), 1u);  // the analyser refuses to load; no warning
  EXPECT_EQ(dialogs.messages[0].text, "You need a 16 bit soundcard for this part of Harkola to function");
  EXPECT_FALSE(win->mnuLogAuto->isChecked());
  EXPECT_FALSE(win->graphWindow()->isVisible());
  win.reset();  // the analyser goes before the provider it borrows
}

}  // namespace
}  // namespace harkola
