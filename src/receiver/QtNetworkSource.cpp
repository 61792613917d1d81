#include "receiver/QtNetworkSource.h"

#include <QDateTime>
#include <QTcpSocket>
#include <QUrl>
#include <QWebSocket>

#include "receiver/IqFormat.h"
#include "receiver/KiwiProtocol.h"
#include "receiver/RtlTcpProtocol.h"

namespace harkola {

QtNetworkSource::QtNetworkSource(IqSink& sink, NetworkTiming timing, QObject* parent)
    : QObject(parent), m_sink(sink), m_timing(timing), m_backoff(timing.firstRetryMs, timing.mostRetryMs) {
  m_stall.setSingleShot(true);
  m_retry.setSingleShot(true);
  connect(&m_stall, &QTimer::timeout, this, [this] {
    lost("no samples for " + std::to_string(m_timing.stallMs / 1000.0).substr(0, 3) + " s: the link stalled");
  });
  connect(&m_retry, &QTimer::timeout, this, [this] {
    if (!m_stopped) reconnect();
  });
}

void QtNetworkSource::start() {
  m_stopped = false;
  reconnect();
}

void QtNetworkSource::stop() {
  m_stopped = true;
  m_stall.stop();
  m_retry.stop();
  closeLink();
}

void QtNetworkSource::deliver(IqBlock& block) {
  if (!m_clock || m_clock->nominalRate() != block.rate) m_clock = std::make_unique<BlockClock>(block.rate);
  block.index = m_index;
  block.time = m_clock->place(m_index, block.samples.size(), std::chrono::system_clock::now());
  m_index += static_cast<long long>(block.samples.size());
  m_health.samples += static_cast<long long>(block.samples.size());
  if (!m_delivered) m_backoff.succeeded();
  m_delivered = true;
  m_stall.start(m_timing.stallMs);
  m_sink.onBlock(block);
}

void QtNetworkSource::lost(const std::string& words, bool final) {
  m_stall.stop();
  if (m_stopped) return;
  // Samples lost uncounted: the clock starts afresh on the next connection.
  if (m_clock) m_clock->restart();
  if (final) {
    stop();
    m_sink.onEvent(ReadStatus::Failed, words);
    return;
  }
  const int wait = m_backoff.next();
  ++m_health.reconnects;
  m_sink.onEvent(ReadStatus::Timeout, words + "; trying again in " + std::to_string((wait + 999) / 1000) + " s");
  m_delivered = false;
  m_retry.start(wait);
}

// --- rtl_tcp ---------------------------------------------------------------------------

QtRtlTcpSource::QtRtlTcpSource(IqSink& sink, RtlTcpSettings s, NetworkTiming timing, QObject* parent)
    : QtNetworkSource(sink, timing, parent), m_s(std::move(s)), m_socket(new QTcpSocket(this)) {
  connect(m_socket, &QTcpSocket::readyRead, this, &QtRtlTcpSource::onReadable);
  connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
    const std::string what = e == QAbstractSocket::RemoteHostClosedError ? "the rtl_tcp server closed the connection"
                                                                         : "rtl_tcp: " + m_socket->errorString().toStdString();
    m_socket->abort();
    lost(what);
  });
}

QtRtlTcpSource::~QtRtlTcpSource() { stop(); }

void QtRtlTcpSource::closeLink() { m_socket->abort(); }

void QtRtlTcpSource::reconnect() {
  m_socket->abort();
  m_haveHeader = false;
  m_pending.clear();
  m_socket->connectToHost(m_s.host, static_cast<quint16>(m_s.port));
  m_stall.start(m_timing.stallMs);
}

