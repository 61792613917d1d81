#include "audio/frmAnalyser.h"

#include <algorithm>

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "ui/UserDialogs.h"
#include "audio/SoundcardUse.h"
#include "audio/WavFileSource.h"
#include "audio/frmAnalyserSetUp.h"
#include "ui/BoxRows.h"
#include "ui/Named.h"

namespace harkola {

namespace {

QRgb rgbOf(BarColour c) { return 0xFF000000u | static_cast<std::uint32_t>(c); }

}  // namespace

// --- the display ---------------------------------------------------------------------

ScopeView::ScopeView(QWidget* parent)
    : QWidget(parent), m_buffer(kUnitsWide, kUnitsHigh, QImage::Format_RGB32) {
  setObjectName("Scope");
  m_buffer.fill(kBackColour);
  setFixedSize(sizeHint());
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize ScopeView::sizeHint() const {
  return {kUnitsWide * kPixelsPerUnit, kUnitsHigh * kPixelsPerUnit};
}

void ScopeView::drawFrame(const SpectrumBars& bars, bool levelLine) {
  const int baseline = kUnitsHigh;  // the bars' foot, just below the last row
  m_buffer.fill(kBackColour);
  for (int x = 0; x < kUnitsWide; ++x) {
    const SpectrumBar& b = bars.bars[x];
    // Whole units, as a line of length h from the baseline would cover.
    const int h = static_cast<int>(std::min<float>(b.height, kUnitsHigh));
    const QRgb c = rgbOf(b.colour);
    for (int y = baseline - h; y < baseline; ++y)
      reinterpret_cast<QRgb*>(m_buffer.scanLine(y))[x] = c;
  }
  if (levelLine) {
    auto* row = reinterpret_cast<QRgb*>(m_buffer.scanLine(kLevelLineY));
    std::fill(row, row + kUnitsWide, qRgb(0, 0, 0));
  }
  update();
}

void ScopeView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(rect(), m_buffer);
}

// --- the window --------------------------------------------------------------------------

frmAnalyser::frmAnalyser(PublicDecs& shared, CaptureProvider& inputs, QWidget* parent)
    : QWidget(parent, Qt::Window), d(shared), m_inputs(inputs) {
  setObjectName("frmAnalyser");
  setWindowTitle("Auto log");
  buildControls();
}

frmAnalyser::~frmAnalyser() {
  if (m_source) {
    m_source->stop();
    delete m_source;
  }
}

void frmAnalyser::buildControls() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(12, 10, 12, 10);
  outer->setSpacing(8);
  outer->addLayout(buildScopeAndButtons());
  outer->addLayout(buildLiveNumbers());
  outer->addLayout(buildDetectorChoice());
  outer->addLayout(buildSliders());
  auto* inputRow = new QHBoxLayout;
  auto* inputLabel = new QLabel("Sound input:", this);
  cboInput = named(new QComboBox(this), "cboInput");
  cboInput->setToolTip("The sound card the receiver's audio comes in on");
  cboInput->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  inputLabel->setBuddy(cboInput);
  inputRow->addWidget(inputLabel);
  inputRow->addWidget(cboInput, 1);
  outer->addLayout(inputRow);
  connectControls();
}

// The spectrum display with the mode buttons beside it.
QLayout* frmAnalyser::buildScopeAndButtons() {
  auto button = [this](const char* name, const char* text, const char* tip) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setMinimumWidth(120);
    return b;
  };
  cmdTestButton = button("cmdTestButton", "Test",
                         "Click to set up audio analysis & logging, but not record to file");
  StartButton = button("StartButton", "Start logging", "Start logging");
  StopButton = button("StopButton", "STOP", "Stop logging");
  cmdSetUp = button("cmdSetUp", "Setup Wizard", "");
  lblAnalyser = named(new QLabel(this), "lblAnalyser");
  lblAnalyser->setWordWrap(true);
  lblAnalyser->setAlignment(Qt::AlignCenter);
  QFont bold = lblAnalyser->font();
  bold.setBold(true);
  lblAnalyser->setFont(bold);

  Scope = new ScopeView(this);
  Scope->setToolTip("Spectrum analyser screen");

  auto* top = new QHBoxLayout;
  top->addWidget(Scope, 0, Qt::AlignTop);
  top->addLayout(column({cmdTestButton, StartButton, StopButton, gap(6), lblAnalyser, stretch(), cmdSetUp}));
  return top;
}

