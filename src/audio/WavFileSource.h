#pragma once
// A recording replayed as if it came from the sound card: blocks of 512 samples are
// released at the pace of real time (11025 samples per second) by a timer, so the
// analyser, the clock and the display behave as they would with a receiver. The
// recording repeats at its end when asked to (demonstrations), else the source stops.

#include <QElapsedTimer>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "audio/CaptureSource.h"

class QTimer;

namespace harkola {

class WavFileSource : public CaptureSource {
  Q_OBJECT
 public:
  // `samples`: mono 16-bit at 11025 Hz.
  WavFileSource(std::vector<std::int16_t> samples, bool loop, QObject* parent = nullptr);

  bool start(QString& error) override;
  void stop() override;
  bool isRunning() const override { return m_running; }

  // Releases `blocks` blocks at once, without waiting for real time (tests and
  // simulations that drive their own clock). Returns how many were released.
  int deliverBlocks(int blocks);
  // When false, start() does not start the real-time timer (deliverBlocks drives it).
  void setRealTime(bool on) { m_realTime = on; }
  // Called by start() with the position of the next sample to play (samples from the
  // recording's start), before any block: a clock that follows the recording anchors
  // itself there.
  std::function<void(long long)> started;

 private:
  void pump();

  std::vector<std::int16_t> m_samples;
  bool m_loop;
  bool m_running = false;
  bool m_realTime = true;
  std::size_t m_pos = 0;
  QTimer* m_timer = nullptr;
  QElapsedTimer m_clock;
  long long m_released = 0;  // samples released since start()
};

// The one input of a replayed recording.
class WavFileInputs : public CaptureProvider {
 public:
  // `samples` as for WavFileSource; `name` is what the device list shows.
  WavFileInputs(std::vector<std::int16_t> samples, QString name, bool loop = true)
      : m_samples(std::move(samples)), m_name(std::move(name)), m_loop(loop) {}

  // Reads a WAV file (any rate and channel count of 16-bit PCM) and converts it to the
  // analyser's format. Null with a message in `error` when it cannot be used.
  static std::unique_ptr<WavFileInputs> fromFile(const std::filesystem::path& path,
                                                 std::string& error, bool loop = true);

  std::vector<CaptureInput> inputs() override;
  std::unique_ptr<CaptureSource> create(const QByteArray& id) override;

  // Sources made by create() release blocks only through deliverBlocks.
  bool realTime = true;
  // Given to every source made by create() (see WavFileSource::started).
  std::function<void(long long)> started;
  // The last source made by create() (for tests); owned by whoever called create().
  WavFileSource* lastCreated = nullptr;

 private:
  std::vector<std::int16_t> m_samples;
  QString m_name;
  bool m_loop;
};

}  // namespace harkola
