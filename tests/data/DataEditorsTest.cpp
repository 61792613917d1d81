// The beacon and home data editors, driven headless against real files in a temporary
// data folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "clock/TimeSource.h"
#include "clock/frmPrimary.h"
#include "data/DataEdit.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"
#include "data/frmBeaconDataEdit.h"
#include "data/frmHomeDataEdit.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

// A key press as the user makes it (the box need not have the focus).
void typeKey(QWidget* w, Qt::Key key) {
  QString text = key == Qt::Key_Backspace ? QString(QChar(0x08))
                 : key == Qt::Key_Return  ? QString("\r")
                                          : QString(QChar(static_cast<char16_t>(key)));
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent e(type, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &e);
  }
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
    std::unique_ptr<QDialog> w;
    if (home)
      w = std::make_unique<frmHomeDataEdit>(d, reload);
    else
      w = std::make_unique<frmBeaconDataEdit>(d, reload);
    w->show();
    return w;
  }
  frmBeaconDataEdit& beacon() { return *static_cast<frmBeaconDataEdit*>((w = open(false)).get()); }
  frmHomeDataEdit& home() { return *static_cast<frmHomeDataEdit*>((w = open(true)).get()); }
  std::string file(const char* name) const {
    std::string bytes;
    EXPECT_TRUE(readWholeFile(dir / name, bytes)) << name;
    return bytes;
  }

  test::TempFolder dir{"harkola-editors"};
  PublicDecs d;
  test::ScriptedDialogs dialogs;
  std::unique_ptr<QDialog> w;
  int reloads = 0;
};

TEST_F(EditorTest, TwelfthCallsignCharacterIsReportedAndKept) {
  QLineEdit* box = beacon().txtEditCallsign;
  box->setText("ABCDEFGHIJK");
  typeKey(box, Qt::Key_L);
  EXPECT_EQ(box->text(), "ABCDEFGHIJKL");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0],
            (Notice{"Too long, maximum 11 characters", "Harkola", NoticeIcon::None, NoticeButtons::Ok}));
  typeKey(box, Qt::Key_M);  // again while still too long
  typeKey(box, Qt::Key_Backspace);
  EXPECT_EQ(dialogs.messages.size(), 3u);  // twelve characters are still too many
  typeKey(box, Qt::Key_Backspace);
  EXPECT_EQ(dialogs.messages.size(), 3u);  // back within the limit: quiet
}

// A box typed into: the text before the last key, the key, and what follows.
struct Typing {
  const char* name;
  bool home;            // home editor, else beacon editor (beacon 1)
  const char* box;      // objectName
  const char* before;   // text before the last key
  Qt::Key key;
  const char* message;  // expected message, "" for none
  const char* after;    // text of the box afterwards
};

class TypingTest : public EditorTest, public ::testing::WithParamInterface<Typing> {};

TEST_P(TypingTest, BadEntryIsRefusedWithItsMessage) {
  const Typing& t = GetParam();
  auto w = open(t.home);
  auto* box = w->findChild<QLineEdit*>(t.box);
  ASSERT_NE(box, nullptr);
  box->setText(t.before);
  typeKey(box, t.key);
  EXPECT_EQ(box->text().toStdString(), t.after);
  EXPECT_EQ(dialogs.texts(), *t.message ? std::vector<std::string>{t.message} : std::vector<std::string>{});
}

constexpr const char* kDeg = "Value must be between 0 and 359 degrees";
constexpr const char* kMin = "Value must be between 0 and 59 minutes";