QLayout* frmAnalyser::buildLiveNumbers() {
  // The live numbers under the display.
  auto value = [this](const char* name, const char* tip) {
    auto* l = new QLabel(this);
    l->setObjectName(name);
    l->setToolTip(tip);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
  };
  lblListen = value("lblListen", "");
  lblCountDown = value("lblCountDown", "Counts down listening time");
  lblCountDown->setMinimumWidth(24);
  lblMorseSetting = value("lblMorseSetting",
                          "Morse discriminator setting - compare to signal number to the right of "
                          "this label");
  lblMorsePeak = value("lblMorsePeak", "Signal number - use to help set morse discriminator");
  lblMorseSetting->setMinimumWidth(30);
  lblMorsePeak->setMinimumWidth(40);
  // Every number carries its caption: the discriminator setting and the signal number
  // are compared by eye, so the user must tell which is which.
  lblMorseSettingCaption = named(new QLabel("Discriminator:", this), "lblMorseSettingCaption");
  lblMorseSettingCaption->setBuddy(lblMorseSetting);
  lblMorsePeakCaption = named(new QLabel("Signal number:", this), "lblMorsePeakCaption");
  lblMorsePeakCaption->setBuddy(lblMorsePeak);
  return row({lblListen, lblCountDown, stretch(), lblMorseSettingCaption, lblMorseSetting, gap(12),
              lblMorsePeakCaption, lblMorsePeak});
}

QLayout* frmAnalyser::buildDetectorChoice() {
  // Which detector hears the slots. The sensitive one does not use the noise filter, the
  // morse discriminator or the listen time.
  optClassic = named(new QRadioButton("Classic", this), "optClassic");
  optSensitive = named(new QRadioButton("Sensitive", this), "optSensitive");
  optClassic->setChecked(true);
  lblSensitiveResult = named(new QLabel(this), "lblSensitiveResult");
  lblSensitiveResult->setToolTip("The sensitive detector's last slot: callsign, SNR of the 100 W dash, "
                                 "dashes heard, tone from 800 Hz, start from the slot boundary");
  auto* detectorRow = row({new QLabel("Detector:", this), optClassic, optSensitive, gap(12)});
  detectorRow->addWidget(lblSensitiveResult, 1);
  return detectorRow;
}

QLayout* frmAnalyser::buildSliders() {
  // The four adjustments.
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  // Each slider shows its value beside it, following every step of a drag.
  auto slider = [&, this](int row, QLabel*& label, const char* labelName, const char* caption,
                    QSlider*& s, const char* name, SettingRange range, const char* tip,
                    QString (*shown)(int)) {
    const int lo = range.lo, hi = range.hi;
    label = new QLabel(caption, this);
    label->setObjectName(labelName);
    auto* valueLabel = new QLabel(shown(hi), this);
    valueLabel->setObjectName(QString(name).replace("sldr", "lbl") + "Value");
    valueLabel->setMinimumWidth(std::max(valueLabel->sizeHint().width(),
                                         valueLabel->fontMetrics().horizontalAdvance(shown(lo))) + 4);
    valueLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(valueLabel, row, 2);
    s = new QSlider(Qt::Horizontal, this);
    connect(s, &QSlider::valueChanged, valueLabel, [valueLabel, shown](int v) { valueLabel->setText(shown(v)); });
    s->setObjectName(name);
    s->setRange(lo, hi);
    s->setToolTip(tip);
    s->setTickPosition(QSlider::TicksBelow);
    s->setTickInterval(hi - lo > 20 ? 10 : 1);
    s->setPageStep(hi - lo > 20 ? 10 : 1);
    s->setMinimumWidth(300);
    valueLabel->setText(shown(s->value()));
    label->setBuddy(s);
    grid->addWidget(label, row, 0);
    grid->addWidget(s, row, 1);
  };
  auto plain = [](int v) { return QString::number(v); };
  auto seconds = [](int v) { return QString("%1 s").arg(v); };
  auto signedSteps = [](int v) { return v > 0 ? QString("+%1").arg(v) : QString::number(v); };
  slider(0, lblNoise, "lblNoise", "Noise filter", sldrNoise, "sldrNoise", kNoiseFilter,
         "Adjust levels until centre of display is green with no beacon signals AFTER adjusting "
         "overall levels",
         plain);
  slider(1, lblMorse, "lblMorse", "Morse discriminator", sldrMorse, "sldrMorse", kMorseThreshold,
         "Adjust for reliable morse indication AFTER adjusting noise", plain);
  slider(2, Label2, "Label2", "Listen time", sldrListen, "sldrListen", kListenSeconds,
         "Adjusts number of seconds the analyser listens in any one slot.", seconds);
  slider(3, lblSmeterCal, "lblSmeterCal", "S meter ", sldrSmeter, "sldrSmeter", kSMeterOffset,
         "Adjust until logged S meter readings agree with radio S meter AFTER adjusting morse "
         "discrimination",
         signedSteps);
  return grid;
}

