// Rig sessions through the program's own serial port adapter onto a real pty pair made
// by socat; the test reads what arrives at the far end. Skipped without socat.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <filesystem>

#include "rig/RigTestSupport.h"
#include "rig/RigSession.h"
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

// Kenwood start on 21 MHz and finish as text; Icom start as bytes; Yaesu zero bytes
// arrive unchanged.
TEST_F(RigOverPty, SessionsAndBandChangesReachTheFarEnd) {
  useMaker(kRigKenwood, 17);
  d.RigTested = true;
  ASSERT_EQ(session.toggle(2), RigSession::Toggle::Started);
  EXPECT_EQ(readFar(35), "MD3;FW0500;EX0380001;FA00021150000;");
  EXPECT_FALSE(port.isOpen());
  session.finish();
  EXPECT_EQ(readFar(34), "MD1;FW0001;EX0380000;FA00007050000;");
  useMaker(kRigIcom, 15);
  rig.SendSessionStartCommands();
  EXPECT_EQ(hexOf(readFar(18)), "FE FE 00 E0 01 03 FD FE FE 00 E0 00 00 00 10 14 00 FD");
  useMaker(kRigYaesu, 16);
  rig.SendBandCommand();
  EXPECT_EQ(hexOf(readFar(5)), "00 10 81 01 0A");
  EXPECT_FALSE(d.RigPortError);
  EXPECT_EQ(dialogs.texts(),
            (std::vector<std::string>{"Please check and ensure your rig cannot transmit - see help files"}));
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
  // The next band change finds no device: its own single message, and rig control may go on.
  dialogs.messages.clear();
  rig.SendBandCommand();
  EXPECT_TRUE(d.RigPortError);
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_FALSE(port.isOpen());
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
  const std::string rigEnd = (dir_ / "ttyRig").string();
  other.setDeviceResolver([rigEnd](const std::string&) { return rigEnd; });
  EXPECT_FALSE(other.open(s, e));
  EXPECT_EQ(e.kind, PortFault::Busy) << e.description;
  other.setDeviceResolver([this](const std::string&) { return (dir_ / "ttyNone").string(); });
  EXPECT_FALSE(other.open(s, e));
  EXPECT_EQ(e.kind, PortFault::NoDevice) << e.description;
  port.close();
}

}  // namespace
}  // namespace harkola
