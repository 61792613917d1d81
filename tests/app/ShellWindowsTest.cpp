// The splash, about box, closing window and help viewer, driven headless.
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

#include "support/WaitFor.h"
#include "ui/HelpWindow.h"
#include "app/SystemReport.h"
#include "app/frmAbout.h"
#include "app/frmSystemInfo.h"
#include "app/frmEnd.h"
#include "app/frmSplash.h"

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
