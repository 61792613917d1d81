// Rig links against real devices. Rig sessions through the program's own serial port
// adapter onto a real pty pair made by socat; the test reads what arrives at the far
// end. Skipped without socat.

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <unistd.h>

#include "app/PrimaryFixture.h"
#include "rig/RigChoice.h"
#include "rig/RigLinkSettings.h"
#include "rig/RigSession.h"
#include "rig/RigTestSupport.h"
#include "rig/RigctldRig.h"
#include "rig/SerialCommandRig.h"
#include "rig/SerialRigPort.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"

namespace harkola {
namespace {

using test::hexOf;

class RigOverPty : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString socat = QStandardPaths::findExecutable("socat");
    if (socat.isEmpty()) GTEST_SKIP() << "socat is not installed";
    const std::string rigEnd = (dir_ / "ttyRig").string(), farEnd = (dir_ / "ttyFar").string();
    socat_.start(socat, {"-d", "-d", QString::fromStdString("pty,raw,echo=0,link=" + rigEnd),
                         QString::fromStdString("pty,raw,echo=0,link=" + farEnd)});
    ASSERT_TRUE(socat_.waitForStarted(3000));
    const auto made = [&] { return std::filesystem::exists(rigEnd) && std::filesystem::exists(farEnd); };
    ASSERT_TRUE(test::waitFor(made, 5000)) << "socat made no pty pair";
    far_ = ::open(farEnd.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(far_, 0);
    port.setDeviceResolver([rigEnd](const std::string&) { return rigEnd; });
  }
  void TearDown() override {
    if (far_ >= 0) ::close(far_);
    if (socat_.state() != QProcess::NotRunning) {
      socat_.terminate();
      socat_.waitForFinished(3000);
    }
  }

  void useMaker(int maker, int bandRow = 15) {
    d.RigTable = test::rigDefaults(maker);
    d.RigTable[kRigRowHandshake][1] = "None";  // a pty refuses the RTS line
    d.RigMakerCode = maker;
    d.RigBandRow = static_cast<std::int16_t>(bandRow);
  }

  // What reached the far end, waiting up to 3 s for `count` bytes.
  std::string readFar(std::size_t count) {
    std::string got;
    test::waitFor([&] {
      char buf[256];
      pollfd p{far_, POLLIN, 0};
      const ssize_t n = ::poll(&p, 1, 50) > 0 && (p.revents & POLLIN) ? ::read(far_, buf, sizeof buf) : 0;
      if (n > 0) got.append(buf, static_cast<std::size_t>(n));
      return got.size() >= count;
    }, 3000);
    return got;
  }

  test::TempFolder dir_{"harkola-pty"};
  QProcess socat_;
  int far_ = -1;
  PublicDecs d;
  test::ScriptedDialogs dialogs;
  SerialRigPort port;
  RigCtrl rig{d, port, dialogNotifierFor(nullptr)};
  SerialCommandRig commandRig{d, rig};
  RigSession session{d, commandRig, dialogNotifierFor(nullptr)};
};

// What the real port adds to the sessions checked on a recording port: a Kenwood start
// arrives as its text and the port is closed after it; Yaesu zero bytes arrive unchanged.
TEST_F(RigOverPty, SessionsAndBandChangesReachTheFarEnd) {
  useMaker(kRigKenwood, 17);
  d.RigTested = true;
  ASSERT_EQ(session.toggle(2), RigSession::Toggle::Started);
  EXPECT_EQ(readFar(35), "MD3;FW0500;EX0380001;FA00021150000;");
  EXPECT_FALSE(port.isOpen());
  useMaker(kRigYaesu, 16);
  rig.SendBandCommand();
  EXPECT_EQ(hexOf(readFar(5)), "00 10 81 01 0A");
  EXPECT_FALSE(d.RigPortError);
}

TEST_F(RigOverPty, TheFarEndVanishingMidSessionGivesOneMessageAndClosesThePort) {
  useMaker(kRigKenwood);
  rig.OpenRigPort();
  ASSERT_FALSE(d.RigPortError);
  rig.SendRigCommand(7);
  EXPECT_EQ(readFar(4), "MD3;");
  socat_.kill();
  ASSERT_TRUE(socat_.waitForFinished(3000));
  for (int row = 8; row <= 20; ++row) rig.SendRigCommand(row);
  EXPECT_TRUE(d.RigPortError);
  EXPECT_FALSE(port.isOpen());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text.rfind("There has been an error writing to the serial port. ", 0), 0u);
}

