#include "audio/QtAudioCapture.h"

#include <QAudioFormat>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>
#include <cstring>
#include <vector>

namespace harkola {

QAudioFormat analyserFormat() {
  QAudioFormat f;
  f.setSampleRate(kSampleRate);
  f.setChannelCount(1);
  f.setSampleFormat(QAudioFormat::Int16);
  return f;
}

QtAudioCapture::QtAudioCapture(const QAudioDevice& device, QObject* parent)
    : CaptureSource(parent), m_device(device) {}

QtAudioCapture::~QtAudioCapture() { stop(); }

bool QtAudioCapture::start(QString& error) {
  stop();
  if (m_device.isNull() || !m_device.isFormatSupported(analyserFormat())) {
    error = "The sound input does not accept 11025 Hz mono 16-bit audio.";
    return false;
  }
  m_source = new QAudioSource(m_device, analyserFormat(), this);
  // About 185 ms of buffering: enough to ride out a busy window, small enough that the
  // spectrum follows the receiver without a visible lag.
  m_source->setBufferSize(kBlockSamples * 2 * 4);
  connect(m_source, &QAudioSource::stateChanged, this, &QtAudioCapture::checkState);
  resetBlocks();
  QIODevice* io = m_source->start();
  if (!io || m_source->error() != QAudio::NoError) {
    error = "The sound input could not be started.";
    delete m_source;
    m_source = nullptr;
    return false;
  }
  m_io = io;
  connect(io, &QIODevice::readyRead, this, &QtAudioCapture::readAvailable);
  m_lastSeen = -1;
  m_silentChecks = 0;
  m_pending.clear();
  if (!m_watchdog) {
    m_watchdog = new QTimer(this);
    connect(m_watchdog, &QTimer::timeout, this, &QtAudioCapture::checkFlowing);
  }
  m_watchdog->start(kCheckIntervalMs);
  // A device that is unplugged disappears from the list; the stream itself may simply
  // go quiet, so the list is watched as well as the stream's state.
  if (!m_devices) {
    m_devices = new QMediaDevices(this);
    connect(m_devices, &QMediaDevices::audioInputsChanged, this,
            &QtAudioCapture::checkDeviceStillThere);
  }
  return true;
}

void QtAudioCapture::stop() {
  if (m_watchdog) m_watchdog->stop();
  if (m_io) disconnect(m_io, nullptr, this, nullptr);
  m_io = nullptr;
  if (m_source) {
    disconnect(m_source, nullptr, this, nullptr);
    m_source->stop();
    delete m_source;
    m_source = nullptr;
  }
}

void QtAudioCapture::readAvailable() {
  if (!m_io) return;
  // The stream's bytesAvailable() is not reliable in push mode: take all there is and
  // keep an odd byte for the next read, so samples never straddle two reads.
  m_pending += m_io->readAll();
  const auto count = static_cast<std::size_t>(m_pending.size()) / sizeof(std::int16_t);
  std::vector<std::int16_t> samples(count);
  std::memcpy(samples.data(), m_pending.constData(), count * sizeof(std::int16_t));
  m_pending.remove(0, static_cast<qsizetype>(count * sizeof(std::int16_t)));
  feed(samples.data(), samples.size());
}

void QtAudioCapture::checkState() {
  if (!m_source || !m_io) return;
  const QAudio::Error e = m_source->error();
  if (m_source->state() == QAudio::StoppedState && e != QAudio::NoError) {
    lose(e == QAudio::FatalError ? "The sound input stopped with an error."
                                 : "The sound input stopped delivering audio.");
  }
}

void QtAudioCapture::checkFlowing() {
  if (!m_io) return;
  checkDeviceStillThere();
  if (!m_io) return;
  const long long now = samplesDelivered() + m_pending.size();
  m_silentChecks = now == m_lastSeen ? m_silentChecks + 1 : 0;
  m_lastSeen = now;
  if (m_silentChecks >= kSilentChecks) lose("The sound input has stopped delivering audio.");
}

void QtAudioCapture::checkDeviceStillThere() {
  if (!m_io) return;
  for (const QAudioDevice& dev : QMediaDevices::audioInputs())
    if (dev.id() == m_device.id()) return;
  lose("The sound input \"" + m_device.description() + "\" is no longer available.");
}

void QtAudioCapture::lose(const QString& reason) {
  stop();
  emit inputLost(reason);
}

std::vector<CaptureInput> SoundCardInputs::inputs() {
  std::vector<CaptureInput> list;
  const QAudioDevice def = QMediaDevices::defaultAudioInput();
  const QAudioFormat fmt = analyserFormat();
  if (!def.isNull() && def.isFormatSupported(fmt)) list.push_back({def.id(), def.description()});
  for (const QAudioDevice& dev : QMediaDevices::audioInputs()) {
    if (dev.id() == def.id() || !dev.isFormatSupported(fmt)) continue;
    list.push_back({dev.id(), dev.description()});
  }
  return list;
}

std::unique_ptr<CaptureSource> SoundCardInputs::create(const QByteArray& id) {
  const QList<QAudioDevice> all = QMediaDevices::audioInputs();
  for (const QAudioDevice& dev : all)
    if (dev.id() == id) return std::make_unique<QtAudioCapture>(dev);
  return std::make_unique<QtAudioCapture>(QMediaDevices::defaultAudioInput());
}

}  // namespace harkola
