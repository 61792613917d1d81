// Rig control: sessions over the serial commands, the setup window's code test and line
// edits, the S meter read during a slot, and the beacon chosen to follow.
#include "rig/RigCtrl.h"

#include <gtest/gtest.h>

#include <deque>

#include "RigTestSupport.h"
#include "rig/FollowChoice.h"
#include "rig/MeterLevelDetector.h"
#include "rig/RigCodeTest.h"
#include "rig/RigSession.h"
#include "rig/SerialCommandRig.h"

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
  // failWriteAt: the write that fails (0: the port keeps working); blankLine: a line the
  // window shows blank (0: none); stopAfter: the window's No after this line (0: Yes
  // throughout); line2Code: in place of line 2's shipped code (nullptr: none).
  const struct {
    const char* name;
    int maker, failWriteAt, blankLine, stopAfter;
    const char* line2Code;
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
              {"Cancel", kRigKenwood, 1, std::nullopt, RigLineEdit::Unchanged, "CW mode", "MD3;"},
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
  }
}

using namespace std::chrono_literals;

// Answers what the test sets.
struct ScriptedDetector : SlotDetector {
  SlotDecision next;
  void beginSlot(const SlotRef&) override {}
  void addBlock(const std::int16_t*, std::size_t, SysTime) override {}
  SlotDecision decide(SysTime) override { return next; }
};

class MeterLevel : public ::testing::Test {
 protected:
  void begin(SysTime start) {
    slotStart = start;
    SlotRef s;
    s.start = start;
    meter.beginSlot(s);
  }
  // Clock ticks every 100 ms from `from` to `to` into the slot; the last decision.
  SlotDecision tick(std::chrono::milliseconds from, std::chrono::milliseconds to) {
    SlotDecision d;
    for (auto t = from; t <= to; t += 100ms) {
      now = slotStart + t;
      d = meter.decide(now);
    }
    return d;
  }

  SysTime slotStart = SysTime{} + 1000s, now{};
  std::deque<std::optional<int>> readings;
  std::vector<SysTime::duration> readAt;
  ScriptedDetector detector;
  MeterLevelDetector meter{detector, [this]() -> std::optional<int> {
                             readAt.push_back(now - slotStart);
                             if (readings.empty()) return std::nullopt;
                             const auto v = readings.front();
                             readings.pop_front();
                             return v;
                           }};
};

TEST_F(MeterLevel, ReadsOnlyDuringTheHundredWattPartAndKeepsTheHighest) {
  begin(slotStart);
  readings = {4, 7, std::nullopt, 12, 6, 5};  // 12 is no S level: ignored
  detector.next.heard = true;
  detector.next.sLevel = 3;
  detector.next.slot.start = slotStart;
  const SlotDecision d = tick(0ms, 9900ms);
  EXPECT_EQ(d.sLevel, 7);
  ASSERT_FALSE(readAt.empty());
  EXPECT_GE(readAt.front(), 500ms);
  EXPECT_LE(readAt.back(), 5500ms);
  for (std::size_t i = 1; i < readAt.size(); ++i) EXPECT_GE(readAt[i] - readAt[i - 1], 300ms);
  EXPECT_EQ(readAt.size(), 17u);  // 0.5 s .. 5.3 s every 300 ms
}

TEST_F(MeterLevel, NotHeardOrNoReadingKeepsTheDetectorsAnswer) {
  begin(slotStart);
  detector.next.heard = false;
  readings = {8};
  EXPECT_EQ(tick(0ms, 1000ms).sLevel, 0);
  begin(slotStart + 10s);
  detector.next.heard = true;
  detector.next.sLevel = 5;
  EXPECT_EQ(tick(0ms, 9900ms).sLevel, 5);  // the meter never answered
}

// A detector that decides after the slot: the answer about the previous slot gets
// that slot's reading, not the new slot's.
TEST_F(MeterLevel, LateDecisionUsesThePreviousSlotsReading) {
  const SysTime first = slotStart;
  begin(first);
  readings = {9};
  tick(0ms, 9900ms);
  begin(first + 10s);
  readings = {2, 2, 2, 2};
  tick(0ms, 1500ms);
  detector.next = SlotDecision{};
  detector.next.heard = true;
  detector.next.sLevel = 4;
  detector.next.late = true;
  detector.next.slot.start = first;
  EXPECT_EQ(meter.decide(now).sLevel, 9);
  detector.next.slot.start = first - 10s;  // older than we keep
  EXPECT_EQ(meter.decide(now).sLevel, 4);
}

// Entries 0..17 are the beacons (18 stored as 0, as the clock compares it); entry 18,
// or anything outside the list, ends following and keeps the number.
TEST(ActivateEntry, StoresTheBeaconTheClockCompares) {
  const struct {
    const char* name;
    int entry;
    FollowState before, after;
  } rows[] = {{"FirstBeacon", 0, {false, 0}, {true, 1}},
              {"SeventeenthBeacon", 16, {false, 0}, {true, 17}},
              {"EighteenthStoredAsZero", 17, {false, 5}, {true, 0}},
              {"OtherBeaconReplacesTheFollowed", 2, {true, 9}, {true, 3}},
              {"NoBeaconEndsFollowingKeepsTheNumber", 18, {true, 5}, {false, 5}},
              {"NegativeEntryEndsFollowing", -1, {true, 5}, {false, 5}},
              {"EntryPastTheListEndsFollowing", 19, {true, 5}, {false, 5}}};
  for (const auto& r : rows) EXPECT_EQ(activateEntry(r.entry, r.before), r.after) << r.name;
}

}  // namespace
}  // namespace harkola
