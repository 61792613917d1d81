// The splash, about box, closing window and help viewer, driven headless.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTimer>

#include "app/HelpWindow.h"
#include "app/RegistryReader.h"
#include "app/frmAbout.h"
#include "app/frmEnd.h"
#include "app/frmSplash.h"
#include "support/ScriptedDialogs.h"

namespace harkola {
namespace {

void waitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < timeoutMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
}

TEST(Splash, ShowsCaptionPicturesAndLines) {
  QPointer<frmSplash> splash = new frmSplash([] {});
  EXPECT_EQ(splash->lblCaption->text(),
            "Harkola 5  - the voice announcer, automatic logger and analyser for the "
            "NCDXF/IARU HF propagation beacons");
  EXPECT_FALSE(splash->imgGlobe->pixmap().isNull());
  EXPECT_FALSE(splash->imgAntenna->pixmap().isNull());
  for (const char* line : {"Line1", "Line2", "Line3", "Line4"})
    EXPECT_NE(splash->findChild<QFrame*>(line), nullptr) << line;
  EXPECT_TRUE(splash->Timer1->isActive());
  EXPECT_EQ(splash->Timer1->interval(), 4000);
  delete splash;
}

TEST(Splash, HandsOverExactlyOnceAndGoesAway) {
  int shown = 0;
  QPointer<frmSplash> splash = new frmSplash([&] { ++shown; });
  splash->show();
  // Two timeouts (a late duplicate event) must not show the main window twice.
  QMetaObject::invokeMethod(splash->Timer1, "timeout", Qt::DirectConnection);
  EXPECT_FALSE(splash->Timer1->isActive());
  if (splash) QMetaObject::invokeMethod(splash->Timer1, "timeout", Qt::DirectConnection);
  EXPECT_EQ(shown, 1);
  waitFor([&] { return splash.isNull(); }, 1000);
  EXPECT_TRUE(splash.isNull()) << "the splash deletes itself";
  EXPECT_EQ(shown, 1);
}

TEST(About, ShowsVersionTitleAndFixedTexts) {
  frmAbout about("Harkola 5 ");
  EXPECT_EQ(about.windowTitle(), "About Harkola 4");
  EXPECT_EQ(about.lblVersion->text(), "Version 5.0.0");
  EXPECT_EQ(about.lblTitle->text(), "Harkola 5 ");
  EXPECT_TRUE(about.lblCopyright->text().startsWith(QString::fromUtf8("© ")));
  EXPECT_EQ(about.lblCopyright->text().size(), 2 + QString::fromUtf8(kLegalNotice).size());
  EXPECT_EQ(about.lblDescription->text(),
            "A program to track the timing of the NCDXF/IARU HF Beacon chain, with voice "
            "announcement of the currently transmitting beacon and automatic logging.");
  EXPECT_EQ(about.cmdSysInfo->text(), "&System Info...");
  ASSERT_NE(about.picIcon->pixmap().isNull(), true);
}

TEST(About, SystemInfoUnavailableWithoutRegistryStartsNothing) {
  test::ScriptedDialogs dialogs;
  frmAbout about("Harkola 5 ");
  int launched = 0;
  about.setLauncher([&](const QString&) { return ++launched, true; });
  about.cmdSysInfo->click();
  EXPECT_EQ(launched, 0);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "System Information Is Unavailable At This Time");
  EXPECT_EQ(dialogs.messages[0].buttons, NoticeButtons::Ok);
}

class OneValueRegistry : public NoRegistry {
 public:
  bool openKey(RegistryRoot, const std::string& keyName, std::uint32_t, Key& key) override {
    key = 1;
    return keyName == "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
  }
  bool queryValue(Key, const std::string& name, std::uint32_t& type,
                  std::vector<unsigned char>& data, std::size_t) override {
    if (name != "PATH") return false;
    type = kRegistryString;
    data = {'/', 't', 'o', 'o', 'l', 0};
    return true;
  }
};

TEST(About, SystemInfoStartsTheRegisteredTool) {
  test::ScriptedDialogs dialogs;
  OneValueRegistry reg;
  frmAbout about("Harkola 5 ");
  about.setRegistry(&reg);
  QStringList launched;
  bool launchWorks = true;
  about.setLauncher([&](const QString& p) { return launched << p, launchWorks; });
  about.cmdSysInfo->click();
  EXPECT_EQ(launched, QStringList{"/tool"});
  EXPECT_TRUE(dialogs.messages.empty());

  // A tool that cannot be started is reported, not ignored.
  launchWorks = false;
  about.cmdSysInfo->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "System Information Is Unavailable At This Time");
}

TEST(About, OkClosesAndDestroysTheBox) {
  QPointer<frmAbout> about = new frmAbout("Harkola 5 ");
  about->show();
  about->cmdOK->click();
  waitFor([&] { return about.isNull(); }, 1000);
  EXPECT_TRUE(about.isNull());
}

TEST(ClosingWindow, ThanksTheUserAndClosesItselfAfterTwoSeconds) {
  frmEnd end("Harkola 5 ");
  EXPECT_TRUE(end.Label1->text().startsWith("Thanks for using Harkola 5 "));
  EXPECT_TRUE(end.isModal());
  EXPECT_EQ(end.Timer1->interval(), 2000);
  EXPECT_FALSE(end.Timer1->isActive()) << "counts from the moment it is shown";

  QElapsedTimer t;
  t.start();
  int result = end.exec();  // returns only because the window closes itself
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_GE(t.elapsed(), 1900);
  EXPECT_FALSE(end.isVisible());
}

TEST(Help, DocumentShipsUnderItsNameAndOpensAtContents) {
  EXPECT_EQ(helpFileName(), "Harkola5.hlp");
  EXPECT_TRUE(QFile::exists(":/help/Harkola5.hlp"));

  QWidget owner;
  HelpWindow* help = showHelpContents(&owner);
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  QString text = help->txtHelp->toPlainText();
  EXPECT_TRUE(text.contains("Contents"));
  EXPECT_EQ(help->txtHelp->source().fragment(), "contents");
  // A second request reuses the window.
  EXPECT_EQ(showHelpContents(&owner), help);
}

TEST(Help, EveryInternalLinkHasItsTarget) {
  QFile file(":/help/Harkola5.hlp");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(file.readAll());
  QRegularExpression link("href=\"#([^\"]+)\"");
  int links = 0;
  for (auto it = link.globalMatch(html); it.hasNext();) {
    const QString target = it.next().captured(1);
    ++links;
    EXPECT_TRUE(html.contains("name=\"" + target + "\"") || html.contains("id=\"" + target + "\""))
        << target.toStdString();
  }
  EXPECT_GT(links, 10);
}

}  // namespace
}  // namespace harkola
