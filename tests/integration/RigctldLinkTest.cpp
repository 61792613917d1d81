// The rigctld link against a real rigctld with Hamlib's dummy rig (-m 1) on a free local
// port, started and stopped by the test; a second client checks what the rig was set to.
// Skipped when rigctld is not installed (Debian: libhamlib-utils).

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

#include "app/PrimaryFixture.h"
#include "rig/RigChoice.h"
#include "rig/RigLinkSettings.h"
#include "rig/RigctldRig.h"
#include "support/WaitFor.h"


namespace harkola {
namespace {

// A real rigctld with Hamlib's dummy rig (-m 1) on a free local port, for the tests of
// the rigctld link; and a second client that asks it in the plain protocol.
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
    const bool up = process_.waitForStarted(3000) && test::waitFor([this] {
      QTcpSocket s;
      s.connectToHost(QHostAddress::LocalHost, port_);
      return s.waitForConnected(200);
    }, 5000);
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
  ASSERT_EQ(server_.frequency(), "7050000");
  ASSERT_EQ(server_.mode(), "USB 2400");

  auto rig = link();
  const RigResult started = rig->startSession(2);
  ASSERT_TRUE(started) << started.message;
  EXPECT_EQ(server_.frequency(), "21150000");
  EXPECT_TRUE(server_.mode().startsWith("CW ")) << server_.mode().toStdString();

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
    dialogs.messages.clear();
  }
  bool redBands() const { return win->opgBandSelect[0]->styleSheet().contains("255,0,0"); }

  RigctldServer server;
  std::unique_ptr<RigChoice> choice;
};

// No setup test is asked for over rigctld; the session tunes every band change, reads
// the meter as an S level and puts the rig back. A server lost during a reading on the
// clock's tick is reported once, on the tick, and rig control ends (the link's own
// faults are checked in RigctldLinkTest).
TEST_F(RigctldMainWindow, DrivesTheRigReadsTheMeterAndReportsALostLinkOnce) {
  server.ask("F 7050000");
  server.ask("M USB 2400");
  EXPECT_EQ(choice->meterLevel(), std::nullopt) << "no session yet";
  win->mnuRigCtrlActivate_Click();
  EXPECT_EQ(dialogs.texts(),
            (std::vector<std::string>{"Please check and ensure your rig cannot transmit - see help files"}));
  ASSERT_TRUE(win->mnuRigCtrlActivate->isChecked());
  EXPECT_TRUE(redBands());
  EXPECT_EQ(server.frequency(), "14100000");
  EXPECT_TRUE(server.mode().startsWith("CW"));
  win->opgBandSelect_Click(2);
  EXPECT_EQ(server.frequency(), "21150000");
  const std::optional<int> level = choice->meterLevel();
  ASSERT_TRUE(level);
  EXPECT_TRUE(*level >= 1 && *level <= 9) << *level;
  win->mnuRigCtrlActivate_Click();
  EXPECT_EQ(server.frequency(), "7050000");  // put back

  win->mnuRigCtrlActivate_Click();
  ASSERT_TRUE(win->mnuRigCtrlActivate->isChecked());
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