// Out of range or emptied restores the stored value: beacon 1 is at 40 45 North,
// 73 58 West; home at 52 25 North, 0 2 West. A double quote would end the field early in
// the file, so it never gets into a box.
INSTANTIATE_TEST_SUITE_P(
    Table, TypingTest,
    ::testing::Values(
        Typing{"BeaconLatDeg360", false, "txtEditLatDeg", "36", Qt::Key_0, kDeg, "40"},
        Typing{"BeaconLatDeg359", false, "txtEditLatDeg", "35", Qt::Key_9, "", "359"},
        Typing{"BeaconLatDegEmptied", false, "txtEditLatDeg", "4", Qt::Key_Backspace, kDeg, "40"},
        Typing{"BeaconLatMin60", false, "txtEditLatMin", "6", Qt::Key_0, kMin, "45"},
        Typing{"BeaconLatMin59", false, "txtEditLatMin", "5", Qt::Key_9, "", "59"},
        Typing{"HomeLongDeg360", true, "txtLongDeg", "36", Qt::Key_0, kDeg, "0"},
        Typing{"QuoteInCountry", false, "txtEditCountry", "Ab", Qt::Key_QuoteDbl, kQuoteRefusedMessage, "Ab"},
        Typing{"QuoteInHomeName", true, "txtName", "Ab", Qt::Key_QuoteDbl, kQuoteRefusedMessage, "Ab"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorTest, SavingBeacon5RewritesTheFileAndRecomputes) {
  frmBeaconDataEdit& w = beacon();
  EXPECT_EQ(w.lblDataStatus->text(), "Default data - November 2000    Press F1 for Help");
  w.cboEditSlotChoose->setCurrentIndex(4);
  EXPECT_EQ(w.txtEditCallsign->text(), "ZL6B");
  const DistAz before = d.DistAzTable[5];

  w.txtEditCallsign->setText("ZL6BX");
  w.txtEditLatDeg->setText("35");
  w.btnNorth->setChecked(true);
  QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason), tab(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(w.cboEditSlotChoose, &popup);
  EXPECT_TRUE(w.cboEditSlotChoose->isEnabled());  // only leaving the chooser locks it
  QApplication::sendEvent(w.cboEditSlotChoose, &tab);
  EXPECT_FALSE(w.cboEditSlotChoose->isEnabled());
  w.cmdSaveBeaconData->click();

  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Files updated and data recalculated"});
  EXPECT_TRUE(w.cboEditSlotChoose->isEnabled());
  EXPECT_EQ(w.lblDataStatus->text(), "This is customised data    Press F1 for Help");
  const std::string text = file(kBeaconDataFile);
  EXPECT_NE(text.find("\"5\",\"New Zealand\",\"ZL6BX\",\"OK\",\"OK\",\"OK\",\"OK\",\"OK\","
                      "\"175\",\"36\",\"East\",\"35\",\"3\",\"North\",\"This is customised data\"\r\n"),
            std::string::npos);
  EXPECT_EQ(parseBeacons(text).value()[4][3], "KH6WO");  // the other beacons untouched
  EXPECT_EQ(d.BeaconTable[5][3], "ZL6BX");
  EXPECT_TRUE(d.DistAzTable[5].distance != before.distance || d.DistAzTable[5].azimuth != before.azimuth);
}

// The editors wired to the main window as the menu does: what was saved shows at once.
TEST_F(EditorTest, MainWindowShowsSavedValuesAtOnce) {
  ManualTimeSource time(LocalTime{2024, 3, 1, 12, 0, 45, 0});  // beacon 5 on 14 MHz
  PrimaryServices services;
  services.time = &time;
  services.soundCardTest = [] { return true; };
  services.showClosingWindow = services.startTicker = false;
  frmPrimary main(d, services);
  main.activate();
  main.onTick();
  ASSERT_EQ(main.lblCallsign->text(), "ZL6B");
  const QString before = main.lblDx->text();

  frmBeaconDataEdit beacon(d, [&] { main.reloadData(); }, &main);
  beacon.show();
  beacon.cboEditSlotChoose->setCurrentIndex(4);
  beacon.txtEditCallsign->setText("ZL6C");
  beacon.txtEditLatDeg->setText("10");
  beacon.cmdSaveBeaconData->click();
  EXPECT_EQ(main.lblCallsign->text(), "ZL6C");
  EXPECT_NE(main.lblDx->text(), before);
  EXPECT_EQ(main.lblDx->text(), QString::number(d.DistAzTable[5].distance));

  frmHomeDataEdit home(d, [&] { main.reloadData(); }, &main);
  home.show();
  home.txtName->setText("Leeds");
  home.Units[1]->setChecked(true);
  home.cmdSaveHomeData->click();
  EXPECT_EQ(main.lblHome->text(), "Leeds");
  EXPECT_EQ(main.lblDistanceUnits->text(), "Km");
}

TEST_F(EditorTest, ChoosingKmAndSavingWritesKmAndTheNoteOnItsOwnLine) {
  frmHomeDataEdit& w = home();
  EXPECT_TRUE(w.Units[0]->isChecked());
  const long milesDistance = d.DistAzTable[1].distance;
  w.Units[1]->setChecked(true);
  w.cmdSaveHomeData->click();

  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(dialogs.texts(),
            std::vector<std::string>{"Home data and settings have been saved and calculations updated"});
  EXPECT_EQ(file(kHomeDataFile),
            "\"London\",\"52\",\"25\",\"North\",\"0\",\"2\",\"West\",\"Km\"\r\n"
            "\"This is customised data\"\r\n");
  EXPECT_EQ(d.Home.unitText(), "Km");
  EXPECT_GT(d.DistAzTable[1].distance, milesDistance);
  EXPECT_EQ(w.lblHomeDataStatus->text(), "This is customised data    Press F1 for Help");
}

struct CorruptCase {
  const char* name;
  bool home;
  int field;  // home field, or beacon 1 column
  const char* text;
};

class CorruptTest : public EditorTest, public ::testing::WithParamInterface<CorruptCase> {};

TEST_P(CorruptTest, UnknownWordBringsTheCorruptMessageAndTheDefaults) {
  const CorruptCase& c = GetParam();
  if (c.home) {
    HomeRecord home = d.Home;
    home.fields[c.field] = c.text;
    ASSERT_TRUE(saveHomeFile(dir.path, home));
  } else {
    BeaconGrid table = d.BeaconTable;
    table[1][c.field] = c.text;
    ASSERT_TRUE(saveBeaconFile(dir.path, table));
  }
  ASSERT_TRUE(loadHomeAndBeacons(d).empty());  // the loader itself takes any word
  auto w = open(c.home);

  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0], (Notice{kCorruptDataMessage, "Harkola", NoticeIcon::None, NoticeButtons::Ok}));
  EXPECT_EQ(dialogs.messages[1].text,
            c.home ? "Default home data written to file" : "Default beacon data written to file");
  EXPECT_EQ(file(c.home ? kHomeDataFile : kBeaconDataFile), c.home ? defaultHomeData() : defaultBeaconData());
  EXPECT_EQ(reloads, 1);
  EXPECT_TRUE(w->findChild<QRadioButton*>(c.home ? "optNorth" : "btnWest")->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Table, CorruptTest,
                         ::testing::Values(CorruptCase{"HomeNorthSouth", true, 4, "Nord"},
                                           CorruptCase{"HomeUnit", true, 8, "miles"},
                                           CorruptCase{"BeaconWestEast", false, 11, "Westward"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorTest, UnmendableFileIsShownWithoutLooping) {
  HomeRecord broken = d.Home;
  broken.fields[4] = "Nord";
  ASSERT_TRUE(saveHomeFile(dir.path, broken));
  loadHomeAndBeacons(d);
  frmHomeDataEdit w(d, [this] { ++reloads; });  // the reload finds the damaged word again
  w.show();
  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(w.optNorth->isChecked());
}

struct LocatorEntry {
  const char* name;
  const char* typed;
  std::vector<QString> latDegMinLonDegMin;
  bool south, west;
  const char* shown;
};

class LocatorBoxTest : public EditorTest, public ::testing::WithParamInterface<LocatorEntry> {};

TEST_P(LocatorBoxTest, TypedLocatorSetsTheCentreOfItsSquare) {
  const LocatorEntry& e = GetParam();
  frmHomeDataEdit& w = home();
  w.txtLocator->setText(e.typed);
  typeKey(w.txtLocator, Qt::Key_Return);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ((std::vector<QString>{w.txtLatDeg->text(), w.txtLatMin->text(), w.txtLongDeg->text(),
                                  w.txtLongMin->text()}),
            e.latDegMinLonDegMin);
  EXPECT_EQ(w.optSouth->isChecked(), e.south);
  EXPECT_EQ(w.optWest->isChecked(), e.west);
  EXPECT_EQ(w.txtLocator->text(), e.shown);
  EXPECT_TRUE(w.isVisible());  // Enter did not press a button of the dialog
  EXPECT_EQ(reloads, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LocatorBoxTest,
    ::testing::Values(LocatorEntry{"IO91wm", "IO91wm", {"51", "31", "0", "8"}, false, true, "IO91wm"},
                      LocatorEntry{"JJ00aa", "JJ00aa", {"0", "1", "0", "3"}, false, false, "JJ00aa"},
                      LocatorEntry{"LowerCaseFour", "qf56", {"33", "30", "151", "0"}, true, false, "QF56mm"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorTest, LocatorFollowsThePositionAndABadOneChangesNothing) {
  frmHomeDataEdit& w = home();
  EXPECT_EQ(w.txtLocator->text(), "IO92xk");  // 52 25 N, 0 2 W
  w.optSouth->setChecked(true);
  EXPECT_EQ(w.txtLocator->text(), "ID97xo");
  w.txtLocator->setText("ZZ99");
  w.cmdUseLocator->click();
  EXPECT_EQ(dialogs.texts(), std::vector<std::string>{kBadLocatorMessage});
  EXPECT_EQ(w.txtLatDeg->text(), "52");
  EXPECT_EQ(w.txtLocator->text(), "ID97xo");
  w.txtLatDeg->setText("95");  // beyond the pole: no locator
  EXPECT_EQ(w.txtLocator->text(), "");
}

// No caption is cut off at the dialog's own size. With HARKOLA_SHOTS=<folder> the
// dialogs are also saved as PNG for a look.
TEST_F(EditorTest, LabelsAreNotClipped) {
  for (bool isHome : {false, true}) {
    auto w = open(isHome);
    for (QLabel* l : w->findChildren<QLabel*>()) {
      if (!l->wordWrap() && !l->text().isEmpty()) {
        EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
      }
    }
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
      EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
    if (const char* shots = std::getenv("HARKOLA_SHOTS"))
      w->grab().save(QString("%1/%2.png").arg(shots, w->objectName()));
  }
}

}  // namespace
}  // namespace harkola
