// The splash, about box, closing window and help viewer, driven headless.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTimer>

#include "ui/HelpWindow.h"
#include "app/frmAbout.h"
#include "app/frmEnd.h"
#include "app/frmSplash.h"

namespace harkola {
namespace {

TEST(Splash, ShowsItsCaptionThenHandsOverExactlyOnceAndGoesAway) {
  int shown = 0;
  QPointer<frmSplash> splash = new frmSplash([&] { ++shown; });
  EXPECT_EQ(splash->lblCaption->text(),
            "Harkola 5  - the voice announcer, automatic logger and analyser for the "
            "NCDXF/IARU HF propagation beacons");
  EXPECT_EQ(splash->Timer1->interval(), 4000);
  splash->show();
  // Two timeouts (a late duplicate event) must not show the main window twice.
  QMetaObject::invokeMethod(splash->Timer1, "timeout", Qt::DirectConnection);
  if (splash) QMetaObject::invokeMethod(splash->Timer1, "timeout", Qt::DirectConnection);
  QElapsedTimer t;
  t.start();
  while (!splash.isNull() && t.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_TRUE(splash.isNull()) << "the splash deletes itself";
  EXPECT_EQ(shown, 1);
}

TEST(About, ShowsVersionTitleAndFixedTexts) {
  frmAbout about("Harkola 5 ");
  EXPECT_EQ(QStringList({about.windowTitle(), about.lblVersion->text(), about.lblCopyright->text(),
                         about.lblDescription->text()}),
            QStringList({"About Harkola 4", "Version 5.0.0", QString::fromUtf8("\u00A9 ") + QString::fromUtf8(kLegalNotice),
                         "A program to track the timing of the NCDXF/IARU HF Beacon chain, with voice "
                         "announcement of the currently transmitting beacon and automatic logging."}));
}

TEST(ClosingWindow, ThanksTheUserAndClosesItselfAfterTwoSeconds) {
  frmEnd end("Harkola 5 ");
  EXPECT_TRUE(end.Label1->text().startsWith("Thanks for using Harkola 5 "));
  EXPECT_TRUE(end.isModal());
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(end.exec(), QDialog::Accepted);  // returns only because the window closes itself
  EXPECT_GE(t.elapsed(), 1900);              // two seconds, counted from showing
}

TEST(Help, OpensAtContentsAndEveryInternalLinkHasItsTarget) {
  QWidget owner;
  HelpWindow* help = showHelpContents(&owner);
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->txtHelp->source().fragment(), "contents");
  EXPECT_EQ(showHelpContents(&owner), help);  // a second request reuses the window

  QFile file(":/help/Harkola5.hlp");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(file.readAll());
  int links = 0;
  for (auto it = QRegularExpression("href=\"#([^\"]+)\"").globalMatch(html); it.hasNext(); ++links) {
    const QString target = it.next().captured(1);
    EXPECT_TRUE(html.contains("name=\"" + target + "\"") || html.contains("id=\"" + target + "\""))
        << target.toStdString();
  }
  EXPECT_GT(links, 10);
}

}  // namespace
}  // namespace harkola