void frmAnalyser::connectControls() {
  // The settings follow every step of a drag as well as the final value.
  connect(optSensitive, &QRadioButton::toggled, this, [this](bool sensitive) {
    for (QSlider* s : {sldrNoise, sldrMorse, sldrListen}) s->setEnabled(!sensitive);
    if (!sensitive) lblSensitiveResult->clear();
    if (onDetectorChosen) onDetectorChosen(sensitive);
  });
  connect(sldrNoise, &QSlider::valueChanged, this, [this](int v) { d.NoiseFilter = v; });
  connect(sldrMorse, &QSlider::valueChanged, this, [this](int v) {
    d.MorseThreshold = v;
    lblMorseSetting->setText(QString::number(v));
  });
  connect(sldrListen, &QSlider::valueChanged, this,
          [this](int v) { d.ListenSeconds = static_cast<std::int16_t>(v); });
  connect(sldrSmeter, &QSlider::valueChanged, this, [this](int v) { d.SMeterOffset = v; });

  connect(cmdTestButton, &QPushButton::clicked, this, &frmAnalyser::cmdTestButton_Click);
  connect(StartButton, &QPushButton::clicked, this, &frmAnalyser::StartButton_Click);
  connect(StopButton, &QPushButton::clicked, this, &frmAnalyser::StopButton_Click);
  connect(cmdSetUp, &QPushButton::clicked, this, &frmAnalyser::cmdSetUp_Click);
}

bool frmAnalyser::load() {
  m_unloading = false;
  setWindowTitle(qs(d.TitleText) + "AutoLog");
  Scope->setToolTip("Displays limited bandwidth audio spectrum from your rig");
  showLiveLabels(false);
  d.AnalyserClosed = false;
  setStoppedControls();
  m_mode = AnalyserMode::Stopped;
  m_levelLine = false;

  if (!InitDevices(m_inputs, this)) return false;
  cboInput->clear();
  for (const CaptureInput& in : m_inputs.inputs()) cboInput->addItem(in.name, in.id);
  cboInput->setCurrentIndex(0);

  // Through the change handlers, so the shared settings follow. A slider already at
  // the value does not signal, so the settings are written here as well.
  sldrSmeter->setValue(kSMeterOffset.start);
  sldrNoise->setValue(kNoiseFilter.start);
  sldrMorse->setValue(kMorseThreshold.start);
  sldrListen->setValue(kListenSeconds.start);
  d.SMeterOffset = sldrSmeter->value();
  d.NoiseFilter = sldrNoise->value();
  d.MorseThreshold = sldrMorse->value();
  lblMorseSetting->setText(QString::number(d.MorseThreshold));
  d.ListenSeconds = static_cast<std::int16_t>(sldrListen->value());

  m_bars = SpectrumBars{};
  Scope->drawFrame(m_bars, false);
  return true;
}

void frmAnalyser::setStoppedControls() {
  lblAnalyser->setText("Stopped");
  StopButton->setEnabled(false);
  StartButton->setEnabled(true);
  cmdTestButton->setEnabled(true);
  cboInput->setEnabled(true);
}

void frmAnalyser::showLiveLabels(bool on) {
  lblListen->setVisible(on);
  lblCountDown->setVisible(on);
  lblMorsePeak->setVisible(on);
  lblMorsePeakCaption->setVisible(on);
}

void frmAnalyser::setListening(const QString& listen, const QString& countDown) {
  if (lblListen->text() != listen) lblListen->setText(listen);
  if (lblCountDown->text() != countDown) lblCountDown->setText(countDown);
}

void frmAnalyser::cmdTestButton_Click() { startMode(AnalyserMode::Test); }

void frmAnalyser::StartButton_Click() { startMode(AnalyserMode::Logging); }

