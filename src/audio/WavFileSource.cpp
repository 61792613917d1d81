#include "audio/WavFileSource.h"

#include <QTimer>

#include "audio/WavFile.h"

namespace harkola {

namespace {
// The timer only paces the release; the number of blocks comes from the elapsed time,
// so a late timer never slows the audio down.
constexpr int kPumpIntervalMs = 40;  // a little under one block (46.4 ms)
// After a stall (a suspended machine) at most about a second is caught up at once; the
// rest is skipped, as a sound card that overran would.
constexpr long long kMaxCatchUpBlocks = 22;
}  // namespace

WavFileSource::WavFileSource(std::vector<std::int16_t> samples, bool loop, QObject* parent)
    : CaptureSource(parent), m_samples(std::move(samples)), m_loop(loop) {}

bool WavFileSource::start(QString& error) {
  if (m_samples.size() < static_cast<std::size_t>(kBlockSamples)) {
    error = "The recording is shorter than one block of audio.";
    return false;
  }
  m_running = true;
  m_released = 0;
  resetBlocks();
  if (started) started(static_cast<long long>(m_pos));
  if (m_realTime) {
    if (!m_timer) {
      m_timer = new QTimer(this);
      m_timer->setTimerType(Qt::PreciseTimer);
      connect(m_timer, &QTimer::timeout, this, &WavFileSource::pump);
    }
    m_clock.start();
    m_timer->start(kPumpIntervalMs);
  }
  return true;
}

void WavFileSource::stop() {
  m_running = false;
  if (m_timer) m_timer->stop();
}

void WavFileSource::pump() {
  if (!m_running) return;
  const long long due = m_clock.elapsed() * kSampleRate / 1000;
  long long blocks = (due - m_released) / kBlockSamples;
  if (blocks > kMaxCatchUpBlocks) {
    m_released += (blocks - kMaxCatchUpBlocks) * kBlockSamples;
    blocks = kMaxCatchUpBlocks;
  }
  if (blocks > 0) deliverBlocks(static_cast<int>(blocks));
}

int WavFileSource::deliverBlocks(int blocks) {
  int done = 0;
  while (m_running && done < blocks) {
    if (m_pos + kBlockSamples > m_samples.size()) {
      if (!m_loop) {
        stop();
        break;
      }
      m_pos = 0;  // a part block at the end is dropped, so blocks stay aligned
    }
    m_released += kBlockSamples;
    const std::int16_t* p = m_samples.data() + m_pos;
    m_pos += kBlockSamples;
    ++done;
    feed(p, kBlockSamples);
  }
  return done;
}

std::unique_ptr<WavFileInputs> WavFileInputs::fromFile(const std::filesystem::path& path,
                                                       std::string& error, bool loop) {
  WavAudio audio;
  if (!readWav(path, audio, error)) return nullptr;
  std::vector<std::int16_t> mono = toAnalyserFormat(audio);
  if (mono.size() < static_cast<std::size_t>(kBlockSamples)) {
    error = path.string() + " holds less than 50 ms of audio.";
    return nullptr;
  }
  return std::make_unique<WavFileInputs>(
      std::move(mono), QString::fromStdString("Recording: " + path.filename().string()), loop);
}

std::vector<CaptureInput> WavFileInputs::inputs() { return {{QByteArray("wav"), m_name}}; }

std::unique_ptr<CaptureSource> WavFileInputs::create(const QByteArray&) {
  auto s = std::make_unique<WavFileSource>(m_samples, m_loop);
  s->setRealTime(realTime);
  s->started = started;
  lastCreated = s.get();
  return s;
}

}  // namespace harkola
