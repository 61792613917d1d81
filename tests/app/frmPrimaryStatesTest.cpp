// What the main window shows at a glance: UTC beside the local time, which logging is
// on, which S buttons take a click, and a frame without an empty strip.
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <ctime>

#include "PrimaryFixture.h"

namespace harkola {
namespace {

class MainWindowStates : public test::PrimaryFixture {
 protected:
  void running() { PrimaryFixture::running({2026, 12, 6, 22, 30, 5, 2}); }
};

// A zone five hours behind UTC (a POSIX rule: no zone database needed), for one test.
class ZoneFiveHoursWest {
 public:
  ZoneFiveHoursWest() : m_old(std::getenv("TZ") ? std::getenv("TZ") : "") { setZone("EST5"); }
  ~ZoneFiveHoursWest() { setZone(m_old); }

 private:
  static void setZone(const std::string& tz) {
    tz.empty() ? unsetenv("TZ") : setenv("TZ", tz.c_str(), 1);
    tzset();
  }
  std::string m_old;
};

TEST_F(MainWindowStates, ShowsUtcBesideTheLocalTime) {
  ZoneFiveHoursWest zone;
  running();
  EXPECT_EQ(win->lblSystemTime->text(), "22:30:05");
  EXPECT_EQ(win->lblUtcTime->text(), "03:30:05 UTC");  // already the next day in UTC
}

// The log buttons are checked exactly while their logging runs, whether switched from
// the button or the menu. Automatic logging comes with its warning and the session graph,
// and the keys log nothing while it runs; after it the S buttons are grey.
TEST_F(MainWindowStates, LogButtonsShowWhichLoggingIsOn) {
  running();
  auto state = [this] { return std::pair(win->cmdALog->isChecked(), win->cmdMLog->isChecked()); };
  EXPECT_EQ(state(), std::pair(false, false));
  win->cmdMLog->click();
  EXPECT_EQ(state(), std::pair(false, true));
  win->cmdALog->click();  // automatic takes over from manual
  EXPECT_EQ(state(), std::pair(true, false));
  EXPECT_TRUE(win->mnuDisplayGraph->isChecked());
  EXPECT_EQ(dialogs.texts(), std::vector<std::string>{
                                 "Please note that Harkola AutoLog is designed for attended operation only.\r\n\r\n"
                                 "It must not be used or left running while unattended"});
  key('5');
  EXPECT_EQ(heardLog(), "");
  win->mnuLogAuto->trigger();
  EXPECT_EQ(state(), std::pair(false, false));
  EXPECT_TRUE(win->opgS[1]->styleSheet().contains("background-color: rgb(192,192,192)"));
  win->mnuLogManual->trigger();
  EXPECT_EQ(state(), std::pair(false, true));
  win->cmdMLog->click();
  EXPECT_EQ(state(), std::pair(false, false));
}

// Bright pixels (the digits) of a button as drawn.
int brightPixels(QWidget* w) {
  const QImage img = w->grab().toImage();
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QColor c = img.pixelColor(x, y);
      n += c.red() > 230 && c.green() > 230 && c.blue() > 230;
    }
  return n;
}

// While automatic logging runs the S buttons keep their red but take no click: their
// digits fade, so they cannot pass for the red buttons of manual logging. The window is
// fixed to its contents: a window manager then draws no empty resize strip under it.
TEST_F(MainWindowStates, DisabledSButtonsLookDisabledAndTheFrameIsFixed) {
  running();
  win->show();
  EXPECT_EQ(win->minimumSize(), win->maximumSize());
  win->mnuLogManual_Click();
  ASSERT_TRUE(win->opgS[5]->isEnabled());
  const int enabled = brightPixels(win->opgS[5]);
  win->mnuLogAuto_Click();
  ASSERT_FALSE(win->opgS[5]->isEnabled());
  ASSERT_TRUE(win->opgS[5]->styleSheet().contains("background-color: rgb(255,0,0)"));
  EXPECT_GT(enabled, 10);
  EXPECT_LT(brightPixels(win->opgS[5]) * 2, enabled);
}

}  // namespace
}  // namespace harkola
