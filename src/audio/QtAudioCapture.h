#pragma once
// Sound card capture through Qt Multimedia: QAudioSource in push mode at 11025 Hz,
// mono, 16-bit. readyRead hands whatever arrived to the block cutter, so the window
// thread never waits for audio.

#include <QAudioDevice>
#include <QAudioFormat>
#include <QPointer>

#include "audio/CaptureSource.h"

class QAudioSource;
class QIODevice;
class QMediaDevices;
class QTimer;

namespace harkola {

class QtAudioCapture : public CaptureSource {
  Q_OBJECT
 public:
  explicit QtAudioCapture(const QAudioDevice& device, QObject* parent = nullptr);
  ~QtAudioCapture() override;

  bool start(QString& error) override;
  void stop() override;
  bool isRunning() const override { return m_io != nullptr; }

  const QAudioDevice& device() const { return m_device; }

 private:
  void readAvailable();
  void checkState();
  void checkDeviceStillThere();
  void checkFlowing();
  void lose(const QString& reason);

  QAudioDevice m_device;
  QAudioSource* m_source = nullptr;
  QPointer<QIODevice> m_io;
  QByteArray m_pending;  // bytes read but not yet a whole sample
  QMediaDevices* m_devices = nullptr;
  // The device list is looked at once a second: the sound server may move a stream
  // whose device vanished to another input, so the stream alone does not tell, and
  // the list's change signal is not delivered by every backend. A stream that brings
  // nothing for kSilentChecks looks in a row (a server that went away) is lost too.
  static constexpr int kCheckIntervalMs = 1000;
  static constexpr int kSilentChecks = 5;
  QTimer* m_watchdog = nullptr;
  long long m_lastSeen = -1;
  int m_silentChecks = 0;
};

// The analyser's capture format: 11025 Hz, 1 channel, signed 16-bit.
QAudioFormat analyserFormat();

// The system's sound inputs that accept the analyser's format, the default input first.
class SoundCardInputs : public CaptureProvider {
 public:
  std::vector<CaptureInput> inputs() override;
  std::unique_ptr<CaptureSource> create(const QByteArray& id) override;
};

}  // namespace harkola