void QtRtlTcpSource::onReadable() {
  m_pending += m_socket->readAll();
  if (!m_haveHeader) {
    if (m_pending.size() < static_cast<int>(rtltcp::kHeaderBytes)) return;
    const auto h = rtltcp::parseHeader(reinterpret_cast<const std::uint8_t*>(m_pending.constData()));
    if (!h) {
      m_socket->abort();
      lost("the server at " + m_s.host.toStdString() + ":" + std::to_string(m_s.port) + " does not speak rtl_tcp",
           true);
      return;
    }
    m_tuner = rtltcp::tunerName(h->tuner);
    m_pending.remove(0, static_cast<int>(rtltcp::kHeaderBytes));
    m_haveHeader = true;
    using rtltcp::Command;
    auto send = [this](Command c, std::uint32_t v) {
      const auto b = rtltcp::command(c, v);
      m_socket->write(reinterpret_cast<const char*>(b.data()), 5);
    };
    send(Command::SampleRate, static_cast<std::uint32_t>(m_s.rate));
    send(Command::DirectSampling, m_s.directSampling ? 2 : 0);
    send(Command::Frequency, static_cast<std::uint32_t>(m_s.centreHz));
    send(Command::GainMode, m_s.gainTenthsDb < 0 ? 0 : 1);
    if (m_s.gainTenthsDb >= 0) send(Command::Gain, static_cast<std::uint32_t>(m_s.gainTenthsDb));
    m_sink.onEvent(ReadStatus::Block, "rtl_tcp server with the " + m_tuner + " tuner");
  }
  const std::size_t samples = static_cast<std::size_t>(m_pending.size()) / 2;
  if (samples == 0) return;
  m_block.samples.resize(samples);
  convertIq(IqFormat::CU8, reinterpret_cast<const unsigned char*>(m_pending.constData()), samples,
            m_block.samples.data());
  m_pending.remove(0, static_cast<int>(samples * 2));
  m_block.rate = m_s.rate;
  m_block.centreHz = m_s.centreHz;
  deliver(m_block);
}

// --- KiwiSDR -----------------------------------------------------------------------------

QtKiwiSource::QtKiwiSource(IqSink& sink, KiwiSettings s, NetworkTiming timing, QObject* parent)
    : QtNetworkSource(sink, timing, parent), m_s(std::move(s)), m_socket(new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this)) {
  connect(m_socket, &QWebSocket::connected, this, [this] {
    m_socket->sendTextMessage(QString::fromStdString(kiwi::authMessage(m_s.password.toStdString())));
  });
  connect(m_socket, &QWebSocket::textMessageReceived, this, &QtKiwiSource::onText);
  connect(m_socket, &QWebSocket::binaryMessageReceived, this, &QtKiwiSource::onBinary);
  connect(m_socket, &QWebSocket::disconnected, this, [this] {
    m_keepAlive.stop();
    if (!m_stopped && !m_retry.isActive()) lost("the KiwiSDR closed the connection");
  });
  connect(&m_keepAlive, &QTimer::timeout, this, [this] { m_socket->sendTextMessage(kiwi::kKeepAlive); });
}

QtKiwiSource::~QtKiwiSource() {
  m_stopped = true;
  m_socket->abort();
}

void QtKiwiSource::closeLink() {
  m_keepAlive.stop();
  m_socket->close();
}

void QtKiwiSource::reconnect() {
  m_socket->abort();
  m_rate = 0.0;
  QUrl url;
  url.setScheme("ws");
  url.setHost(m_s.host);
  url.setPort(m_s.port);
  url.setPath(QString::fromStdString(kiwi::streamPath(QDateTime::currentSecsSinceEpoch())));
  m_socket->open(url);
  m_stall.start(m_timing.stallMs);
}

void QtKiwiSource::onText(const QString& message) {
  const std::string m = message.toStdString();
  if (m.rfind("MSG ", 0) == 0) onMsg(std::string_view(m).substr(4));
}

void QtKiwiSource::onBinary(const QByteArray& message) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(message.constData());
  if (message.startsWith("MSG ")) {
    onMsg(std::string_view(message.constData() + 4, static_cast<std::size_t>(message.size() - 4)));
    return;
  }
  kiwi::SndFrame f;
  if (m_rate <= 0 || !kiwi::parseSnd(p, static_cast<std::size_t>(message.size()), f) || f.samples.empty()) return;
  m_block.samples = std::move(f.samples);
  m_block.rate = m_rate;
  m_block.centreHz = m_s.centreHz;
  deliver(m_block);
}

void QtKiwiSource::onMsg(std::string_view body) {
  for (const kiwi::Event& e : kiwi::parseMsg(body)) {
    using K = kiwi::Event::Kind;
    if (e.kind == K::SampleRate) {
      m_rate = e.value;
      for (const std::string& s : kiwi::channelMessages(m_s.centreHz)) m_socket->sendTextMessage(QString::fromStdString(s));
      m_keepAlive.start(m_timing.keepAliveMs);
      m_sink.onEvent(ReadStatus::Block, kiwi::describe(e));
    } else if (kiwi::isRefusal(e)) {
      m_keepAlive.stop();
      // Waiting helps a busy or resting receiver, not a wrong password or a used-up day.
      const bool final = e.kind == K::BadPassword || e.kind == K::TimeLimit || e.kind == K::Kicked;
      lost(kiwi::describe(e), final);
      m_socket->abort();
      return;
    }
  }
}

}  // namespace harkola