// The modem lines: DTR is never set or cleared, and RTS is touched only for the flow
// control kinds that raise it. A pty refuses every modem-line call with an
// UnsupportedOperationError, so any call at all shows up here as that error.
TEST_F(RigOverPty, ModemLinesAreLeftAloneExceptRtsForTheRtsKinds) {
  int dtrChanges = 0, rtsChanges = 0, lineCalls = 0;
  QObject::connect(&port.device(), &QSerialPort::dataTerminalReadyChanged, [&](bool) { ++dtrChanges; });
  QObject::connect(&port.device(), &QSerialPort::requestToSendChanged, [&](bool) { ++rtsChanges; });
  QObject::connect(&port.device(), &QSerialPort::errorOccurred, [&](QSerialPort::SerialPortError e) {
    if (e == QSerialPort::UnsupportedOperationError) ++lineCalls;
  });
  useMaker(kRigKenwood, 15);
  for (const char* handshake : {"None", "Xon/Xoff", "RTS"}) {
    d.RigTable[kRigRowHandshake][1] = handshake;
    rig.SendSessionStartCommands();
    rig.SendSessionFinishCommands();
    EXPECT_FALSE(d.RigPortError) << handshake;
    EXPECT_EQ(lineCalls, 0) << handshake;
  }
  // Three start and finish sequences of 35 bytes each all arrived.
  EXPECT_EQ(readFar(210).size(), 210u);
  // A pty has no RTS line: raising it fails as it would on a port without modem lines,
  // and that is a port error that names the line, not a silent success.
  d.RigTable[kRigRowHandshake][1] = "RTSXOnXOff";
  rig.SendBandCommand();
  EXPECT_GT(lineCalls, 0) << "RTS raised for RTSXOnXOff";
  EXPECT_EQ(std::pair(dtrChanges, rtsChanges), std::pair(0, 0));
  EXPECT_TRUE(d.RigPortError);
  EXPECT_FALSE(port.isOpen());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("setting the RTS line"), std::string::npos) << dialogs.messages[0].text;
  EXPECT_EQ(readFar(1), "");
}

// A device that does not exist and one another program holds are told apart, so the
// window can give the advice that fits.
TEST_F(RigOverPty, MissingAndBusyDevicesAreToldApart) {
  PortSettings s;
  s.portNumber = "1";
  s.line = parseLineSettings("9600,N,8,1");
  PortError e;
  ASSERT_TRUE(port.open(s, e)) << e.description;
  SerialRigPort other;
  other.setDeviceResolver([this](const std::string&) { return (dir_ / "ttyRig").string(); });
  EXPECT_FALSE(other.open(s, e));
  EXPECT_EQ(e.kind, PortFault::Busy) << e.description;
  other.setDeviceResolver([this](const std::string&) { return (dir_ / "ttyNone").string(); });
  EXPECT_FALSE(other.open(s, e));
  EXPECT_EQ(e.kind, PortFault::NoDevice) << e.description;
}

// The rigctld link against a real rigctld with Hamlib's dummy rig (-m 1) on a free local
// port, started and stopped by the test; a second client asks it in the plain protocol
// what the rig was set to. Skipped when rigctld is not installed (Debian: libhamlib-utils).
class RigctldServer {
 public:
  // Empty when rigctld is not installed (the caller skips).
  static QString executable() { return QStandardPaths::findExecutable("rigctld"); }

  RigctldServer() {
    QTcpServer probe;
    if (probe.listen(QHostAddress::LocalHost, 0)) port_ = probe.serverPort();
  }
  ~RigctldServer() { stop(); }

  quint16 port() const { return port_; }

