#include "receiver/frmReceiver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "common/Bands.h"
#include "receiver/ReceiverRun.h"
#include "receiver/SoapySource.h"

namespace harkola {

namespace {
const char* const kSourceNames[] = {"Sound card (analyser window)", "SoapySDR device", "rtl_tcp server", "KiwiSDR",
                                    "I/Q recording (played in real time)"};

QLineEdit* field(QWidget* parent, const char* name, const QString& placeholder = {}) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setPlaceholderText(placeholder);
  return e;
}

QString number(double v) { return QString::number(v, 'f', 0); }
}  // namespace

frmReceiver::frmReceiver(ReceiverRun& run, std::filesystem::path dataFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_run(run), m_dataFolder(std::move(dataFolder)) {
  setObjectName("frmReceiver");
  setWindowTitle("Receiver");
  auto* top = new QVBoxLayout(this);
  auto* choose = new QFormLayout;
  cboSource = new QComboBox(this);
  cboSource->setObjectName("cboSource");
  for (const char* n : kSourceNames) cboSource->addItem(n);
  choose->addRow("Listen to", cboSource);
  top->addLayout(choose);

  m_pages = new QStackedWidget(this);
  auto page = [this](QFormLayout*& form) {
    auto* w = new QWidget(m_pages);
    form = new QFormLayout(w);
    m_pages->addWidget(w);
  };
  QFormLayout* f = nullptr;
  page(f);
  f->addRow(new QLabel("The analyser window listens to the sound card (Logging > Automatic)."));
  page(f);
  cboDevice = new QComboBox(this);
  cboDevice->setObjectName("cboDevice");
  cboDevice->setEditable(true);
  f->addRow("Device", cboDevice);
  txtRate = field(this, "txtRate");
  txtCentre = field(this, "txtCentre", "0 = chosen for the bands");
  txtGain = field(this, "txtGain", "auto");
  chkDirect = new QCheckBox("Direct sampling (RTL-SDR on HF)", this);
  chkDirect->setObjectName("chkDirect");
  f->addRow("Sample rate (S/s)", txtRate);
  f->addRow("Centre (Hz)", txtCentre);
  f->addRow("Gain (dB)", txtGain);
  f->addRow(chkDirect);
  page(f);
  txtRtlHost = field(this, "txtRtlHost");
  txtRtlPort = field(this, "txtRtlPort");
  f->addRow("Host", txtRtlHost);
  f->addRow("Port", txtRtlPort);
  f->addRow(new QLabel("Rate, centre, gain and direct sampling as for a SoapySDR device."));
  page(f);
  txtKiwiHost = field(this, "txtKiwiHost", "kiwisdr.example.org");
  txtKiwiPort = field(this, "txtKiwiPort");
  txtKiwiPassword = field(this, "txtKiwiPassword", "none");
  txtKiwiPassword->setEchoMode(QLineEdit::Password);
  f->addRow("Host", txtKiwiHost);
  f->addRow("Port", txtKiwiPort);
  f->addRow("Password", txtKiwiPassword);
  f->addRow(new QLabel("One 12 kHz I/Q channel per band."));
  page(f);
  txtIqFile = field(this, "txtIqFile");
  auto* browse = new QPushButton("Browse...", this);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(txtIqFile);
  fileRow->addWidget(browse);
  cboIqFormat = new QComboBox(this);
  cboIqFormat->setObjectName("cboIqFormat");
  cboIqFormat->addItems({"wav", "cs16", "cu8", "cs8", "cf32"});
  f->addRow("File", fileRow);
  f->addRow("Format", cboIqFormat);
  f->addRow(new QLabel("Raw files take the rate and centre of the SoapySDR page."));
  top->addWidget(m_pages);
  connect(cboSource, &QComboBox::currentIndexChanged, m_pages, &QStackedWidget::setCurrentIndex);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString p = QFileDialog::getOpenFileName(this, "I/Q recording");
    if (!p.isEmpty()) txtIqFile->setText(p);
  });

  auto* bands = new QGroupBox("Bands", this);
  auto* grid = new QGridLayout(bands);
  for (int b = 0; b < kBandCount; ++b) {
    chkBand[b] = new QCheckBox(QString::fromUtf8(bandInfo(b).frequency.data(), static_cast<int>(bandInfo(b).frequency.size())) + " MHz", this);
    chkBand[b]->setObjectName(QString("chkBand%1").arg(b));
    prgbLevel[b] = new QProgressBar(this);
    prgbLevel[b]->setObjectName(QString("prgbLevel%1").arg(b));
    prgbLevel[b]->setRange(0, 100);
    prgbLevel[b]->setFormat("%v dB");
    lblBand[b] = new QLabel("-", this);
    lblBand[b]->setObjectName(QString("lblBand%1").arg(b));
    lblBand[b]->setMinimumWidth(330);
    grid->addWidget(chkBand[b], b, 0);
    grid->addWidget(prgbLevel[b], b, 1);
    grid->addWidget(lblBand[b], b, 2);
  }
  top->addWidget(bands);
  auto* row = new QHBoxLayout;
  cmdStart = new QPushButton("Start", this);
  cmdStart->setObjectName("cmdStart");
  lblHealth = new QLabel(this);
  lblHealth->setObjectName("lblHealth");
  row->addWidget(cmdStart);
  row->addWidget(lblHealth, 1);
  top->addLayout(row);
  lblStatus = new QLabel(this);
  lblStatus->setObjectName("lblStatus");
  lblStatus->setWordWrap(true);
  top->addWidget(lblStatus);
  connect(cmdStart, &QPushButton::clicked, this, &frmReceiver::cmdStart_Click);
  connect(&m_run, &ReceiverRun::eventSaid, lblStatus, &QLabel::setText);
  m_timer = new QTimer(this);
  connect(m_timer, &QTimer::timeout, this, &frmReceiver::refresh);
  m_timer->start(500);

  for (const SoapyDeviceInfo& d : findSoapyDevices()) cboDevice->addItem(QString::fromStdString(d.label), QString::fromStdString(d.args));
  show(m_run.running() ? m_run.settings() : kReceiverSettingsFile.load(m_dataFolder));
  refresh();
}