// Test shows the level line and logs nothing; Logging writes the log. Either starts only
// from Stopped.
void frmAnalyser::startMode(AnalyserMode mode) {
  if (m_mode != AnalyserMode::Stopped) return;
  const bool test = mode == AnalyserMode::Test;
  tellLogging(test ? AnalyserLogging::Test : AnalyserLogging::Logging);
  m_levelLine = test;
  lblAnalyser->setText(test ? "Test mode - no logging" : "Logging");
  m_mode = mode;
  releaseSource();
  m_source = m_inputs.create(cboInput->currentData().toByteArray()).release();
  bool open = false;
  if (m_source) {
    connect(m_source, &CaptureSource::blockReady, this, &frmAnalyser::onBlock);
    connect(m_source, &CaptureSource::inputLost, this, &frmAnalyser::onInputLost);
    open = OpenSoundcard(*m_source, d, this);
  } else {
    WavFileSource none({}, false);  // an input that cannot open: the same message
    OpenSoundcard(none, d, this);
  }

  StopButton->setEnabled(true);
  StartButton->setEnabled(false);
  cmdTestButton->setEnabled(false);
  cboInput->setEnabled(false);
  showLiveLabels(true);
  lblMorsePeak->setText(QString::number(d.MorseHits));
  if (!open) releaseSource();  // the mode stays on show until STOP
  // While the wizard is open the operator is adjusting this window: test mode then
  // leaves it in front. Logging always brings the main window up.
  if (raiseMain && (mode == AnalyserMode::Logging || !(m_setUp && m_setUp->isVisible())))
    raiseMain();
}

void frmAnalyser::StopButton_Click() {
  if (m_mode == AnalyserMode::Stopped) return;
  m_mode = AnalyserMode::Stopped;
  m_levelLine = false;
  tellLogging(AnalyserLogging::Stopped);
  setStoppedControls();
  showLiveLabels(false);
  StopSoundcard(m_source, d);
  releaseSource();
  // The frame on show loses its level line, as the next frame would.
  Scope->drawFrame(m_bars, false);
}

void frmAnalyser::stopCapture() {
  if (!m_source) return;
  StopSoundcard(m_source, d);
  releaseSource();
}

void frmAnalyser::releaseSource() {
  if (!m_source) return;
  m_source->stop();
  disconnect(m_source, nullptr, this, nullptr);
  // This may run inside the source's own signal: delete it once that has returned.
  m_source->deleteLater();
  m_source = nullptr;
}

void frmAnalyser::onBlock(const SampleBlock& block) {
  if (m_mode == AnalyserMode::Stopped) return;
  if (detector)
    detector->addBlock(block.data(), kBlockSamples,
                       blockTime ? blockTime() : std::chrono::system_clock::now());
  SampleBuffer = block;
  m_fft.Transform(SampleBuffer, Spectrum);
  analyseFrame(Spectrum, d.NoiseFilter, nullptr, &m_bars);
  Scope->drawFrame(m_bars, m_levelLine);
  const QString hits = QString::number(d.MorseHits);
  if (lblMorsePeak->text() != hits) lblMorsePeak->setText(hits);
}

void frmAnalyser::onInputLost(const QString& reason) {
  const bool wasTest = m_mode == AnalyserMode::Test;
  m_mode = AnalyserMode::Stopped;
  m_levelLine = false;
  tellLogging(AnalyserLogging::Stopped);
  d.AnalyserRunning = false;
  releaseSource();
  setStoppedControls();
  showLiveLabels(false);
  Scope->drawFrame(m_bars, false);
  dialogs().message(this, Notice{reason.toStdString() + "  " +
                                     (wasTest ? "The test has" : "Logging has") +
                                     " stopped; records already written are kept.  Check the "
                                     "receiver's sound connection, choose the input again and "
                                     "press " +
                                     (wasTest ? "Test" : "Start logging") + " to carry on.",
                                 qs(d.TitleText).toStdString() + "AutoLog", NoticeIcon::Exclamation,
                                 NoticeButtons::Ok});
}

frmAnalyserSetUp* frmAnalyser::setUpWindow() const { return m_setUp; }

void frmAnalyser::tellLogging(AnalyserLogging mode) {
  if (onLogging) onLogging(mode);
}

void frmAnalyser::cmdSetUp_Click() {
  if (!m_setUp) m_setUp = new frmAnalyserSetUp(d, this);
  // A wizard already open part-way is only brought to the front.
  if (!m_setUp->isVisible()) m_setUp->load();
  m_setUp->show();
  m_setUp->raise();
}

void frmAnalyser::closeEvent(QCloseEvent* e) {
  e->accept();
  if (m_unloading) return;
  m_unloading = true;
  StopSoundcard(m_source, d);
  releaseSource();
  m_mode = AnalyserMode::Stopped;
  m_levelLine = false;
  if (m_setUp) m_setUp->close();
  if (onUnload) onUnload();
  d.AnalyserClosed = true;
  tellLogging(AnalyserLogging::Closed);
  if (raiseMain) raiseMain();
}

void frmAnalyser::setSensitiveResult(const QString& text) { lblSensitiveResult->setText(text); }

bool frmAnalyser::sensitiveChosen() const { return optSensitive->isChecked(); }

}  // namespace harkola
