#pragma once
// The automatic-logging window: the live spectrum of the receiver's audio around the
// 800 Hz beat tone, the four discriminator sliders, the running signal number, the
// listening countdown and the Test / Start logging / STOP modes.
//
// Each captured block goes to the detector (the clock asks it for the slot's decision)
// and is transformed for the display. The window owns the capture source while a mode
// runs.

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "common/PublicDecs.h"
#include "audio/AudioFFT.h"
#include "audio/CaptureSource.h"
#include "audio/FrameAnalysis.h"
#include "clock/BeaconClock.h"
#include "clock/SlotDetector.h"

class QComboBox;
class QLabel;
class QLayout;
class QPushButton;
class QRadioButton;
class QSlider;

namespace harkola {

class frmAnalyserSetUp;

// The visible display with its back buffer. The buffer has one column per bin (the
// display's drawing units); it is shown enlarged, whole units only, without smoothing.
class ScopeView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kUnitsWide = 175;  // bins 0..174, 0..1884 Hz
  static constexpr int kUnitsHigh = 90;
  static constexpr int kPixelsPerUnit = 3;

  explicit ScopeView(QWidget* parent = nullptr);
  // Redraws the back buffer from one frame and shows it.
  void drawFrame(const SpectrumBars& bars, bool levelLine);
  // The back buffer (ScopeBuff) as last drawn.
  const QImage& buffer() const { return m_buffer; }
  QSize sizeHint() const override;

  static constexpr QRgb kBackColour = qRgb(104, 104, 104);
  static constexpr int kLevelLineY = kUnitsHigh * 8 / 10;  // 0.8 of the height from the top

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QImage m_buffer;  // ScopeBuff
};

enum class AnalyserMode { Stopped, Test, Logging };

class frmAnalyser : public QWidget {
  Q_OBJECT
 public:
  frmAnalyser(PublicDecs& d, CaptureProvider& inputs, QWidget* parent = nullptr);
  ~frmAnalyser() override;

  // The window's load, run every time it is shown: defaults of the sliders, Stopped,
  // the input list. False (after telling the user) when no input can capture; the
  // window must then not be shown.
  bool load();

  // The clock's listening window texts, refreshed on every tick of automatic logging.
  void setListening(const QString& listen, const QString& countDown);

  // Stops capture without closing the window (program shutdown).
  void stopCapture();

  AnalyserMode mode() const { return m_mode; }
  frmAnalyserSetUp* setUpWindow() const;
  CaptureSource* source() const { return m_source; }

  // The main window's automatic-logging handler, run when this window unloads.
  std::function<void()> onUnload;
  // Brings the main window to the front (Start logging, and unload).
  std::function<void()> raiseMain;
  // What the buttons and the close box do to automatic logging (the clock's business).
  std::function<void(AnalyserLogging)> onLogging;
  // The user chose the classic (false) or the sensitive (true) detector.
  std::function<void(bool sensitive)> onDetectorChosen;
  // The sensitive detector's line about the last slot it analysed.
  void setSensitiveResult(const QString& text);
  bool sensitiveChosen() const;
  // The detector that hears the slots (null: blocks are only drawn). Borrowed.
  SlotDetector* detector = nullptr;
  // The instant a block arrives (the main window's clock; the system clock by default).
  std::function<SysTime()> blockTime;

  void cmdTestButton_Click();
  void StartButton_Click();
  void StopButton_Click();
  void cmdSetUp_Click();

  QPushButton* cmdSetUp = nullptr;
  QPushButton* cmdTestButton = nullptr;
  QPushButton* StartButton = nullptr;
  QPushButton* StopButton = nullptr;
  ScopeView* Scope = nullptr;
  QSlider* sldrNoise = nullptr;
  QSlider* sldrMorse = nullptr;
  QSlider* sldrListen = nullptr;
  QSlider* sldrSmeter = nullptr;
  QLabel* lblNoise = nullptr;
  QLabel* lblMorse = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* lblSmeterCal = nullptr;
  QLabel* lblMorseSetting = nullptr;
  QLabel* lblMorsePeak = nullptr;
  QLabel* lblMorseSettingCaption = nullptr;  // "Discriminator:"
  QLabel* lblMorsePeakCaption = nullptr;     // "Signal number:"
  QRadioButton* optClassic = nullptr;
  QRadioButton* optSensitive = nullptr;
  QLabel* lblSensitiveResult = nullptr;
  QLabel* lblListen = nullptr;
  QLabel* lblCountDown = nullptr;
  QLabel* lblAnalyser = nullptr;
  QComboBox* cboInput = nullptr;  // the sound input to capture from

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void buildControls();
  QLayout* buildScopeAndButtons();
  QLayout* buildLiveNumbers();
  QLayout* buildDetectorChoice();
  QLayout* buildSliders();
  void connectControls();
  void startMode(AnalyserMode mode);
  void showLiveLabels(bool on);
  void onBlock(const SampleBlock& block);
  void onInputLost(const QString& reason);
  void releaseSource();
  void setStoppedControls();
  void tellLogging(AnalyserLogging mode);

  PublicDecs& d;
  CaptureProvider& m_inputs;
  AnalyserMode m_mode = AnalyserMode::Stopped;
  bool m_levelLine = false;  // test mode: draw the black level reference line
  bool m_unloading = false;
  CaptureSource* m_source = nullptr;  // owned; deleted later, never inside its own signal
  AudioFFT m_fft;
  SampleBlock SampleBuffer{};
  SpectrumFrame Spectrum{};
  SpectrumBars m_bars{};
  QPointer<frmAnalyserSetUp> m_setUp;
};

}  // namespace harkola