void frmReceiver::show(const ReceiverSettings& s) {
  cboSource->setCurrentIndex(static_cast<int>(s.kind));
  m_pages->setCurrentIndex(static_cast<int>(s.kind));
  const int at = cboDevice->findData(QString::fromStdString(s.soapyArgs));
  if (at >= 0) cboDevice->setCurrentIndex(at);
  else cboDevice->setEditText(QString::fromStdString(s.soapyArgs));
  txtRate->setText(number(s.rate));
  txtCentre->setText(number(s.centreHz));
  txtGain->setText(s.gainDb ? number(*s.gainDb) : "auto");
  chkDirect->setChecked(s.directSampling);
  txtRtlHost->setText(QString::fromStdString(s.rtlHost));
  txtRtlPort->setText(QString::number(s.rtlPort));
  txtKiwiHost->setText(QString::fromStdString(s.kiwiHost));
  txtKiwiPort->setText(QString::number(s.kiwiPort));
  txtKiwiPassword->setText(QString::fromStdString(s.kiwiPassword));
  txtIqFile->setText(QString::fromStdString(s.iqFile));
  cboIqFormat->setCurrentText(QString::fromStdString(s.iqFormat));
  for (int b = 0; b < kBandCount; ++b)
    chkBand[b]->setChecked(std::find(s.bands.begin(), s.bands.end(), b) != s.bands.end());
}

ReceiverSettings frmReceiver::settings() const {
  // The form goes through the file's own reading, so a bad value falls back as a
  // damaged file would.
  ReceiverSettings typed;
  typed.kind = static_cast<ReceiverKind>(cboSource->currentIndex());
  const QVariant args = cboDevice->currentData();
  const QString text = cboDevice->currentText();
  typed.soapyArgs = (args.isValid() && cboDevice->itemText(cboDevice->currentIndex()) == text ? args.toString() : text).toStdString();
  typed.bands.clear();
  for (int b = 0; b < kBandCount; ++b)
    if (chkBand[b]->isChecked()) typed.bands.push_back(b);
  std::string s = formatReceiverSettings(typed);
  auto add = [&s](const char* key, const QString& v) { s += "\"" + std::string(key) + "\",\"" + v.toStdString() + "\"\r\n"; };
  add("Rate", txtRate->text().trimmed());
  add("Centre", txtCentre->text().trimmed());
  add("Gain", txtGain->text().trimmed().isEmpty() ? "auto" : txtGain->text().trimmed());
  add("DirectSampling", chkDirect->isChecked() ? "True" : "False");
  add("RtlHost", txtRtlHost->text().trimmed());
  add("RtlPort", txtRtlPort->text().trimmed());
  add("KiwiHost", txtKiwiHost->text().trimmed());
  add("KiwiPort", txtKiwiPort->text().trimmed());
  add("KiwiPassword", txtKiwiPassword->text());
  add("IqFile", txtIqFile->text().trimmed());
  add("IqFormat", cboIqFormat->currentText());
  ReceiverSettings out = parseReceiverSettings(s);
  if (typed.bands.empty()) out.bands.clear();
  return out;
}

void frmReceiver::cmdStart_Click() {
  if (m_run.running()) {
    m_run.stop();
    lblStatus->setText("Stopped.");
    refresh();
    return;
  }
  const ReceiverSettings s = settings();
  if (s.bands.empty()) {
    lblStatus->setText("Choose at least one band.");
    return;
  }
  kReceiverSettingsFile.save(m_dataFolder, s);
  std::string error;
  if (!m_run.start(s, error)) lblStatus->setText(QString::fromStdString(error));
  else lblStatus->setText("Listening.");
  refresh();
}

void frmReceiver::refresh() {
  cmdStart->setText(m_run.running() ? "Stop" : "Start");
  const auto st = m_run.status();
  for (int b = 0; b < kBandCount; ++b) {
    const BandStatus& s = st[static_cast<std::size_t>(b)];
    // Noise floor on a 0..100 scale of -120..-20 dB relative to full scale.
    prgbLevel[b]->setValue(s.served ? static_cast<int>(std::clamp(s.noiseDbfs + 120.0, 0.0, 100.0)) : 0);
    prgbLevel[b]->setFormat(s.served ? QString::asprintf("%.0f dBFS", s.noiseDbfs) : "-");
    lblBand[b]->setText(!s.served ? "not served" : s.last.empty() ? "listening" : QString::fromStdString(s.last));
  }
  const SourceHealth h = m_run.health();
  lblHealth->setText(QString("Overflows %1   Timeouts %2   Reconnections %3").arg(h.overflows).arg(h.timeouts).arg(h.reconnects));
}

}  // namespace harkola
