// The splash, about box, closing window and help viewer, driven headless, and what a
// window manager shows of the small windows: whole captions and frames without empty
// strips.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTimer>

#include "app/SystemReport.h"
#include "app/frmAbout.h"
#include "app/frmEnd.h"
#include "app/frmSplash.h"
#include "app/frmSystemInfo.h"
#include "clock/frmGraph.h"
#include "clock/frmNextBeacon.h"
#include "data/frmBeaconDataEdit.h"
#include "data/frmHomeDataEdit.h"
#include "support/ShippedData.h"
#include "support/WaitFor.h"
#include "ui/HelpWindow.h"
#include "ui/WindowFrame.h"

namespace harkola {
namespace {

TEST(Splash, HandsOverExactlyOnceAndGoesAway) {
  int shown = 0;
  QPointer<frmSplash> splash = new frmSplash([&] { ++shown; });
  splash->show();
  // Two timeouts (a late duplicate event) must not show the main window twice.
  QMetaObject::invokeMethod(splash->Timer1, "timeout", Qt::DirectConnection);
  if (splash) QMetaObject::invokeMethod(splash->Timer1, "timeout", Qt::DirectConnection);
  EXPECT_TRUE(test::waitFor([&] { return splash.isNull(); }, 1000)) << "the splash deletes itself";
  EXPECT_EQ(shown, 1);
}

// System Info lists what a bug report needs and copies it whole; the report text says
// "none found" for an empty device list rather than leaving a heading dangling.
TEST(About, SystemInfoShowsTheReportAndCopiesIt) {
  SystemReport r;
  r.soundInputs = {"Monitor of Null Output  (default)"};
  const std::string report = systemReportText(r);
  EXPECT_NE(report.find("Sound inputs:\n  Monitor of Null Output  (default)\nSound outputs: none found\n"),
            std::string::npos)
      << report;

  auto* about = new frmAbout("Harkola 5 ");
  about->setFolders("/data/here", "/logs/there");
  about->cmdSysInfo->click();
  auto* info = about->findChild<frmSystemInfo*>();
  ASSERT_NE(info, nullptr);
  const QString text = info->txtReport->toPlainText();
  EXPECT_TRUE(text.startsWith("Harkola version: 5.0.0\nQt version: 6.") &&
              text.endsWith("Data folder: /data/here\nLog folder: /logs/there\n"))
      << text.toStdString();
  info->cmdCopy->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
  delete about;
}

TEST(ClosingWindow, ClosesItselfAfterTwoSeconds) {
  frmEnd end("Harkola 5 ");
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

// A window the user cannot usefully resize is fixed to its contents, so a window manager
// draws no resize strip under it (an empty strip that looked like a squashed status bar),
// and is wide enough that it shows the whole caption, also after it changes (the follow
// graph names its beacon).
TEST(SmallWindows, AreFixedAndShowTheirWholeCaption) {
  PublicDecs d = test::shippedDecs();
  frmGraph graph(d);
  frmGraphFollow follow(d);
  frmBeaconDataEdit beacons(d, [] {});
  frmHomeDataEdit home(d, [] {});
  frmNextBeacon next;
  next.setNext("New Zealand", "ZL6B", "OK");
  for (QWidget* w : std::initializer_list<QWidget*>{&graph, &follow, &beacons, &home, &next}) {
    w->show();
    EXPECT_GE(w->height(), w->sizeHint().height()) << w->objectName().toStdString();
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << w->objectName().toStdString();
    EXPECT_GE(w->width(), captionWidth(w)) << w->objectName().toStdString();
  }
  follow.setWindowTitle("Harkola 5   Logged S meter readings for VK6RBP, Western Australia and beyond");
  EXPECT_GE(follow.width(), captionWidth(&follow));
}

}  // namespace
}  // namespace harkola
