#pragma once
// Network receivers (an rtl_tcp server, KiwiSDR channels) as receiver inputs on the
// window thread, event driven: blocks go to the IqSink as they arrive, stamped by a
// BlockClock from their arrival times. A link that closes, stalls (no samples for
// stallMs) or is refused in passing ("too busy") is tried again after a growing wait;
// what happened reaches the sink in words. Refusals that waiting cannot mend (a wrong
// password, a daily time limit) stop the source.

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "receiver/Backoff.h"
#include "receiver/BlockClock.h"
#include "receiver/IqSource.h"

class QTcpSocket;
class QWebSocket;

namespace harkola {

struct NetworkTiming {
  int stallMs = 5000;
  int firstRetryMs = 1000, mostRetryMs = 60000;
  int keepAliveMs = 5000;
};

class QtNetworkSource : public QObject {
  Q_OBJECT
 public:
  QtNetworkSource(IqSink& sink, NetworkTiming timing, QObject* parent = nullptr);
  // Connects, and keeps connecting again after losses until stop().
  void start();
  void stop();
  const SourceHealth& health() const { return m_health; }
  bool stopped() const { return m_stopped; }

 protected:
  // Hands a block on (time from the clock) and restarts the stall watch.
  void deliver(IqBlock& block);
  // Tells the sink and tries again later (or not at all when `final`).
  void lost(const std::string& words, bool final = false);
  virtual void reconnect() = 0;
  // Ends the connection there is, at once (stop()).
  virtual void closeLink() = 0;

  IqSink& m_sink;
  NetworkTiming m_timing;
  SourceHealth m_health;
  std::unique_ptr<BlockClock> m_clock;
  long long m_index = 0;
  QTimer m_stall, m_retry;
  Backoff m_backoff;
  bool m_stopped = true;
  bool m_delivered = false;
};

struct RtlTcpSettings {
  QString host = "127.0.0.1";
  int port = 1234;
  double rate = 2.4e6;
  double centreHz = 14.2e6;
  int gainTenthsDb = -1;  // -1: automatic
  bool directSampling = true;
};

// An rtl_tcp server: the header is checked, then rate, frequency, direct sampling and
// gain are sent as 5-byte commands; 8-bit I/Q follows.
class QtRtlTcpSource : public QtNetworkSource {
  Q_OBJECT
 public:
  QtRtlTcpSource(IqSink& sink, RtlTcpSettings s, NetworkTiming timing = {}, QObject* parent = nullptr);
  ~QtRtlTcpSource() override;
  // The tuner the server named ("R820T").
  const std::string& tuner() const { return m_tuner; }

 private:
  void reconnect() override;
  void closeLink() override;
  void onReadable();

  RtlTcpSettings m_s;
  QTcpSocket* m_socket;
  bool m_haveHeader = false;
  QByteArray m_pending;
  std::string m_tuner;
  IqBlock m_block;
};

struct KiwiSettings {
  QString host = "127.0.0.1";
  int port = 8073;
  QString password;
  double centreHz = 14.1e6;  // the channel's centre (the band's beacon frequency)
};

// One KiwiSDR channel in I/Q mode (12 kHz around one band's beacon frequency).
class QtKiwiSource : public QtNetworkSource {
  Q_OBJECT
 public:
  QtKiwiSource(IqSink& sink, KiwiSettings s, NetworkTiming timing = {}, QObject* parent = nullptr);
  ~QtKiwiSource() override;

 private:
  void reconnect() override;
  void closeLink() override;
  void onText(const QString& message);
  void onBinary(const QByteArray& message);
  void onMsg(std::string_view body);

  KiwiSettings m_s;
  QWebSocket* m_socket;
  QTimer m_keepAlive;
  double m_rate = 0.0;
  IqBlock m_block;
};

}  // namespace harkola
