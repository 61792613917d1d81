// The beacon and home data editors, driven headless against real files in a temporary
// data folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QPushButton>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "app/PrimaryFixture.h"
#include "data/DataEdit.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"
#include "data/frmBeaconDataEdit.h"
#include "data/frmHomeDataEdit.h"
#include "support/ScriptedDialogs.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

// A key press as the user makes it (the box need not have the focus).
void typeKey(QWidget* w, Qt::Key key) {
  const QChar c = key == Qt::Key_Backspace ? QChar(0x08) : key == Qt::Key_Return ? QChar('\r') : QChar(key);
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, c), release(QEvent::KeyRelease, key, Qt::NoModifier, c);
  QApplication::sendEvent(w, &press), QApplication::sendEvent(w, &release);
}

class EditorTest : public ::testing::Test {
 protected:
  EditorTest() {
    d.DataFolder = dir.path.string();
    writeDefaultHomeData(dir.path);
    writeDefaultBeaconData(dir.path);
    loadHomeAndBeacons(d);
  }
  // An editor whose reload does what the main window's reloadData does with the data.
  std::unique_ptr<QDialog> open(bool home) {
    auto reload = [this] { ++reloads, loadHomeAndBeacons(d); };
    std::unique_ptr<QDialog> w(home ? static_cast<QDialog*>(new frmHomeDataEdit(d, reload))
                                    : new frmBeaconDataEdit(d, reload));
    w->show();
    return w;
  }
  std::string file(const char* name) const { return test::fileText(dir / name); }

  test::TempFolder dir{"harkola-editors"};
  PublicDecs d;
  test::ScriptedDialogs dialogs;
  int reloads = 0;
};

// A key typed into a box of the home editor or of the beacon editor (beacon 1, at 40 45
// North; home at 52 25 North) after `before`: out of range or emptied restores the stored
// value, a double quote (it would end the field early in the file) never gets in. Which
// values are refused is the core's; here each box brings its message.
TEST_F(EditorTest, BadEntryIsRefusedWithItsMessage) {
  const struct {
    bool home;
    const char *box, *before;
    Qt::Key key;
    const char *message, *after;
  } rows[] = {{false, "txtEditCallsign", "ABCDEFGHIJK", Qt::Key_L, "Too long, maximum 11 characters", "ABCDEFGHIJKL"},
              {false, "txtEditLatDeg", "9", Qt::Key_5, kLatitudeMessage, "40"},
              {false, "txtEditLatDeg", "4", Qt::Key_Backspace, kLatitudeMessage, "40"},
              {true, "txtLatMin", "6", Qt::Key_0, "Value must be between 0 and 59 minutes", "25"},
              {true, "txtName", "Ab", Qt::Key_QuoteDbl, kQuoteRefusedMessage, "Ab"}};
  for (const auto& r : rows) {
    auto w = open(r.home);
    auto* box = w->findChild<QLineEdit*>(r.box);
    box->setText(r.before);
    typeKey(box, r.key);
    EXPECT_EQ(box->text().toStdString(), r.after) << r.box;
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{r.message}) << r.box;
    dialogs.messages.clear();
  }
}

// The editors wired to the main window as the menu does: the files are rewritten and
// what was saved shows at once.
class EditorsOfTheMainWindow : public test::PrimaryFixture {};

TEST_F(EditorsOfTheMainWindow, SavedDataReachesTheFilesAndTheMainWindowAtOnce) {
  running({2024, 3, 1, 12, 0, 45, 0});  // beacon 5 on 14 MHz
  frmPrimary& main = *win;
  ASSERT_EQ(main.lblCallsign->text(), "ZL6B");
  int reloads = 0;
  auto reload = [&] { ++reloads, main.reloadData(); };
  auto file = [this](const char* name) { return test::fileText(dir / "data" / name); };

  frmBeaconDataEdit beacon(d, reload, &main);
  beacon.show();
  beacon.cboEditSlotChoose->setCurrentIndex(4);
  beacon.txtEditCallsign->setText("ZL6BX");
  beacon.position->latDeg->setText("35");
  beacon.position->north->setChecked(true);
  QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason), tab(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(beacon.cboEditSlotChoose, &popup);
  EXPECT_TRUE(beacon.cboEditSlotChoose->isEnabled());  // only leaving the chooser locks it
  QApplication::sendEvent(beacon.cboEditSlotChoose, &tab);
  EXPECT_FALSE(beacon.cboEditSlotChoose->isEnabled());
  beacon.cmdSaveBeaconData->click();
  EXPECT_TRUE(beacon.cboEditSlotChoose->isEnabled());
  const std::string text = file(kBeaconDataFile);
  EXPECT_NE(text.find("\"5\",\"New Zealand\",\"ZL6BX\",\"OK\",\"OK\",\"OK\",\"OK\",\"OK\","
                      "\"175\",\"36\",\"East\",\"35\",\"3\",\"North\",\"This is customised data\"\r\n"),
            std::string::npos);
  EXPECT_EQ(main.lblCallsign->text(), "ZL6BX");
  EXPECT_EQ(main.lblDx->text(), QString::number(d.DistAzTable[5].distance));

  frmHomeDataEdit home(d, reload, &main);
  home.show();
  home.txtName->setText("Leeds");
  home.Units[1]->setChecked(true);
  home.cmdSaveHomeData->click();
  EXPECT_EQ(std::pair(reloads, dialogs.messages.size()), std::pair(2, std::size_t{2}));  // each save confirmed
  EXPECT_EQ(file(kHomeDataFile),
            "\"Leeds\",\"52\",\"25\",\"North\",\"0\",\"2\",\"West\",\"Km\"\r\n"
            "\"This is customised data\"\r\n");
  EXPECT_EQ(main.lblHome->text() + " " + main.lblDistanceUnits->text(), "Leeds Km");
}

