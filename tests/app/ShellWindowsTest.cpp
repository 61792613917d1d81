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

TEST(Splash, ShowsItsCaptionThenHandsOverExactlyOnceAndGoesAway) {
  int shown = 0;
  QPointer<frmSplash> splash = new frmSplash([&] { ++shown; });
  EXPECT_EQ(splash->lblCaption->text(),
            "Harkola 5  - the voice announcer, automatic logger and analyser for the "
            "NCDXF/IARU HF propagation beacons");
  EXPECT_FALSE(splash->imgGlobe->pixmap().isNull());
  EXPECT_EQ(splash->Timer1->interval(), 4000);
  splash->show();
  // Two timeouts (a late duplicate event) must not show the main window twice.
  QMetaObject::invokeMethod(splash->Timer1, "timeout", Qt::DirectConnection);
  if (splash) QMetaObject::invokeMethod(splash->Timer1, "timeout", Qt::DirectConnection);
  waitFor([&] { return splash.isNull(); }, 1000);
  EXPECT_TRUE(splash.isNull()) << "the splash deletes itself";
  EXPECT_EQ(shown, 1);
}

TEST(About, ShowsVersionTitleAndFixedTexts) {
  frmAbout about("Harkola 5 ");
  EXPECT_EQ(about.windowTitle(), "About Harkola 4");
  EXPECT_EQ(about.lblVersion->text(), "Version 5.0.0");
  EXPECT_EQ(about.lblCopyright->text(), QString::fromUtf8("\u00A9 ") + QString::fromUtf8(kLegalNotice));
  EXPECT_EQ(about.lblDescription->text(),
            "A program to track the timing of the NCDXF/IARU HF Beacon chain, with voice "
            "announcement of the currently transmitting beacon and automatic logging.");
  EXPECT_EQ(about.cmdSysInfo->text(), "&System Info...");
}

class OneValueRegistry : public NoRegistry {
 public:
  bool openKey(RegistryRoot, const std::string& keyName, std::uint32_t, Key& key) override {
    key = 1;
    return keyName == "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
  }
  bool queryValue(Key, const std::string& name, std::uint32_t& type,
                  std::vector<unsigned char>& data, std::size_t) override {
    type = kRegistryString;
    data = {'/', 't', 'o', 'o', 'l', 0};
    return name == "PATH";
  }
};

// Without a registry, or when the registered tool cannot be started, the user is told;
// otherwise the registered tool is started.
TEST(About, SystemInfoStartsTheRegisteredToolOrSaysItIsUnavailable) {
  test::ScriptedDialogs dialogs;
  frmAbout about("Harkola 5 ");
  QStringList launched;
  bool launchWorks = true;
  about.setLauncher([&](const QString& p) { return launched << p, launchWorks; });
  about.cmdSysInfo->click();
  EXPECT_TRUE(launched.isEmpty());
  const Notice unavailable{"System Information Is Unavailable At This Time", dialogs.messages.at(0).title,
                           dialogs.messages.at(0).icon, NoticeButtons::Ok};
  EXPECT_EQ(dialogs.messages, std::vector<Notice>{unavailable});

  OneValueRegistry reg;
  about.setRegistry(&reg);
  about.cmdSysInfo->click();
  EXPECT_EQ(launched, QStringList{"/tool"});
  EXPECT_EQ(dialogs.messages.size(), 1u);
  launchWorks = false;
  about.cmdSysInfo->click();
  EXPECT_EQ(dialogs.messages, (std::vector<Notice>{unavailable, unavailable}));
}

TEST(ClosingWindow, ThanksTheUserAndClosesItselfAfterTwoSeconds) {
  frmEnd end("Harkola 5 ");
  EXPECT_TRUE(end.Label1->text().startsWith("Thanks for using Harkola 5 "));
  EXPECT_TRUE(end.isModal());
  EXPECT_FALSE(end.Timer1->isActive()) << "counts from the moment it is shown";

  QElapsedTimer t;
  t.start();
  int result = end.exec();  // returns only because the window closes itself
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_GE(t.elapsed(), 1900);  // two seconds, counted from showing
  EXPECT_FALSE(end.isVisible());
}

TEST(Help, OpensAtContentsAndEveryInternalLinkHasItsTarget) {
  QWidget owner;
  HelpWindow* help = showHelpContents(&owner);
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(help->txtHelp->toPlainText().contains("Contents"));
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
