#include "receiver/ReceiverRun.h"

#include <QMetaObject>

#include "clock/SlotLog.h"
#include "receiver/BandReceiver.h"
#include "receiver/FastChannelizer.h"
#include "receiver/IqFile.h"
#include "receiver/QtNetworkSource.h"
#include "receiver/SoapySource.h"

namespace harkola {

// One stream: its band channels, and where its audio goes (straight to the detectors
// on the window thread, or to the queue from the worker).
struct ReceiverRun::Stream : IqSink, BandAudioSink {
  ReceiverRun* run = nullptr;
  bool onWorker = false;
  std::unique_ptr<BandReceiver> rx;
  std::unique_ptr<IqSource> pull;         // worker sources
  std::unique_ptr<QtNetworkSource> push;  // window-thread sources
  bool paced = false;                     // a recording played in real time

  void onBlock(const IqBlock& b) override {
    rx->push(b, *this);
    std::lock_guard lock(run->m_lock);
    for (int band : rx->bands()) {
      BandStatus& st = run->m_status[static_cast<std::size_t>(band)];
      st.served = true;
      if (const BandChannel* c = rx->channel(band)) {
        st.noiseDbfs = c->noiseDbfs();
        st.peakDbfs = c->peakDbfs();
        st.audioSamples = c->audioCount();
      }
    }
  }
  void onEvent(ReadStatus, const std::string& text) override { run->said(text); }
  void onAudio(int band, const std::int16_t* s, std::size_t n, SysTime end) override {
    if (!onWorker) {
      run->m_detector.onAudio(band, s, n, end);
      return;
    }
    std::lock_guard lock(run->m_lock);
    run->m_queue.push_back({band, std::vector<std::int16_t>(s, s + n), end});
  }
};

ReceiverRun::ReceiverRun(const std::vector<std::string>& callsigns, QObject* parent)
    : QObject(parent), m_detector(callsigns) {}

ReceiverRun::~ReceiverRun() { stop(); }

void ReceiverRun::said(const std::string& text) {
  {
    std::lock_guard lock(m_lock);
    m_lastEvent = text;
  }
  const QString q = QString::fromStdString(text);
  QMetaObject::invokeMethod(this, [this, q] { emit eventSaid(q); }, Qt::QueuedConnection);
}

void ReceiverRun::stop() {
  m_quit = true;
  if (m_worker.joinable()) m_worker.join();
  for (auto& s : m_streams)
    if (s->push) s->push->stop();
  m_streams.clear();
  m_running = false;
  std::lock_guard lock(m_lock);
  m_queue.clear();
  m_status = {};
}

bool ReceiverRun::start(const ReceiverSettings& s, std::string& error) {
  stop();
  m_quit = false;
  m_pullHealth = {};
  m_settings = s;
  auto make = [&](std::vector<int> bands, bool worker) {
    auto st = std::make_unique<Stream>();
    st->run = this;
    st->onWorker = worker;
    st->rx = std::make_unique<BandReceiver>(std::move(bands), worker);
    return st;
  };
  const double centre = s.centreHz > 0 ? s.centreHz : centreFor(s.rate, s.bands);
  switch (s.kind) {
    case ReceiverKind::SoundCard:
      error = "The sound card is listened to by the analyser, not here.";
      return false;
    case ReceiverKind::Soapy: {
      auto src = std::make_unique<SoapySource>();
      SoapySettings set{s.soapyArgs, s.rate, centre, s.gainDb, s.directSampling};
      // The transforms are measured before the device streams, not on its first block,
      // or the first second or two of samples would be lost to an overflow.
      if (s.rate >= kWideRate) FastChannelizer::planAhead(s.rate);
      if (!src->open(set)) {
        error = src->error();
        return false;
      }
      auto st = make(s.bands, true);
      st->pull = std::move(src);
      m_streams.push_back(std::move(st));
      break;
    }
    case ReceiverKind::IqFile: {
      auto src = std::make_unique<IqFileSource>();
      IqFileInfo info;
      if (s.iqFormat != "wav") info.format = iqFormatFromName(s.iqFormat);
      info.rate = s.rate;
      if (s.centreHz > 0) info.centreHz = s.centreHz;
      info.start = std::chrono::system_clock::now();
      if (!src->open(s.iqFile, info, error)) return false;
      auto st = make(s.bands, true);
      st->pull = std::move(src);
      st->paced = true;
      m_streams.push_back(std::move(st));
      break;
    }
    case ReceiverKind::RtlTcp: {
      auto st = make(s.bands, false);
      RtlTcpSettings set;
      set.host = QString::fromStdString(s.rtlHost);
      set.port = s.rtlPort;
      set.rate = s.rate;
      set.centreHz = centre;
      set.gainTenthsDb = s.gainDb ? static_cast<int>(*s.gainDb * 10) : -1;
      set.directSampling = s.directSampling;
      st->push = std::make_unique<QtRtlTcpSource>(*st, set);
      m_streams.push_back(std::move(st));
      break;
    }
    case ReceiverKind::Kiwi: {
      if (s.kiwiHost.empty()) {
        error = "The KiwiSDR needs its host name.";
        return false;
      }
      for (int band : s.bands) {
        auto st = make({band}, false);
        KiwiSettings set;
        set.host = QString::fromStdString(s.kiwiHost);
        set.port = s.kiwiPort;
        set.password = QString::fromStdString(s.kiwiPassword);
        set.centreHz = static_cast<double>(bandInfo(band).hz);
        st->push = std::make_unique<QtKiwiSource>(*st, set);
        m_streams.push_back(std::move(st));
      }
      break;
    }
  }
  for (auto& st : m_streams)
    if (st->push) st->push->start();
  if (!m_streams.empty() && m_streams.front()->pull) {
    Stream* st = m_streams.front().get();
    m_worker = std::thread([this, st] { workerLoop(st); });
  }
  m_running = true;
  return true;
}

void ReceiverRun::workerLoop(Stream* s) {
  IqBlock block;
  const auto started = std::chrono::steady_clock::now();
  while (!m_quit) {
    const ReadStatus r = s->pull->read(block);
    {
      std::lock_guard lock(m_lock);
      m_pullHealth = s->pull->health();
    }
    if (r == ReadStatus::Block) {
      if (s->paced) {  // no faster than real time
        const auto due = started + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                       std::chrono::duration<double>(block.index / block.rate));
        while (!m_quit && std::chrono::steady_clock::now() < due) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      s->onBlock(block);
    } else if (r == ReadStatus::Overflow) {
      said("The receiver lost samples (overflow)");
    } else if (r == ReadStatus::End) {
      said("The recording has ended");
      break;
    } else if (r == ReadStatus::Failed) {
      said(s->pull->error());
      break;
    }
  }
}

std::vector<SlotMeasurement> ReceiverRun::tick(SysTime now) {
  std::vector<Audio> audio;
  {
    std::lock_guard lock(m_lock);
    audio.swap(m_queue);
  }
  for (const Audio& a : audio) m_detector.onAudio(a.band, a.samples.data(), a.samples.size(), a.end);
  if (!m_running) return {};
  m_detector.tick(now);
  std::vector<SlotMeasurement> out = m_detector.takeMeasurements();
  std::lock_guard lock(m_lock);
  for (const SlotMeasurement& m : out) m_lastResult[static_cast<std::size_t>(m.slot.band)] = resultLine(m);
  return out;
}

std::array<BandStatus, kBandCount> ReceiverRun::status() const {
  std::lock_guard lock(m_lock);
  auto out = m_status;
  for (int b = 0; b < kBandCount; ++b) out[static_cast<std::size_t>(b)].last = m_lastResult[static_cast<std::size_t>(b)];
  return out;
}

SourceHealth ReceiverRun::health() const {
  std::lock_guard lock(m_lock);
  SourceHealth h = m_pullHealth;
  for (const auto& s : m_streams)
    if (s->push) {
      const SourceHealth& p = s->push->health();
      h.samples += p.samples;
      h.overflows += p.overflows;
      h.timeouts += p.timeouts;
      h.reconnects += p.reconnects;
    }
  return h;
}

std::string ReceiverRun::lastEvent() const {
  std::lock_guard lock(m_lock);
  return m_lastEvent;
}

}  // namespace harkola
