#include "rig/RigCtrl.h"

#include <gtest/gtest.h>

#include "RigTestSupport.h"

namespace harkola {
namespace {

using Texts = std::vector<std::string>;
const char* const kOpenFailed =
    "There has been an error opening the serial port. \n\nError report: 2 No such file or directory\n\n"
    "Hint - Check there is no other program using the serial port and that the settings you have used "
    "are correct";

class RigSession : public ::testing::Test {
 protected:
  RigSession() : rig(d, port, [this](const Notice& n) {
    notices.push_back(n);
    return Answer::Ok;
  }) {
    useMaker(kRigKenwood);
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
  bool startsWith(std::size_t i, const std::string& head) const {
    return i < notices.size() && notices[i].text.rfind(head, 0) == 0;
  }

  PublicDecs d;
  test::RecorderPort port;
  std::vector<Notice> notices;
  RigCtrl rig;
};

TEST_F(RigSession, KenwoodStartOn21MHzWritesTheFourCommandsInOneOpening) {
  d.RigBandRow = 17;
  d.RigTested = true;
  EXPECT_EQ(rig.ToggleRigControl(false), RigCtrl::Toggle::Started);
  EXPECT_EQ(port.events,
            (Texts{"open", "write MD3;", "write FW0500;", "write EX0380001;", "write FA00021150000;", "close"}));
  EXPECT_EQ(texts(), Texts{"Please check and ensure your rig cannot transmit - see help files"});
  EXPECT_EQ(notices[0].icon, NoticeIcon::Exclamation);
  EXPECT_EQ(notices[0].title, "Harkola 5 ");
  ASSERT_EQ(port.opened.size(), 1u);
  EXPECT_EQ(port.opened[0].line.baud, 9600);
  EXPECT_EQ(port.opened[0].flow, FlowControl::Rts);
  EXPECT_TRUE(port.opened[0].raiseRts);
}

TEST_F(RigSession, KenwoodFinishEndsOnTheEndFrequency) {
  EXPECT_EQ(rig.ToggleRigControl(true), RigCtrl::Toggle::Finished);
  EXPECT_EQ(port.writes, (Texts{"MD1;", "FW0001;", "EX0380000;", "FA00007050000;"}));
  EXPECT_FALSE(port.isOpen());
  EXPECT_TRUE(notices.empty());
}

TEST_F(RigSession, IcomStartReopensThePortBeforeEachHexCommand) {
  useMaker(kRigIcom);
  d.RigBandRow = 15;
  rig.SendSessionStartCommands();
  std::string shape, all;
  for (const auto& e : port.events) shape += e.rfind("write", 0) == 0 ? "w" : " " + e + " ";
  for (const auto& w : port.writes) all += w;
  EXPECT_EQ(shape, " open  close  open wwwwwww close  open wwwwwwwwwww close ");
  EXPECT_EQ(test::hexOf(all), "FE FE 00 E0 01 03 FD FE FE 00 E0 00 00 00 10 14 00 FD");
  EXPECT_FALSE(port.opened[0].raiseRts);
}

TEST_F(RigSession, ABandRowOutsideTheBandsSendsNoBandCommand) {
  for (int row : {0, 14, 20}) {
    d.RigBandRow = static_cast<std::int16_t>(row);
    rig.SendBandCommand();
    rig.SendSessionStartCommands();
  }
  EXPECT_EQ(port.writes.size(), 9u);  // three times the three start commands, no band
  EXPECT_TRUE(notices.empty());
}

class UnknownMaker : public RigSession, public ::testing::WithParamInterface<int> {};

TEST_P(UnknownMaker, OpensAndClosesButWritesNothing) {
  d.RigMakerCode = GetParam();
  rig.SendSessionStartCommands();
  rig.SendSessionFinishCommands();
  EXPECT_EQ(port.events, (Texts{"open", "close", "open", "close"}));
}

INSTANTIATE_TEST_SUITE_P(Codes, UnknownMaker, ::testing::Values(0, 120, 124));

TEST_F(RigSession, APortThatCannotOpenIsReportedWithWhatItStopped) {
  d.RigTested = true;
  port.failOpen = true;
  EXPECT_EQ(rig.ToggleRigControl(false), RigCtrl::Toggle::StartFailed);
  EXPECT_TRUE(d.RigPortError);
  EXPECT_TRUE(port.writes.empty());
  ASSERT_EQ(notices.size(), 3u);  // transmit warning, port, start refused
  EXPECT_EQ(notices[1].text, kOpenFailed);
  EXPECT_EQ(notices[1].icon, NoticeIcon::Critical);
  EXPECT_EQ(notices[2].text, "Cannot start rig control due to serial port error");

  notices.clear();
  rig.FinishRigSession();
  EXPECT_EQ(texts(), (Texts{kOpenFailed, "Cannot run Rig Control session finish commands due to serial port error"}));
  notices.clear();
  rig.SendBandCommand();  // a band change reports only the port itself
  EXPECT_EQ(texts(), Texts{kOpenFailed});
}

TEST_F(RigSession, APortThatFailsMidSequenceIsReportedOnceAndNothingMoreIsSent) {
  port.failWriteAt = 2;
  rig.SendSessionStartCommands();
  EXPECT_EQ(port.writes, Texts{"MD3;"});
  EXPECT_TRUE(d.RigPortError);
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(notices.size(), 1u);
  EXPECT_TRUE(startsWith(0, "There has been an error writing to the serial port. "));
}

TEST_F(RigSession, AHexPortFailureDoesNotReopenForTheNextCommand) {
  useMaker(kRigIcom);
  port.failWriteAt = 3;
  rig.SendSessionStartCommands();
  EXPECT_EQ(port.writes.size(), 2u);
  EXPECT_EQ(notices.size(), 1u);
  EXPECT_EQ(std::count(port.events.begin(), port.events.end(), "open"), 2);
}

TEST_F(RigSession, UntestedSettingsSendTheUserToTheTest) {
  EXPECT_EQ(rig.ToggleRigControl(false), RigCtrl::Toggle::NeedsTest);
  EXPECT_TRUE(port.events.empty());
  EXPECT_EQ(texts(), Texts{"To ensure proper operation you must complete the Test routine in the Setup screen"});
}

TEST_F(RigSession, AStoredCodeThatIsNotHexIsReportedAndSkipped) {
  useMaker(kRigIcom);
  d.RigTable[7][1] = "FEFE00E0010GFD";
  rig.SendSessionStartCommands();
  EXPECT_EQ(texts(), Texts{"Hex pair 6 is not a valid hex number"});
  EXPECT_EQ(port.writes.size(), 11u);  // the band command still goes
  EXPECT_FALSE(d.RigPortError);
}

TEST_F(RigSession, UnusableLineSettingsAreAPortError) {
  d.RigTable[kRigRowBaud][1] = "";
  rig.SendBandCommand();
  EXPECT_TRUE(d.RigPortError);
  EXPECT_TRUE(port.events.empty());
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].text.find("Invalid settings"), std::string::npos);
}

TEST_F(RigSession, AnUnknownHandshakeKeepsTheLastFlowControl) {
  for (const char* h : {"RTS", "Xon/Xoff", "rts"}) {
    d.RigTable[kRigRowHandshake][1] = h;
    rig.OpenRigPort();
  }
  ASSERT_EQ(port.opened.size(), 3u);
  EXPECT_TRUE(port.opened[0].raiseRts);
  EXPECT_EQ(port.opened[1].flow, FlowControl::XonXoff);
  EXPECT_FALSE(port.opened[1].raiseRts);
  EXPECT_EQ(port.opened[2].flow, FlowControl::XonXoff);
}

}  // namespace
}  // namespace harkola
