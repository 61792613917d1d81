// What a window manager shows of the small windows: captions that name the program as
// its title text does (a new version needs no caption edits), and frames without empty strips.
#include <gtest/gtest.h>

#include <QStringList>

#include "common/PublicDecs.h"
#include "app/frmAbout.h"
#include "clock/frmGraph.h"
#include "clock/frmNextBeacon.h"
#include "data/frmBeaconDataEdit.h"
#include "data/frmHomeDataEdit.h"
#include "support/ShippedData.h"
#include "ui/WindowFrame.h"

namespace harkola {
namespace {

QStringList captions(PublicDecs& d) {
  frmNextBeacon next(nullptr, d.TitleText);
  frmBeaconDataEdit beacons(d, [] {});
  frmHomeDataEdit home(d, [] {});
  frmAbout about(d.TitleText);
  return {next.windowTitle(), beacons.windowTitle(), home.windowTitle(), about.windowTitle()};
}

TEST(Captions, FollowTheTitleText) {
  PublicDecs d;
  d.TitleText = "Harkola 6 ";
  EXPECT_EQ(captions(d), QStringList({"Harkola 6 - Next Beacon", "Harkola 6   Edit Beacon Data",
                                      "Harkola 6   Home location and settings", "About Harkola 6"}));
  EXPECT_EQ(frmNextBeacon().windowTitle(), "Harkola 5 - Next Beacon");
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
