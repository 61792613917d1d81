// The splash, about box, closing window and help viewer, driven headless, and what a
// window manager shows of the small windows: whole captions and frames without empty
// strips. The file dialog keeps itself open while a chosen name breaks the request's
// rules, so a caller only ever gets a name it can use (or a cancel).
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
#include <fstream>

#include "app/SystemReport.h"
#include "app/frmAbout.h"
#include "app/frmEnd.h"
#include "app/frmSplash.h"
#include "app/frmSystemInfo.h"
#include "common/FileChoice.h"
#include "clock/frmGraph.h"
#include "clock/frmNextBeacon.h"
#include "data/frmBeaconDataEdit.h"
#include "data/frmHomeDataEdit.h"
#include "support/ScriptedDialogs.h"
#include "support/ShippedData.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"
#include "ui/HelpWindow.h"
#include "ui/UserDialogs.h"
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
// graph names its beacon); no label or button text inside it is cut off.
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
    for (QWidget* c : w->findChildren<QWidget*>()) {
      auto* l = qobject_cast<QLabel*>(c);
      if ((l && !l->wordWrap() && !l->text().isEmpty()) || qobject_cast<QAbstractButton*>(c)) {
        EXPECT_GE(c->width(), c->sizeHint().width()) << c->objectName().toStdString();
      }
    }
  }
  follow.setWindowTitle("Harkola 5   Logged S meter readings for VK6RBP, Western Australia and beyond");
  EXPECT_GE(follow.width(), captionWidth(&follow));
}

// The request's flags decide which names pass ("missing/" is a folder that does not exist).
TEST(FileChoice, FlagsDecideWhichNamesPass) {
  test::TempFolder dir("harkola-choice");
  std::ofstream((dir / "there.csv").string()) << "x";
  const struct {
    bool pathMustExist, fileMustExist, extensionDifferent;
    const char* file;
    const char* problemStart;  // "" when the name is accepted
  } rows[] = {{true, false, false, "new.csv", ""},
              {true, false, false, "missing/new.csv", "The folder "},
              {false, false, false, "missing/new.csv", ""},
              {true, true, false, "there.csv", ""},
              {true, true, false, "gone.csv", "The file "},
              {false, false, false, "notes.txt", "The file name must end in .csv"},
              {false, false, true, "notes.txt", ""},
              {false, false, false, "plain", ""}};  // no extension: the default one is added
  for (const auto& r : rows) {
    FileDialogRequest req;
    req.pathMustExist = r.pathMustExist;
    req.fileMustExist = r.fileMustExist;
    req.extensionDifferent = r.extensionDifferent;
    const std::string problem = fileChoiceProblem(req, (dir / r.file).string());
    EXPECT_EQ(problem.substr(0, std::string(r.problemStart).size()), r.problemStart) << r.file << ": " << problem;
    EXPECT_EQ(problem.empty(), std::string(r.problemStart).empty()) << r.file << ": " << problem;
  }
}

// A backup into a folder that does not exist is refused inside the dialog, which stays
// open; a good name then closes it.
TEST(CheckedFileDialog, RefusesAMissingFolderAndStaysOpen) {
  test::ScriptedDialogs scripted;
  test::TempFolder dir("harkola-dialog");
  FileDialogRequest r;
  r.kind = FileDialogRequest::Kind::Save;
  r.title = "Harkola 5 Backup";
  r.initialFolder = dir.path.string();
  r.pathMustExist = true;
  CheckedFileDialog dlg(nullptr, r);
  dlg.selectFile(QString::fromStdString((dir / "missing" / "backup.csv").string()));
  dlg.accept();
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  ASSERT_EQ(scripted.messages.size(), 1u);  // which problem is said is the rule's (above)
  dlg.selectFile(QString::fromStdString((dir / "backup.csv").string()));
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace harkola
