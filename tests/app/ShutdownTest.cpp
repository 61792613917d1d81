// The main window with every other window opened once, then closed the way the user
// closes the program: nothing may call into a window that is being destroyed.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include "PrimaryFixture.h"
#include "analysis/frmChart.h"
#include "analysis/frmDataAnalysis.h"
#include "audio/frmAnalyser.h"
#include "rig/frmFollow.h"
#include "support/WaitFor.h"
#include "voice/frmVoiceSel.h"

namespace harkola {
namespace {

class Shutdown : public test::PrimaryFixture {};

TEST_F(Shutdown, EveryWindowOpenedOnceThenTheProgramClosesCleanly) {
  ASSERT_TRUE(start({2026, 12, 6, 10, 0, 5, 0}));
  tick();
  // Modal windows (editors, rig setup, about, help) are closed as soon as they are up.
  QTimer closer;
  int modalsClosed = 0;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (QWidget* m = QApplication::activeModalWidget()) {
      m->close();
      ++modalsClosed;
    }
  });
  closer.start(20);

  // Log analysis with a summary and its chart.
  win->mnuChart_Click();
  frmDataAnalysis* analysis = win->analysisWindow();
  ASSERT_NE(analysis, nullptr);
  const std::string sample = (std::filesystem::path(d.LogFolder) / "Chart Sample.csv").string();
  dialogs.files.push_back({false, sample});
  analysis->cmdOpenFile->click();
  ASSERT_TRUE(test::waitFor([&] { return !analysis->busy(); }));
  for (QAbstractButton* b : {analysis->chkSelFunction[1], analysis->chkChartBandSel[0], analysis->beID[0]})
    b->click();
  analysis->cmdSummarise->click();
  ASSERT_TRUE(test::waitFor([&] { return !analysis->busy(); }));
  analysis->cmdChart->click();
  ASSERT_NE(analysis->chart(), nullptr);

  win->mnuLogAuto_Click();  // the analyser
  ASSERT_NE(win->analyserWindow(), nullptr);
  win->analyserWindow()->cmdTestButton_Click();
  win->mnuFollowBeacon->trigger();
  win->mnuVoiceActivate_Click();
  win->mnuNextBeacon_Click();
  for (QAction* modal : {win->mnuData, win->mnuHome, win->mnuAbout, win->mnuHelpFile}) modal->trigger();
  d.RigTested = true;
  win->mnuRigSetup_Click();
  EXPECT_GE(modalsClosed, 4);
  EXPECT_TRUE(win->followWindow() && win->voiceWindow());

  win->close();
  EXPECT_TRUE(win->isShutDown());
  EXPECT_FALSE(d.ClockRunning) << "closing the analysis window on the way out must not restart the clock";
  win.reset();  // the main window and everything it owns go; the process must live on
  closer.stop();
  SUCCEED();
}

}  // namespace
}  // namespace harkola