  // Starts it and waits until it listens; false (with a test failure) when it does not.
  bool start() {
    process_.start(executable(), {"-m", "1", "-T", "127.0.0.1", "-t", QString::number(port_)});
    // Listening is not yet answering: a link's first connection to a dummy rigctld that
    // has only just started may be closed unanswered, so it is up once it has answered.
    const bool up = process_.waitForStarted(3000) && test::waitFor([this] {
      QTcpSocket s;
      s.connectToHost(QHostAddress::LocalHost, port_);
      return s.waitForConnected(200);
    }, 5000) && !ask("f").isEmpty();
    if (!up) ADD_FAILURE() << "rigctld does not start and listen on port " << port_;
    return up;
  }
  // Kills it as a crash would.
  void stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(3000);
  }

  // One command in the plain protocol and its reply lines ("m" answers two lines). The
  // dummy rigctld now and then leaves a fresh connection unanswered; the question is then
  // asked again on a new connection (reads and sets of the dummy rig are repeatable).
  QStringList ask(const QString& command) {
    const int expected = command == "m" ? 2 : 1;
    QByteArray got;
    for (int attempt = 0; attempt < 3 && got.count('\n') < expected; ++attempt) {
      got.clear();
      QTcpSocket s;
      s.connectToHost(QHostAddress::LocalHost, port_);
      if (!s.waitForConnected(2000)) continue;
      s.write((command + "\n").toLatin1());
      s.waitForBytesWritten(2000);
      QElapsedTimer t;
      t.start();
      while (got.count('\n') < expected && t.elapsed() < 1500) {
        if (s.waitForReadyRead(200)) got += s.readAll();
      }
    }
    EXPECT_GE(got.count('\n'), expected) << "rigctld gave no answer to " << command.toStdString();
    return QString::fromLatin1(got).split('\n', Qt::SkipEmptyParts);
  }
  QString frequency() { return ask("f").value(0); }
  QString mode() { return ask("m").join(' '); }

 private:
  quint16 port_ = 0;
  QProcess process_;
};

class RigctldLink : public ::testing::Test {
 protected:
  void SetUp() override {
    if (RigctldServer::executable().isEmpty())
      GTEST_SKIP() << "rigctld is not installed (Debian package libhamlib-utils)";
    ASSERT_TRUE(server_.start());
  }
  // The link under test, with every line it writes kept.
  std::unique_ptr<RigctldRig> link(int timeoutMs = 3000) {
    auto r = std::make_unique<RigctldRig>("localhost", server_.port(), timeoutMs);
    r->setTrace([this](const std::string& l) { sent_.push_back(l); });
    return r;
  }

  // Whatever a test did, the link sent frequency and mode reads and sets and S-meter
  // reads only: never T (PTT), \send_morse, \send_cmd or any other command.
  void expectOnlyFrequencyModeAndLevelReads() {
    static const QRegularExpression allowed(
        R"(^\+(f|m|l STRENGTH|F [1-9][0-9]*|M [A-Z0-9]+ (-1|[0-9]+))\n$)");
    for (const std::string& l : sent_)
      EXPECT_TRUE(allowed.match(QString::fromStdString(l)).hasMatch()) << "sent: " << l;
  }

  RigctldServer server_;
  std::vector<std::string> sent_;
};

TEST_F(RigctldLink, SessionTunesEveryBandReadsTheMeterAndPutsTheRigBack) {
  server_.ask("F 7050000");
  server_.ask("M USB 2400");
  auto rig = link();
  const RigResult started = rig->startSession(2);
  ASSERT_TRUE(started) << started.message;
  EXPECT_EQ(server_.frequency(), "21150000");
  EXPECT_TRUE(server_.mode().startsWith("CW ")) << server_.mode().toStdString();

  // The only check of every band's beacon frequency as a rig is tuned to it.
  const char* hz[] = {"14100000", "18110000", "21150000", "24930000", "28200000"};
  for (int band = 0; band < 5; ++band) {
    const RigResult r = rig->changeBand(band);
    EXPECT_TRUE(r) << r.message;
    EXPECT_EQ(server_.frequency(), hz[band]) << "band " << band;
  }
  const SMeterReading s = rig->readSLevel();
  EXPECT_TRUE(s.result && s.sLevel >= 1 && s.sLevel <= 9) << s.result.message << " S" << s.sLevel;

  const RigResult finished = rig->finishSession();
  EXPECT_TRUE(finished) << finished.message;
  EXPECT_EQ(server_.frequency(), "7050000");
  EXPECT_EQ(server_.mode(), "USB 2400");
  EXPECT_FALSE(rig->sessionRunning());
  expectOnlyFrequencyModeAndLevelReads();
}

