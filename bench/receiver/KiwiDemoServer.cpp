// A KiwiSDR stand-in for demonstrations and screenshots: on 127.0.0.1:PORT it answers
// the I/Q channel protocol and streams, in real time, every band's beacons at random
// strengths (some slots silent) in simulated band noise, 12000 samples per second.
//   kiwi_demo_server [PORT=8073]
#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>
#include <cmath>
#include <complex>
#include <map>
#include <random>

#include <liquid/liquid.h>

#include "BeaconAudio.h"
#include "clock/BeaconSchedule.h"
#include "common/Bands.h"
#include "receiver/FiveBandDetector.h"

using namespace harkola;

namespace {

// One band's 12 kHz I/Q, made a slot at a time from the detector tests' beacon audio.
class BandPlayer {
 public:
  explicit BandPlayer(int band) : m_band(band), m_rng(static_cast<unsigned>(band) * 77u + 1u) {
    m_hilbert = firhilbf_create(16, 70.0f);
    m_resamp = resamp_crcf_create(12000.0f / 11025.0f, 16, 0.45f, 70.0f, 64);
  }
  // The samples of [t, t + n / 12000).
  std::vector<std::complex<float>> next(SysTime now, std::size_t n) {
    if (m_slot == SysTime{}) {
      // Start inside the slot running now, at the point it has reached.
      m_slot = slotStartOf(now);
      renderSlot(now);
      const auto skip = static_cast<std::size_t>(std::chrono::duration<double>(now - slotStartOf(now)).count() * 12000);
      m_ready.erase(m_ready.begin(), m_ready.begin() + static_cast<long>(std::min(skip, m_ready.size())));
    }
    while (m_ready.size() < n) renderSlot(now);
    std::vector<std::complex<float>> out(m_ready.begin(), m_ready.begin() + static_cast<long>(n));
    m_ready.erase(m_ready.begin(), m_ready.begin() + static_cast<long>(n));
    return out;
  }

 private:
  void renderSlot(SysTime) {
    const SlotRef ref = slotRefFor(m_slot, m_band);
    testaudio::Scene s;
    s.seed = m_rng();
    s.channel.qsbDepthDb = 6;
    std::uniform_real_distribution<double> u(0, 1);
    if (u(m_rng) < 0.8) {
      static const std::vector<std::string> calls = testaudio::shippedCallsigns();
      s.beacon = testaudio::Beacon{calls[ref.beacon - 1], -18 + 36 * u(m_rng), 650 + 300 * u(m_rng), 0.05};
    }
    const auto audio = testaudio::render(s, 0.0, 10.0);
    for (std::int16_t a : audio) {
      std::complex<float> y;
      firhilbf_r2c_execute(m_hilbert, a * 1e-4f, &y);
      // The carrier at 0 Hz: audio 800 Hz is the beacon.
      y *= std::polar(1.0f, static_cast<float>(-2 * M_PI * 800.0 * m_n++ / 11025.0));
      std::complex<float> out[4];
      unsigned got = 0;
      resamp_crcf_execute(m_resamp, y, out, &got);
      m_ready.insert(m_ready.end(), out, out + got);
    }
    m_slot += std::chrono::seconds(10);
  }

  int m_band;
  std::mt19937 m_rng;
  firhilbf m_hilbert;
  resamp_crcf m_resamp;
  long long m_n = 0;
  SysTime m_slot{};
  std::vector<std::complex<float>> m_ready;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const quint16 port = static_cast<quint16>(argc > 1 ? std::atoi(argv[1]) : 8073);
  QWebSocketServer server("kiwi-demo", QWebSocketServer::NonSecureMode);
  if (!server.listen(QHostAddress::LocalHost, port)) return 1;
  std::printf("KiwiSDR stand-in on ws://127.0.0.1:%u\n", port);
  std::fflush(stdout);
  QObject::connect(&server, &QWebSocketServer::newConnection, [&] {
    QWebSocket* ws = server.nextPendingConnection();
    auto* timer = new QTimer(ws);
    auto player = std::make_shared<std::unique_ptr<BandPlayer>>();
    auto seq = std::make_shared<std::uint32_t>(0);
    auto sent = std::make_shared<long long>(0);
    auto began = std::make_shared<SysTime>();
    QObject::connect(ws, &QWebSocket::disconnected, ws, &QObject::deleteLater);
    QObject::connect(ws, &QWebSocket::textMessageReceived, [ws, timer, player](const QString& m) {
      if (m.startsWith("SET auth")) {
        ws->sendBinaryMessage("MSG badp=0");
        ws->sendBinaryMessage("MSG sample_rate=12000.000");
      } else if (m.startsWith("SET mod=iq")) {
        const double khz = m.section("freq=", 1).toDouble();
        for (const BandInfo& b : kBands)
          if (std::abs(b.hz / 1000.0 - khz) < 1) *player = std::make_unique<BandPlayer>(b.index);
        if (*player) timer->start(40);
      }
    });
    QObject::connect(timer, &QTimer::timeout, [ws, player, seq, sent, began] {
      // As many samples as are due by the wall clock (a late timer sends more).
      const SysTime now = std::chrono::system_clock::now();
      if (*began == SysTime{}) *began = now;
      const auto due = static_cast<long long>(std::chrono::duration<double>(now - *began).count() * 12000) + 480 - *sent;
      if (due <= 0) return;
      *sent += due;
      const auto iq = (*player)->next(*began, static_cast<std::size_t>(due));
      QByteArray f("SND\0", 4);
      const std::uint32_t s = (*seq)++;
      f.append(reinterpret_cast<const char*>(&s), 4);
      f.append("\x05\0", 2);
      f.append(QByteArray(10, '\xff'));
      for (const auto& v : iq) {
        for (float x : {v.real(), v.imag()}) {
          const auto q = static_cast<std::int16_t>(std::clamp(std::lround(x * 32767.0f), -32767L, 32767L));
          f.append(static_cast<char>((q >> 8) & 0xff));
          f.append(static_cast<char>(q & 0xff));
        }
      }
      ws->sendBinaryMessage(f);
    });
  });
  return app.exec();
}