// An unknown word in a home field or in a column of beacon 1 brings the corrupt message
// and the defaults (the loader itself takes any word); a file the reload cannot mend is
// shown once, without looping.
TEST_F(EditorTest, UnknownWordBringsTheCorruptMessageAndTheDefaults) {
  for (bool isHome : {true, false}) {
    HomeRecord home = d.Home;
    BeaconGrid table = d.BeaconTable;
    (isHome ? home.fields[4] : table[1][11]) = "Nord";
    ASSERT_TRUE(isHome ? saveHomeFile(dir.path, home) : saveBeaconFile(dir.path, table));
    ASSERT_TRUE(loadHomeAndBeacons(d).empty());
    reloads = 0;
    dialogs.messages.clear();
    auto w = open(isHome);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, kCorruptDataMessage);
    EXPECT_EQ(file(isHome ? kHomeDataFile : kBeaconDataFile), isHome ? defaultHomeData() : defaultBeaconData());
    EXPECT_EQ(reloads, 1);
    EXPECT_TRUE(w->findChild<QRadioButton*>(isHome ? "optNorth" : "btnWest")->isChecked());
  }
  HomeRecord broken = d.Home;
  broken.fields[4] = "Nord";
  ASSERT_TRUE(saveHomeFile(dir.path, broken));
  loadHomeAndBeacons(d);
  reloads = 0;
  dialogs.messages.clear();
  frmHomeDataEdit w(d, [this] { ++reloads; });  // the reload finds the damaged word again
  w.show();
  EXPECT_EQ(std::pair(reloads, dialogs.messages.size()), std::pair(1, std::size_t{2}));
}

// The locator box follows the position; a typed locator and Enter set the centre of its
// square (without pressing a button of the dialog); a bad one changes nothing.
TEST_F(EditorTest, LocatorFollowsThePositionAndSetsIt) {
  const auto dialog = open(true);
  auto& w = static_cast<frmHomeDataEdit&>(*dialog);
  EXPECT_EQ(w.txtLocator->text(), "IO92xk");  // 52 25 N, 0 2 W
  w.position->south->setChecked(true);
  EXPECT_EQ(w.txtLocator->text(), "ID97xo");
  w.txtLocator->setText("ZZ99");
  w.cmdUseLocator->click();
  EXPECT_EQ(dialogs.texts(), std::vector<std::string>{kBadLocatorMessage});
  EXPECT_EQ(w.txtLocator->text() + w.position->latDeg->text(), "ID97xo52");
  w.txtLocator->setText("qf56");
  typeKey(w.txtLocator, Qt::Key_Return);
  EXPECT_EQ(w.position->latDeg->text() + w.position->lonDeg->text() + w.txtLocator->text(), "33151QF56mm");
  EXPECT_TRUE(w.isVisible() && w.position->south->isChecked() && !w.position->west->isChecked());
}

// A value the typing check cannot see (minutes beyond the pole or the date line; the
// rule is the core's) is refused on saving, by either editor: the message, no file written.
TEST_F(EditorTest, ARefusedSaveWritesNothing) {
  for (bool home : {false, true}) {
    const std::string before = file(home ? kHomeDataFile : kBeaconDataFile);
    auto w = open(home);
    w->findChild<QLineEdit*>(home ? "txtLongDeg" : "txtEditLatDeg")->setText(home ? "180" : "90");
    w->findChild<QLineEdit*>(home ? "txtLongMin" : "txtEditLatMin")->setText("1");
    w->findChild<QPushButton*>(home ? "cmdSaveHomeData" : "cmdSaveBeaconData")->click();
    EXPECT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(std::pair(file(home ? kHomeDataFile : kBeaconDataFile), reloads), std::pair(before, 0));
    dialogs.messages.clear();
  }
}

TEST_F(EditorTest, DefaultsReplaceAllBeaconsOnlyWhenTheUserSaysYes) {
  BeaconGrid table = d.BeaconTable;
  table[7][3] = "XX9XX";
  ASSERT_TRUE(saveBeaconFile(dir.path, table));
  loadHomeAndBeacons(d);
  const std::string custom = file(kBeaconDataFile);
  auto w = open(false);
  auto* defaults = w->findChild<QPushButton*>("cmdDefault2");
  dialogs.answers = {Answer::No};
  defaults->click();
  EXPECT_EQ(std::tuple(file(kBeaconDataFile), d.BeaconTable[7][3], reloads), std::tuple(custom, "XX9XX", 0));
  dialogs.answers = {Answer::Yes};
  defaults->click();
  EXPECT_EQ(file(kBeaconDataFile), defaultBeaconData());
  EXPECT_EQ(reloads, 1);
}

}  // namespace
}  // namespace harkola
