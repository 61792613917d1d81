// Window captions name the program as its title text does, so a new version needs no
// caption edits.
#include <gtest/gtest.h>

#include <QStringList>

#include "app/PublicDecs.h"
#include "app/frmAbout.h"
#include "clock/frmNextBeacon.h"
#include "data/frmBeaconDataEdit.h"
#include "data/frmHomeDataEdit.h"

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
  EXPECT_EQ(captions(d), QStringList({"Harkola 5 - Next Beacon", "Harkola 5   Edit Beacon Data",
                                      "Harkola 5   Home location and settings", "About Harkola 5"}));
  d.TitleText = "Harkola 6 ";
  EXPECT_EQ(captions(d), QStringList({"Harkola 6 - Next Beacon", "Harkola 6   Edit Beacon Data",
                                      "Harkola 6   Home location and settings", "About Harkola 6"}));
  EXPECT_EQ(frmNextBeacon().windowTitle(), "Harkola 5 - Next Beacon");
}

}  // namespace
}  // namespace harkola
