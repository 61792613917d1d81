// Rig control of the main window over the rigctld link chosen in Rig setup, against a
// real rigctld with the dummy rig. Skipped when rigctld is not installed.

#include <QAction>
#include <QRadioButton>

#include "app/PrimaryFixture.h"
#include "integration/RigctldServer.h"
#include "rig/RigChoice.h"
#include "rig/RigLinkSettings.h"

namespace harkola {
namespace {

class RigctldMainWindow : public test::PrimaryFixture {
 protected:
  void SetUp() override {
    if (test::RigctldServer::executable().isEmpty())
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

  test::RigctldServer server;
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
