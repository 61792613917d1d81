#include "rig/RigCtrl.h"

#include "rig/RigCodeTest.h"
#include "rig/RigSession.h"
#include "rig/SerialCommandRig.h"

#include <gtest/gtest.h>

#include "RigTestSupport.h"

namespace harkola {
namespace {

using Texts = std::vector<std::string>;
using Step = RigCodeTest::Step;
const char* const kOpenFailed =
    "There has been an error opening the serial port. \n\nError report: 2 No such file or directory\n\n"
    "Hint - Check there is no other program using the serial port and that the settings you have used "
    "are correct";

class SerialRigSession : public ::testing::Test {
 protected:
  SerialRigSession() { useMaker(kRigKenwood); }
  RigCtrl::Notifier recorder() {
    return [this](const Notice& n) {
      notices.push_back(n);
      return Answer::Ok;
    };
  }
  void useMaker(int maker) {
    d.RigTable = test::rigDefaults(maker);
    d.RigMakerCode = maker;
  }
  Texts texts() const {
    Texts t;
    for (const auto& n : notices) t.push_back(n.text);
    return t;
  }

  PublicDecs d;
  test::RecorderPort port;
  std::vector<Notice> notices;
  RigCtrl rig{d, port, recorder()};
  SerialCommandRig commandRig{d, rig};
  RigSession session{d, commandRig, recorder()};
};

// Untested settings send the user to the test first; once tested, start and finish
// each use one opening of the port.
TEST_F(SerialRigSession, KenwoodStartOn21MHzAndFinishEachUseOneOpening) {
  EXPECT_EQ(session.toggle(2), RigSession::Toggle::NeedsTest);
  EXPECT_TRUE(port.events.empty());
  d.RigTested = true;
  EXPECT_EQ(session.toggle(2), RigSession::Toggle::Started);
  EXPECT_TRUE(session.active());
  EXPECT_EQ(session.toggle(2), RigSession::Toggle::Finished);
  EXPECT_EQ(port.events, (Texts{"open", "write MD3;", "write FW0500;", "write EX0380001;", "write FA00021150000;",
                                "close", "open", "write MD1;", "write FW0001;", "write EX0380000;",
                                "write FA00007050000;", "close"}));
  EXPECT_EQ(texts(), (Texts{"To ensure proper operation you must complete the Test routine in the Setup screen",
                            "Please check and ensure your rig cannot transmit - see help files"}));
  EXPECT_EQ(std::tuple(port.opened[0].line.baud, port.opened[0].flow, port.opened[0].raiseRts),
            std::tuple(9600, FlowControl::Rts, true));
  for (const char* h : {"Xon/Xoff", "rts"}) {  // an unknown handshake keeps the last flow control
    d.RigTable[kRigRowHandshake][1] = h;
    rig.OpenRigPort();
    EXPECT_EQ(port.opened.back().flow, FlowControl::XonXoff) << h;
    EXPECT_FALSE(port.opened.back().raiseRts) << h;
  }
}

TEST_F(SerialRigSession, IcomStartReopensThePortBeforeEachHexCommand) {
  useMaker(kRigIcom);
  d.RigBandRow = 15;
  rig.SendSessionStartCommands();
  std::string shape;
  for (const auto& e : port.events) shape += e.rfind("write", 0) == 0 ? "w" : " " + e + " ";
  EXPECT_EQ(shape, " open  close  open wwwwwww close  open wwwwwwwwwww close ");
  EXPECT_FALSE(port.opened[0].raiseRts);
}

// Band rows outside 15..19 send no band command; makers outside 121..123 send nothing.
TEST_F(SerialRigSession, NothingIsSentForUnknownBandsOrMakers) {
  for (int row : {0, 14, 20}) {
    d.RigBandRow = static_cast<std::int16_t>(row);
    rig.SendBandCommand();
    rig.SendSessionStartCommands();
  }
  EXPECT_EQ(port.writes.size(), 9u);  // three times the three start commands, no band
  for (int maker : {0, 120, 124}) {
    d.RigMakerCode = maker;
    rig.SendSessionStartCommands();
    rig.SendSessionFinishCommands();
  }
  EXPECT_EQ(port.writes.size(), 9u);
  EXPECT_TRUE(notices.empty());
}

TEST_F(SerialRigSession, APortThatCannotOpenIsReportedWithWhatItStopped) {
  d.RigTested = true;
  port.failOpen = true;
  EXPECT_EQ(session.toggle(0), RigSession::Toggle::StartFailed);
  EXPECT_TRUE(!session.active() && port.writes.empty());
  EXPECT_EQ(texts(), (Texts{"Please check and ensure your rig cannot transmit - see help files", kOpenFailed,
                            "Cannot start rig control due to serial port error"}));
  notices.clear();
  EXPECT_EQ(commandRig.finishSession().message,
            "Cannot run Rig Control session finish commands due to serial port error");
  const RigResult band = commandRig.changeBand(0);  // a band change reports only the port itself
  EXPECT_TRUE(!band.ok && band.message.empty());
  EXPECT_EQ(texts(), (Texts{kOpenFailed, kOpenFailed}));
  EXPECT_FALSE(RigCodeTest(d, rig).start());  // nor can a code test
}

// A device vanishing mid-sequence is reported once; nothing more is written and the
// port is not reopened for the next hex command.
TEST_F(SerialRigSession, APortThatFailsMidSequenceIsReportedOnce) {
  for (int maker : {kRigKenwood, kRigIcom}) {
    useMaker(maker);
    port = test::RecorderPort{};
    port.failWriteAt = 2;
    d.RigPortError = false;
    notices.clear();
    rig.SendSessionStartCommands();
    EXPECT_EQ(port.writes.size(), 1u) << maker;
    EXPECT_EQ(std::count(port.events.begin(), port.events.end(), "open"), maker == kRigIcom ? 2 : 1) << maker;
    EXPECT_TRUE(d.RigPortError);
    ASSERT_EQ(notices.size(), 1u) << maker;
    EXPECT_EQ(notices[0].text.rfind("There has been an error writing to the serial port. ", 0), 0u);
  }
}

// The setup window's code test, line by line, with "Continue ?" answered Yes to the end
// unless the case stops at a line. Kenwood has 12 codes on the 14 lines; an Icom code is
// checked, then its bytes go one by one, and a code that fails the check stops the test
// unsent; a Kenwood code on a blanked line stays unsent though the table keeps it.
TEST_F(SerialRigSession, CodeTestSendsEachLineAndCountsOnlyAFinishedTest) {
  const struct {
    const char* name;
    int maker;
    int failWriteAt;  // 0: the port keeps working
    int blankLine;    // a line the window shows blank (0: none)
    int stopAfter;    // the window's No after this line (0: Yes throughout)
    const char* line2Code;  // in place of line 2's shipped code (nullptr: none)
    Step last;
    int lastLine;
    std::size_t writes;
    bool tested;
  } rows[] = {{"KenwoodToTheEnd", kRigKenwood, 0, 0, 0, nullptr, Step::Complete, 14, 12, true},
              {"NoAtLineFive", kRigKenwood, 0, 0, 5, nullptr, Step::Sent, 6, 4, false},
              {"BlankedLineNotSent", kRigKenwood, 0, 1, 0, nullptr, Step::Complete, 14, 11, true},
              {"PortFailsAtTheThirdCode", kRigKenwood, 3, 0, 0, nullptr, Step::Stopped, 3, 2, false},
              {"IcomBytes", kRigIcom, 0, 0, 1, nullptr, Step::Sent, 2, 7, false},
              {"IcomOddHexStops", kRigIcom, 0, 0, 0, "FEFE0", Step::Stopped, 2, 7, false}};
  for (const auto& c : rows) {
    useMaker(c.maker);
    port = test::RecorderPort{};
    port.failWriteAt = c.failWriteAt;
    d.RigTested = false;
    if (c.line2Code) d.RigTable[rigRowOfLine(2)][1] = c.line2Code;
    RigCodeTest t(d, rig);
    ASSERT_TRUE(t.start()) << c.name;
    Step step;
    do {
      step = t.sendLine(t.line() == c.blankLine);
    } while (step == Step::Sent && t.line() - 1 != c.stopAfter);
    t.finish();
    EXPECT_EQ(std::tuple(step, t.line(), port.writes.size(), d.RigTested, d.RigTable[kRigRowTested][1]),
              std::tuple(c.last, c.lastLine, c.writes, c.tested, c.tested ? "True" : "False")) << c.name;
    EXPECT_FALSE(port.isOpen()) << c.name;
  }
}

// The answers to the setup window's prompt for line 1's code (column 1) or label (0).
TEST_F(SerialRigSession, EditingALineFollowsTheAnswer) {
  const struct {
    const char* name;
    int maker, column;
    std::optional<std::string> answer;
    RigLineEdit edit;
    std::string label, code;  // rig table row 7 afterwards
  } rows[] = {{"KenwoodTextUnchecked", kRigKenwood, 1, "MD3", RigLineEdit::Set, "CW mode", "MD3"},
              {"Label", kRigKenwood, 0, "Mode", RigLineEdit::Set, "Mode", "MD3;"},
              {"OddHexRefused", kRigIcom, 1, "ABC", RigLineEdit::Refused, "CW mode", "FEFE00E00103FD"},
              {"CancelChangesNothing", kRigKenwood, 1, std::nullopt, RigLineEdit::Unchanged, "CW mode", "MD3;"},
              {"LeaveBlankCode", kRigKenwood, 1, "Leave blank", RigLineEdit::Blanked, "CW mode", ""},
              {"LeaveBlankLabel", kRigKenwood, 0, "Leave blank", RigLineEdit::Blanked, "", "MD3;"}};
  for (const auto& r : rows) {
    useMaker(r.maker);
    notices.clear();
    EXPECT_EQ(editRigLine(d, rig, 1, r.column, r.answer), r.edit) << r.name;
    EXPECT_EQ(std::pair(d.RigTable[7][0], d.RigTable[7][1]), std::pair(r.label, r.code)) << r.name;
    EXPECT_EQ(notices.size(), r.edit == RigLineEdit::Refused ? 1u : 0u) << r.name;  // the hex check's message
  }
  EXPECT_EQ(rigLineDetail(d, 4), "Line 4 of 14, (no label), code now: (blank)");
}

// A stored code that is not hex is reported and skipped; unusable line settings are a
// port error and nothing is opened.
TEST_F(SerialRigSession, BadStoredSettingsAreReported) {
  useMaker(kRigIcom);
  d.RigTable[7][1] = "FEFE00E0010GFD";
  rig.SendSessionStartCommands();
  EXPECT_EQ(texts(), Texts{"Hex pair 6 is not a valid hex number"});
  EXPECT_EQ(port.writes.size(), 11u);  // the band command still goes
  EXPECT_FALSE(d.RigPortError);
  port.events.clear();
  notices.clear();
  d.RigTable[kRigRowBaud][1] = "";
  rig.SendBandCommand();
  EXPECT_TRUE(d.RigPortError && port.events.empty());
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].text.find("Invalid settings"), std::string::npos);
}

// The hint under a port error fits the fault: a missing device, a busy one and one the
// user may not open each get their own advice.
TEST(PortAdvice, FitsTheFault) {
  const std::pair<PortFault, const char*> rows[] = {
      {PortFault::NoDevice, "Hint - There is no such device."},
      {PortFault::Busy, "Hint - Another program is using the serial port"},
      {PortFault::NoPermission, "Hint - You may not use this device: add yourself to the dialout group"},
      {PortFault::Other, "Hint - Check there is no other program using the serial port and that the settings "
                         "you have used are correct"}};
  for (const auto& [kind, hint] : rows) {
    const Notice n = RigCtrl::portErrorNotice("Harkola 5 ", PortError{1, "/dev/ttyS2: gone", kind}, false);
    EXPECT_EQ(n.text.substr(n.text.rfind("\n\n") + 2).rfind(hint, 0), 0u) << n.text;
    EXPECT_EQ(n.icon, NoticeIcon::Critical);
  }
}

}  // namespace
}  // namespace harkola