// No server: explained, nothing sent, nothing left running. A server lost mid-session
// gives one failure without hanging; a start afterwards reconnects.
TEST_F(RigctldLink, NoServerAndALostServerGiveOneFailureWithoutHangingAndAStartReconnects) {
  server_.stop();
  auto rig = link(2000);
  QElapsedTimer t;
  t.start();
  const RigResult none = rig->startSession(0);
  EXPECT_LT(t.elapsed(), 2500);
  EXPECT_FALSE(none);
  EXPECT_NE(none.message.find("Is rigctld running?"), std::string::npos) << none.message;
  EXPECT_FALSE(rig->sessionRunning());
  EXPECT_FALSE(rig->changeBand(1));
  EXPECT_TRUE(sent_.empty());

  ASSERT_TRUE(server_.start());
  ASSERT_TRUE(rig->startSession(0));
  server_.stop();
  t.restart();
  const RigResult change = rig->changeBand(1);
  const RigResult again = rig->changeBand(2);
  const SMeterReading meter = rig->readSLevel();
  const RigResult finish = rig->finishSession();
  EXPECT_LT(t.elapsed(), 3000) << "bounded by one reply timeout";
  EXPECT_FALSE(change);
  EXPECT_NE(change.message.find("Rig control has stopped"), std::string::npos) << change.message;
  // Reported once: the later calls of the session fail quietly.
  for (const RigResult& r : {again, meter.result, finish}) {
    EXPECT_FALSE(r);
    EXPECT_EQ(r.message, "");
  }

  ASSERT_TRUE(server_.start());
  const RigResult restarted = rig->startSession(3);
  EXPECT_TRUE(restarted) << restarted.message;
  EXPECT_EQ(server_.frequency(), "24930000");
  EXPECT_TRUE(rig->finishSession());
  expectOnlyFrequencyModeAndLevelReads();
}

// Rig control of the main window over the rigctld link chosen in Rig setup, against a
// real rigctld with the dummy rig. Skipped when rigctld is not installed.
class RigctldMainWindow : public test::PrimaryFixture {
 protected:
  void SetUp() override {
    if (RigctldServer::executable().isEmpty())
      GTEST_SKIP() << "rigctld is not installed (Debian package libhamlib-utils)";
    ASSERT_TRUE(server.start());
    RigLinkSettings s;
    s.kind = RigLinkKind::Rigctld;
    s.port = server.port();
    s.sLevelFromMeter = true;
    ASSERT_TRUE(kRigLinkFile.save(dir / "data", s));
    adjustServices = [this](PrimaryServices& services) {
      choice = std::make_unique<RigChoice>(d, *services.rig);
      services.rigChoice = choice.get();
    };
    ASSERT_TRUE(start(LocalTime{2026, 12, 6, 8, 0, 0, 0}));
  }

  RigctldServer server;
  std::unique_ptr<RigChoice> choice;
};

// The link chosen in Rig setup is the one the main window drives, with no setup test
// asked for; the meter is read as an S level only in a session. A server lost during a
// reading on the clock's tick is reported once, on the tick, and rig control ends. (The
// window's rig rules are checked on a recording rig, the link's own faults above.)
TEST_F(RigctldMainWindow, DrivesTheRigReadsTheMeterAndReportsALostLinkOnce) {
  EXPECT_EQ(choice->meterLevel(), std::nullopt) << "no session yet";
  win->mnuRigCtrlActivate_Click();
  ASSERT_TRUE(win->mnuRigCtrlActivate->isChecked());
  win->opgBandSelect_Click(2);
  EXPECT_EQ(server.frequency(), "21150000");
  const std::optional<int> level = choice->meterLevel();
  ASSERT_TRUE(level);
  EXPECT_TRUE(*level >= 1 && *level <= 9) << *level;

  server.stop();
  dialogs.messages.clear();
  EXPECT_EQ(choice->meterLevel(), std::nullopt);
  tick(300);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("Rig control has stopped"), std::string::npos);
  EXPECT_FALSE(win->mnuRigCtrlActivate->isChecked());
}

}  // namespace
}  // namespace harkola
