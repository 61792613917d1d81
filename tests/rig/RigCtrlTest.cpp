#include "rig/RigCtrl.h"

#include <gtest/gtest.h>

#include "RigTestSupport.h"

namespace harkola {
namespace {

using test::hexOf;
using test::RecorderPort;
using test::rigDefaults;

class RigSession : public ::testing::Test {
 protected:
  RigSession() : rig(d, port, [this](const Notice& n) {
    notices.push_back(n);
    return Answer::Ok;
  }) {}

  void useMaker(int maker) {
    d.RigTable = rigDefaults(maker);
    d.RigMakerCode = maker;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> t;
    for (const auto& n : notices) t.push_back(n.text);
    return t;
  }

  PublicDecs d;
  RecorderPort port;
  std::vector<Notice> notices;
  RigCtrl rig;
};

TEST_F(RigSession, KenwoodStartOn21MHzWritesTheFourCommandsInOneOpening) {
  useMaker(kRigKenwood);
  d.RigBandRow = 17;
  d.RigTested = true;
  EXPECT_EQ(rig.ToggleRigControl(false), RigCtrl::Toggle::Started);
  EXPECT_EQ(port.events, (std::vector<std::string>{"open", "write MD3;", "write FW0500;", "write EX0380001;",
                                                   "write FA00021150000;", "close"}));
  EXPECT_EQ(texts(), (std::vector<std::string>{"Please check and ensure your rig cannot transmit - see help files"}));
  EXPECT_EQ(notices[0].icon, NoticeIcon::Exclamation);
  EXPECT_EQ(notices[0].title, "Harkola 5 ");
  ASSERT_EQ(port.opened.size(), 1u);
  EXPECT_EQ(port.opened[0].line.baud, 9600);
  EXPECT_EQ(port.opened[0].flow, FlowControl::Rts);
  EXPECT_TRUE(port.opened[0].raiseRts);
}

TEST_F(RigSession, KenwoodFinishEndsOnTheEndFrequency) {
  useMaker(kRigKenwood);
  EXPECT_EQ(rig.ToggleRigControl(true), RigCtrl::Toggle::Finished);
  EXPECT_EQ(port.writes, (std::vector<std::string>{"MD1;", "FW0001;", "EX0380000;", "FA00007050000;"}));
  EXPECT_FALSE(port.isOpen());
  EXPECT_TRUE(notices.empty());
}

TEST_F(RigSession, IcomStartReopensThePortBeforeEachHexCommand) {
  useMaker(kRigIcom);
  d.RigBandRow = 15;
  rig.SendSessionStartCommands();
  std::vector<std::string> shape;
  for (const auto& e : port.events) shape.push_back(e.rfind("write", 0) == 0 ? "w" : e);
  EXPECT_EQ(shape, (std::vector<std::string>{"open", "close", "open", "w", "w", "w", "w", "w", "w", "w", "close",
                                             "open", "w", "w", "w", "w", "w", "w", "w", "w", "w", "w", "w", "close"}));
  std::string all;
  for (const auto& w : port.writes) all += w;
  EXPECT_EQ(hexOf(all), "FE FE 00 E0 01 03 FD FE FE 00 E0 00 00 00 10 14 00 FD");
  EXPECT_FALSE(port.opened[0].raiseRts);
}

TEST_F(RigSession, ABandRowOutsideTheBandsSendsNoBandCommand) {
  useMaker(kRigKenwood);
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
  useMaker(kRigKenwood);
  d.RigMakerCode = GetParam();
  rig.SendSessionStartCommands();
  rig.SendSessionFinishCommands();
  EXPECT_EQ(port.events, (std::vector<std::string>{"open", "close", "open", "close"}));
}

INSTANTIATE_TEST_SUITE_P(Codes, UnknownMaker, ::testing::Values(0, 120, 124));

TEST_F(RigSession, APortThatCannotOpenStopsTheStartWithTwoMessages) {
  useMaker(kRigKenwood);
  d.RigTested = true;
  port.failOpen = true;
  EXPECT_EQ(rig.ToggleRigControl(false), RigCtrl::Toggle::StartFailed);
  EXPECT_TRUE(d.RigPortError);
  EXPECT_TRUE(port.writes.empty());
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[1].text,
            "There has been an error opening the serial port. \n\nError report: 2 No such file or directory\n\n"
            "Hint - Check there is no other program using the serial port and that the settings you have used "
            "are correct");
  EXPECT_EQ(notices[1].icon, NoticeIcon::Critical);
  EXPECT_EQ(notices[2].text, "Cannot start rig control due to serial port error");
}

TEST_F(RigSession, APortThatCannotOpenAtTheFinishIsReported) {
  useMaker(kRigKenwood);
  port.failOpen = true;
  rig.FinishRigSession();
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[1].text, "Cannot run Rig Control session finish commands due to serial port error");
  // A band change reports only the port itself.
  notices.clear();
  rig.SendBandCommand();
  EXPECT_EQ(notices.size(), 1u);
}

TEST_F(RigSession, APortThatFailsMidSequenceIsReportedOnceAndNothingMoreIsSent) {
  useMaker(kRigKenwood);
  port.failWriteAt = 2;
  rig.SendSessionStartCommands();
  EXPECT_EQ(port.writes, (std::vector<std::string>{"MD3;"}));
  EXPECT_TRUE(d.RigPortError);
  EXPECT_FALSE(port.isOpen());
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].text.rfind("There has been an error writing to the serial port. ", 0), 0u);
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
  useMaker(kRigKenwood);
  EXPECT_EQ(rig.ToggleRigControl(false), RigCtrl::Toggle::NeedsTest);
  EXPECT_TRUE(port.events.empty());
  EXPECT_EQ(texts(), (std::vector<std::string>{
                         "To ensure proper operation you must complete the Test routine in the Setup screen"}));
}

TEST_F(RigSession, AStoredCodeThatIsNotHexIsReportedAndSkipped) {
  useMaker(kRigIcom);
  d.RigTable[7][1] = "FEFE00E0010GFD";
  rig.SendSessionStartCommands();
  EXPECT_EQ(texts(), (std::vector<std::string>{"Hex pair 6 is not a valid hex number"}));
  EXPECT_EQ(port.writes.size(), 11u);  // the band command still goes
  EXPECT_FALSE(d.RigPortError);
}

TEST_F(RigSession, UnusableLineSettingsAreAPortError) {
  useMaker(kRigKenwood);
  d.RigTable[kRigRowBaud][1] = "";
  rig.SendBandCommand();
  EXPECT_TRUE(d.RigPortError);
  EXPECT_TRUE(port.events.empty());
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].text.find("Invalid settings"), std::string::npos);
}

TEST_F(RigSession, AnUnknownHandshakeKeepsTheLastFlowControl) {
  useMaker(kRigKenwood);  // RTS
  rig.OpenRigPort();
  d.RigTable[kRigRowHandshake][1] = "Xon/Xoff";
  rig.OpenRigPort();
  d.RigTable[kRigRowHandshake][1] = "rts";
  rig.OpenRigPort();
  ASSERT_EQ(port.opened.size(), 3u);
  EXPECT_TRUE(port.opened[0].raiseRts);
  EXPECT_EQ(port.opened[1].flow, FlowControl::XonXoff);
  EXPECT_FALSE(port.opened[1].raiseRts);
  EXPECT_EQ(port.opened[2].flow, FlowControl::XonXoff);
}

}  // namespace
}  // namespace harkola
