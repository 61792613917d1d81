// rtl_tcp and KiwiSDR clients against servers of the test's own on 127.0.0.1: the
// commands and messages they send, the samples they hand on, and what they do when a
// server closes, stalls, is too busy or refuses the password.
#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>

#include "support/WaitFor.h"
#include "receiver/QtNetworkSource.h"

namespace harkola {
namespace {

using test::waitFor;

struct Collector : IqSink {
  long long samples = 0;
  IqBlock last;
  std::vector<std::string> events;
  void onBlock(const IqBlock& b) override {
    samples += static_cast<long long>(b.samples.size());
    last = b;
  }
  void onEvent(ReadStatus, const std::string& text) override { events.push_back(text); }
  bool said(const std::string& words) const {
    for (const auto& e : events)
      if (e.find(words) != std::string::npos) return true;
    return false;
  }
};

const NetworkTiming kQuick{300, 50, 200, 100};

// The server sends its header and 1000 samples of (255, 0), then stalls; a second
// connection is closed at once.
TEST(RtlTcp, SetsTheReceiverAndHandsOnSamplesThenReconnectsAfterStallAndClose) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  QByteArray commands;
  int connections = 0;
  QObject::connect(&server, &QTcpServer::newConnection, [&] {
    QTcpSocket* s = server.nextPendingConnection();
    if (++connections > 1) {
      s->close();
      return;
    }
    QObject::connect(s, &QTcpSocket::readyRead, [&, s] { commands += s->readAll(); });
    s->write(QByteArray("RTL0\0\0\0\x05\0\0\0\x1d", 12));
    QByteArray iq;
    for (int i = 0; i < 1000; ++i) iq += QByteArray("\xff\x00", 2);
    s->write(iq);
  });
  Collector sink;
  RtlTcpSettings set;
  set.port = server.serverPort();
  set.centreHz = 14.2e6;
  set.gainTenthsDb = 296;
  QtRtlTcpSource src(sink, set, kQuick);
  src.start();
  ASSERT_TRUE(waitFor([&] { return sink.samples == 1000 && commands.size() >= 25; }, 5000));
  EXPECT_EQ(src.tuner(), "R820T");
  EXPECT_EQ(commands.toHex(), "02" "00249f00" "09" "00000002" "01" "00d8acc0" "03" "00000001" "04" "00000128");
  EXPECT_EQ(sink.last.rate, 2.4e6);
  EXPECT_NEAR(sink.last.samples[0].real(), 0.996, 0.001);
  ASSERT_TRUE(waitFor([&] { return sink.said("closed the connection"); }, 5000));
  EXPECT_TRUE(sink.said("the link stalled; trying again"));
  EXPECT_GE(src.health().reconnects, 2);
}

struct KiwiServer {
  // What the server answers to the client's auth message.
  explicit KiwiServer(QByteArray answer) : server("kiwi", QWebSocketServer::NonSecureMode) {
    server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server, &QWebSocketServer::newConnection, [this, answer] {
      QWebSocket* s = server.nextPendingConnection();
      path = s->requestUrl().path();
      QObject::connect(s, &QWebSocket::textMessageReceived, [this, s, answer](const QString& m) {
        received << m;
        if (m.startsWith("SET auth")) s->sendBinaryMessage(answer);
        if (m.startsWith("SET mod=iq")) {
          // One SND frame of 100 samples: I = 16384, Q = -16384 (big-endian).
          QByteArray f("SND\0", 4);
          f += QByteArray("\x07\0\0\0" "\x04\xd2" "\x05\0" "\0\0\0\0" "\0\0\0\0", 16);
          for (int i = 0; i < 100; ++i) f += QByteArray("\x40\x00\xc0\x00", 4);
          s->sendBinaryMessage(f);
        }
      });
    });
  }
  QWebSocketServer server;
  QString path;
  QStringList received;
};

// A KiwiSDR client of `kiwi`, started.
struct KiwiClient {
  explicit KiwiClient(KiwiServer& kiwi, const QString& password = "", double centreHz = 14.1e6)
      : src(sink, KiwiSettings{"127.0.0.1", kiwi.server.serverPort(), password, centreHz}, kQuick) {
    src.start();
  }
  ~KiwiClient() { src.stop(); }
  Collector sink;
  QtKiwiSource src;
};

TEST(Kiwi, AuthenticatesSetsIqChannelAndKeepsAlive) {
  KiwiServer kiwi(QByteArray("MSG badp=0 version_maj=1 sample_rate=12001.135"));
  KiwiClient client(kiwi, "two words", 24.93e6);
  const Collector& sink = client.sink;
  ASSERT_TRUE(waitFor([&] { return sink.samples == 100 && kiwi.received.count("SET keepalive") >= 3; }, 5000));
  EXPECT_TRUE(kiwi.path.endsWith("/SND"));
  EXPECT_EQ(kiwi.received.value(0), "SET auth t=kiwi p=two%20words");
  EXPECT_TRUE(kiwi.received.contains("SET mod=iq low_cut=-5000 high_cut=5000 freq=24930.000"));
  EXPECT_EQ(std::tuple(sink.last.rate, sink.last.centreHz, sink.last.samples[0]),
            std::tuple(12001.135, 24.93e6, IqSample(0.5f, -0.5f)));
}

// Busy and down are retried; a refused password and a time limit stop the source.
TEST(Kiwi, RefusalsAreShownInWords) {
  const struct {
    const char *answer, *words;
    bool retries;
  } rows[] = {{"MSG too_busy=4", "too busy: all 4 channels are in use", true},
              {"MSG badp=1", "refused the password", false},
              {"MSG ip_limit=60,10.0.0.1", "time limit reached", false},
              {"MSG down", "down for maintenance", true}};
  for (const auto& r : rows) {
    KiwiServer kiwi{QByteArray(r.answer)};
    KiwiClient client(kiwi);
    ASSERT_TRUE(waitFor([&] { return client.sink.said(r.words); }, 5000)) << r.answer;
    EXPECT_EQ(client.src.stopped(), !r.retries) << r.answer;
  }
}

}  // namespace
}  // namespace harkola
