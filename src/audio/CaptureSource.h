#pragma once
// Where the analyser's audio comes from. A source delivers mono 16-bit samples at
// 11025 Hz as 512-sample blocks, in order and without gaps, through blockReady; the
// analyser transforms and analyses each block as it arrives (event driven: no waiting
// and no nested event loops on the window thread).
//
// Two kinds exist: the sound card (QtAudioCapture) and a WAV file replayed in real time
// (WavFileSource), so the analyser can be shown and tested without a receiver. A
// CaptureProvider lists the inputs a user may choose and opens one of them.

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/AudioFFT.h"

namespace harkola {

class CaptureSource : public QObject {
  Q_OBJECT
 public:
  explicit CaptureSource(QObject* parent = nullptr) : QObject(parent) {}

  // Starts delivering blocks. False with a reason when the input cannot be opened.
  virtual bool start(QString& error) = 0;
  // Stops delivering; no blockReady after this returns. Safe to call when stopped.
  virtual void stop() = 0;
  virtual bool isRunning() const = 0;

  // Samples delivered so far (the position in the audio, at 11025 Hz).
  long long samplesDelivered() const { return m_delivered; }

 signals:
  // One block: samples 0..511 fresh, 512..1023 zero (the transform's input as is).
  void blockReady(const harkola::SampleBlock& block);
  // The input went away while running (receiver unplugged, sound server restarted).
  // The source has stopped itself when this is emitted.
  void inputLost(const QString& reason);

 protected:
  // Cuts any amount of incoming audio into whole blocks; the remainder waits for the
  // next call, so block boundaries never depend on how the device chunks its data.
  void feed(const std::int16_t* samples, std::size_t count);
  void resetBlocks() { m_fill = 0; }

 private:
  SampleBlock m_block{};
  int m_fill = 0;
  long long m_delivered = 0;
};

struct CaptureInput {
  QByteArray id;     // opaque, for CaptureProvider::open
  QString name;      // what the user sees in the device list
};

class CaptureProvider {
 public:
  virtual ~CaptureProvider() = default;
  // The inputs that can capture 11025 Hz mono 16-bit, the preferred one first.
  virtual std::vector<CaptureInput> inputs() = 0;
  // A new, stopped source for input `id` (empty: the first of inputs()).
  virtual std::unique_ptr<CaptureSource> create(const QByteArray& id) = 0;
};

}  // namespace harkola
