#include "voice/ResfileSoundModule.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QFile>
#include <QMediaDevices>

#include "voice/WaveImage.h"

// The clips live in a static library: referencing the resource initialiser keeps the
// linker from dropping them. Must be called outside any namespace.
static void initVoiceResources() { Q_INIT_RESOURCE(voice); }

namespace harkola {

ResfileSoundModule::ResfileSoundModule(QObject* parent) : QObject(parent) {
  initVoiceResources();
}

ResfileSoundModule::~ResfileSoundModule() { stop(); }

QString ResfileSoundModule::clipPath(int number) {
  return QStringLiteral(":/voice/") + QString::fromStdString(voiceClipFileName(number));
}

void ResfileSoundModule::play(int number) {
  stop();
  if (!isVoiceClipNumber(number)) return;
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return;

  QFile file(clipPath(number));
  if (!file.open(QIODevice::ReadOnly)) return;
  const QByteArray image = file.readAll();
  const WaveInfo wave = readWaveInfo(std::span(
      reinterpret_cast<const std::uint8_t*>(image.constData()), std::size_t(image.size())));
  if (!wave.valid || wave.formatTag != 1 || (wave.bitsPerSample != 8 && wave.bitsPerSample != 16))
    return;

  QAudioFormat format;
  format.setSampleRate(int(wave.sampleRate));
  format.setChannelCount(wave.channels);
  format.setSampleFormat(wave.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);

  // 8-bit PCM is unsigned: its silence is 0x80; 16-bit silence is 0.
  const qsizetype tailBytes = qsizetype(wave.sampleRate) * kTailMs / 1000 * wave.channels *
                              (wave.bitsPerSample / 8);
  m_samples = image.mid(qsizetype(wave.dataOffset), qsizetype(wave.dataBytes));
  m_samples.append(tailBytes, wave.bitsPerSample == 8 ? char(0x80) : char(0));
  m_buffer.setBuffer(&m_samples);
  m_buffer.open(QIODevice::ReadOnly);

  m_sink = std::make_unique<QAudioSink>(device, format);
  QAudioSink* sink = m_sink.get();
  connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State state) {
    // All samples handed over: end the stream (the silent tail absorbs what is cut).
    if (state == QAudio::IdleState && m_sink.get() == sink) stop();
  });
  sink->start(&m_buffer);
  if (sink->error() != QAudio::NoError) {
    stop();
    return;
  }
  m_current = number;
}

void ResfileSoundModule::stop() {
  if (m_sink) {
    // Deleting a sink from inside its own signal is not safe: hand it to the event loop.
    QAudioSink* sink = m_sink.release();
    sink->disconnect(this);
    sink->stop();
    sink->deleteLater();
  }
  m_buffer.close();
  m_current = 0;
}

}  // namespace harkola
