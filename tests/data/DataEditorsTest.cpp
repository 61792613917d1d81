// The beacon and home data editors, driven headless against real files in a temporary
// data folder.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QApplication>
#include <QKeyEvent>
#include <filesystem>
#include <random>

#include "data/DataEdit.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"
#include "data/frmBeaconDataEdit.h"
#include "data/frmHomeDataEdit.h"
#include "clock/TimeSource.h"
#include "clock/frmPrimary.h"
#include "support/ScriptedDialogs.h"

namespace fs = std::filesystem;

namespace harkola {
namespace {

// A key press as the user makes it (the box need not have the focus).
void typeKey(QWidget* w, Qt::Key key) {
  QString text;
  if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde) text = QChar(static_cast<char16_t>(key));
  if (key == Qt::Key_Backspace) text = QChar(0x08);
  if (key == Qt::Key_Return) text = QChar('\r');
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &release);
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    m_root = fs::temp_directory_path() / ("harkola-editors-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(m_root);
    d.DataFolder = m_root.string();
    writeDefaultHomeData(m_root);
    writeDefaultBeaconData(m_root);
    loadHomeAndBeacons(d);
  }
  void TearDown() override { fs::remove_all(m_root); }

  // What the main window's reloadData does with the data.
  std::function<void()> reloader() {
    return [this] {
      ++reloads;
      loadHomeAndBeacons(d);
    };
  }
  std::string file(const char* name) const {
    std::string bytes;
    EXPECT_TRUE(readWholeFile(m_root / name, bytes)) << name;
    return bytes;
  }
  void put(const char* name, std::string_view bytes) {
    ASSERT_TRUE(writeWholeFile(m_root / name, bytes));
  }

  fs::path m_root;
  PublicDecs d;
  test::ScriptedDialogs dialogs;
  int reloads = 0;
};

// --- typing rules -------------------------------------------------------------------

TEST_F(EditorTest, TwelfthCallsignCharacterIsReportedAndKept) {
  frmBeaconDataEdit w(d, reloader());
  w.show();
  w.txtEditCallsign->setText("ABCDEFGHIJK");
  typeKey(w.txtEditCallsign, Qt::Key_L);
  EXPECT_EQ(w.txtEditCallsign->text(), "ABCDEFGHIJKL");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0],
            (Notice{"Too long, maximum 11 characters", "Harkola", NoticeIcon::None, NoticeButtons::Ok}));
  typeKey(w.txtEditCallsign, Qt::Key_M);  // again while still too long
  EXPECT_EQ(dialogs.messages.size(), 2u);
  typeKey(w.txtEditCallsign, Qt::Key_Backspace);
  EXPECT_EQ(dialogs.messages.size(), 3u);  // twelve characters are still too many
  typeKey(w.txtEditCallsign, Qt::Key_Backspace);
  EXPECT_EQ(dialogs.messages.size(), 3u);  // back within the limit: quiet
}

// An angle box typed into: the text before the last key, the key, and what follows.
struct AngleTyping {
  const char* name;
  bool home;            // home editor, else beacon editor (beacon 1)
  const char* box;      // objectName
  const char* before;   // text before the last key
  Qt::Key key;
  const char* message;  // expected message, "" for none
  const char* after;    // text of the box afterwards
};

class AngleBoxTest : public EditorTest, public ::testing::WithParamInterface<AngleTyping> {};

TEST_P(AngleBoxTest, OutOfRangeOrEmptyRestoresTheStoredValue) {
  const AngleTyping& t = GetParam();
  std::unique_ptr<QDialog> w;
  if (t.home)
    w = std::make_unique<frmHomeDataEdit>(d, reloader());
  else
    w = std::make_unique<frmBeaconDataEdit>(d, reloader());
  w->show();
  auto* box = w->findChild<QLineEdit*>(t.box);
  ASSERT_NE(box, nullptr);
  box->setText(t.before);
  typeKey(box, t.key);
  EXPECT_EQ(box->text().toStdString(), t.after);
  if (*t.message) {
    ASSERT_EQ(dialogs.texts(), std::vector<std::string>{t.message});
    EXPECT_EQ(dialogs.messages[0].icon, NoticeIcon::None);
  } else {
    EXPECT_TRUE(dialogs.messages.empty());
  }
}

constexpr const char* kDeg = "Value must be between 0 and 359 degrees";
constexpr const char* kMin = "Value must be between 0 and 59 minutes";

// Beacon 1 is at 40 45 North, 73 58 West; home at 52 25 North, 0 2 West.
INSTANTIATE_TEST_SUITE_P(
    Table, AngleBoxTest,
    ::testing::Values(
        AngleTyping{"BeaconLatDeg360", false, "txtEditLatDeg", "36", Qt::Key_0, kDeg, "40"},
        AngleTyping{"BeaconLatDeg359", false, "txtEditLatDeg", "35", Qt::Key_9, "", "359"},
        AngleTyping{"BeaconLatDegEmptied", false, "txtEditLatDeg", "4", Qt::Key_Backspace, kDeg, "40"},
        AngleTyping{"BeaconLatMin60", false, "txtEditLatMin", "6", Qt::Key_0, kMin, "45"},
        AngleTyping{"BeaconLatMin59", false, "txtEditLatMin", "5", Qt::Key_9, "", "59"},
        AngleTyping{"BeaconLongMinNegative", false, "txtEditLongMin", "", Qt::Key_Minus, kMin, "58"},
        AngleTyping{"HomeLatMin60", true, "txtLatMin", "6", Qt::Key_0, kMin, "25"},
        AngleTyping{"HomeLongDeg360", true, "txtLongDeg", "36", Qt::Key_0, kDeg, "0"},
        AngleTyping{"HomeLatDegEmptied", true, "txtLatDeg", "5", Qt::Key_Backspace, kDeg, "52"}),
    [](const auto& info) { return std::string(info.param.name); });

// A double quote would end the field early in the file; it never gets into a box.
struct QuoteTyping {
  const char* name;
  bool home;
  const char* box;
};

class QuoteTest : public EditorTest, public ::testing::WithParamInterface<QuoteTyping> {};

TEST_P(QuoteTest, DoubleQuoteIsRefusedWhereItIsTyped) {
  std::unique_ptr<QDialog> w;
  if (GetParam().home)
    w = std::make_unique<frmHomeDataEdit>(d, reloader());
  else
    w = std::make_unique<frmBeaconDataEdit>(d, reloader());
  w->show();
  auto* box = w->findChild<QLineEdit*>(GetParam().box);
  ASSERT_NE(box, nullptr);
  box->setText("Ab");
  box->setCursorPosition(1);
  typeKey(box, Qt::Key_QuoteDbl);
  EXPECT_EQ(box->text(), "Ab");
  EXPECT_EQ(box->cursorPosition(), 1);
  EXPECT_EQ(dialogs.texts(), std::vector<std::string>{kQuoteRefusedMessage});
}

INSTANTIATE_TEST_SUITE_P(Table, QuoteTest,
                         ::testing::Values(QuoteTyping{"Country", false, "txtEditCountry"},
                                           QuoteTyping{"Callsign", false, "txtEditCallsign"},
                                           QuoteTyping{"HomeName", true, "txtName"}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- beacon editor ------------------------------------------------------------------

TEST_F(EditorTest, SavingBeacon5RewritesTheFileAndRecomputes) {
  frmBeaconDataEdit w(d, reloader());
  w.show();
  EXPECT_EQ(w.lblDataStatus->text(), "Default data - November 2000    Press F1 for Help");
  w.cboEditSlotChoose->setCurrentIndex(4);
  ASSERT_EQ(w.beacon(), 5);
  EXPECT_EQ(w.txtEditCallsign->text(), "ZL6B");
  const DistAz before = d.DistAzTable[5];

  w.txtEditCallsign->setText("ZL6BX");
  w.txtEditLatDeg->setText("35");
  w.btnNorth->setChecked(true);
  QApplication::sendEvent(w.cboEditSlotChoose, new QFocusEvent(QEvent::FocusOut, Qt::TabFocusReason));
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
  const auto back = parseBeacons(text);
  ASSERT_TRUE(back);
  EXPECT_EQ((*back)[4][3], "KH6WO");  // the other beacons untouched
  EXPECT_EQ(d.BeaconTable[5][3], "ZL6BX");
  EXPECT_TRUE(d.DistAzTable[5].distance != before.distance ||
              d.DistAzTable[5].azimuth != before.azimuth);
}

TEST_F(EditorTest, ChooserLocksOnlyWhenTheUserLeavesIt) {
  frmBeaconDataEdit w(d, reloader());
  w.show();
  QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(w.cboEditSlotChoose, &popup);
  EXPECT_TRUE(w.cboEditSlotChoose->isEnabled());
  QFocusEvent mouse(QEvent::FocusOut, Qt::MouseFocusReason);
  QApplication::sendEvent(w.cboEditSlotChoose, &mouse);
  EXPECT_FALSE(w.cboEditSlotChoose->isEnabled());
  w.cmdDefault2->click();
  EXPECT_TRUE(w.cboEditSlotChoose->isEnabled());
  EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Default beacon data written to file"});
  EXPECT_EQ(reloads, 1);
}

// The editors wired to the main window as the menu does: what was saved shows at once.
TEST_F(EditorTest, MainWindowShowsSavedValuesAtOnce) {
  ManualTimeSource time(LocalTime{2024, 3, 1, 12, 0, 45, 0});  // beacon 5 on 14 MHz
  PrimaryServices services;
  services.time = &time;
  services.soundCardTest = [] { return true; };
  services.showClosingWindow = false;
  services.startTicker = false;
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

// --- home editor --------------------------------------------------------------------

TEST_F(EditorTest, ChoosingKmAndSavingWritesKmAndTheNoteOnItsOwnLine) {
  frmHomeDataEdit w(d, reloader());
  w.show();
  EXPECT_EQ(w.txtName->text(), "London");
  EXPECT_TRUE(w.Units[0]->isChecked());
  EXPECT_EQ(d.Home.unitText(), "m");
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
  EXPECT_TRUE(w.Units[1]->isChecked());
}

// --- damaged files ------------------------------------------------------------------

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
    ASSERT_TRUE(saveHomeFile(m_root, home));
  } else {
    BeaconGrid table = d.BeaconTable;
    table[1][c.field] = c.text;
    ASSERT_TRUE(saveBeaconFile(m_root, table));
  }
  ASSERT_TRUE(loadHomeAndBeacons(d).empty());  // the loader itself takes any word

  std::unique_ptr<QDialog> w;
  if (c.home)
    w = std::make_unique<frmHomeDataEdit>(d, reloader());
  else
    w = std::make_unique<frmBeaconDataEdit>(d, reloader());
  w->show();

  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0],
            (Notice{kCorruptDataMessage, "Harkola", NoticeIcon::None, NoticeButtons::Ok}));
  EXPECT_EQ(dialogs.messages[1].text,
            c.home ? "Default home data written to file" : "Default beacon data written to file");
  EXPECT_EQ(file(c.home ? kHomeDataFile : kBeaconDataFile),
            c.home ? defaultHomeData() : defaultBeaconData());
  EXPECT_EQ(reloads, 1);
  if (c.home) {
    EXPECT_EQ(w->findChild<QLineEdit*>("txtName")->text(), "London");
    EXPECT_TRUE(w->findChild<QRadioButton*>("optNorth")->isChecked());
  } else {
    EXPECT_TRUE(w->findChild<QRadioButton*>("btnNorth")->isChecked());
    EXPECT_TRUE(w->findChild<QRadioButton*>("btnWest")->isChecked());
  }
}

INSTANTIATE_TEST_SUITE_P(Table, CorruptTest,
                         ::testing::Values(CorruptCase{"HomeNorthSouth", true, 4, "Nord"},
                                           CorruptCase{"HomeWestEast", true, 7, "west"},
                                           CorruptCase{"HomeUnit", true, 8, "miles"},
                                           CorruptCase{"BeaconNorthSouth", false, 14, "N"},
                                           CorruptCase{"BeaconWestEast", false, 11, "Westward"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorTest, UnmendableFileIsShownWithoutLooping) {
  // The folder refuses the default, so the reload finds the same damaged word again.
  HomeRecord home = d.Home;
  home.fields[4] = "Nord";
  ASSERT_TRUE(saveHomeFile(m_root, home));
  loadHomeAndBeacons(d);
  frmHomeDataEdit w(d, [this] { ++reloads; });  // reload keeps the damaged record
  w.show();
  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(w.optNorth->isChecked());
}

// --- locator ------------------------------------------------------------------------

struct LocatorEntry {
  const char* name;
  const char* typed;
  const char* latDeg;
  const char* latMin;
  bool south;
  const char* lonDeg;
  const char* lonMin;
  bool west;
  const char* shown;
};

class LocatorBoxTest : public EditorTest, public ::testing::WithParamInterface<LocatorEntry> {};

TEST_P(LocatorBoxTest, TypedLocatorSetsTheCentreOfItsSquare) {
  const LocatorEntry& e = GetParam();
  frmHomeDataEdit w(d, reloader());
  w.show();
  w.txtLocator->setText(e.typed);
  typeKey(w.txtLocator, Qt::Key_Return);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(w.txtLatDeg->text(), e.latDeg);
  EXPECT_EQ(w.txtLatMin->text(), e.latMin);
  EXPECT_EQ(w.optSouth->isChecked(), e.south);
  EXPECT_EQ(w.txtLongDeg->text(), e.lonDeg);
  EXPECT_EQ(w.txtLongMin->text(), e.lonMin);
  EXPECT_EQ(w.optWest->isChecked(), e.west);
  EXPECT_EQ(w.txtLocator->text(), e.shown);
  EXPECT_TRUE(w.isVisible());  // Enter did not press a button of the dialog
  EXPECT_EQ(reloads, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LocatorBoxTest,
    ::testing::Values(LocatorEntry{"IO91wm", "IO91wm", "51", "31", false, "0", "8", true, "IO91wm"},
                      LocatorEntry{"JJ00aa", "JJ00aa", "0", "1", false, "0", "3", false, "JJ00aa"},
                      LocatorEntry{"LowerCaseFour", "qf56", "33", "30", true, "151", "0", false, "QF56mm"},
                      LocatorEntry{"SouthWest", "GG66rk", "23", "34", true, "46", "33", true, "GG66rk"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorTest, LocatorFollowsThePositionAndABadOneChangesNothing) {
  frmHomeDataEdit w(d, reloader());
  w.show();
  EXPECT_EQ(w.txtLocator->text(), "IO92xk");  // 52 25 N, 0 2 W
  w.optSouth->setChecked(true);
  EXPECT_EQ(w.txtLocator->text(), "ID97xo");

  w.txtLocator->setText("ZZ99");
  w.cmdUseLocator->click();
  EXPECT_EQ(dialogs.texts(), std::vector<std::string>{kBadLocatorMessage});
  EXPECT_EQ(w.txtLatDeg->text(), "52");
  EXPECT_EQ(w.txtLatMin->text(), "25");
  EXPECT_TRUE(w.optSouth->isChecked());
  EXPECT_EQ(w.txtLocator->text(), "ID97xo");

  w.txtLatDeg->setText("95");  // beyond the pole: no locator
  EXPECT_EQ(w.txtLocator->text(), "");
}

// The next widget in the focus chain that the Tab key can stop at (labels cannot).
QWidget* nextTabStop(QWidget* w) {
  QWidget* next = w->nextInFocusChain();
  while (next != w && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
  return next;
}

TEST_F(EditorTest, TabOrderFollowsTheForms) {
  frmHomeDataEdit home(d, reloader());
  const std::vector<QWidget*> homeOrder = {home.txtName, home.txtLatDeg, home.txtLatMin,
                                           home.optNorth, home.optSouth, home.txtLongDeg,
                                           home.txtLongMin, home.optWest, home.optEast,
                                           home.Units[0], home.Units[1]};
  for (std::size_t i = 1; i < homeOrder.size(); ++i)
    EXPECT_EQ(nextTabStop(homeOrder[i - 1]), homeOrder[i]) << i;

  frmBeaconDataEdit beacon(d, reloader());
  const std::vector<QWidget*> beaconOrder = {
      beacon.cboEditSlotChoose, beacon.txtEditCallsign, beacon.txtEditStatus[0],
      beacon.txtEditStatus[1],  beacon.txtEditStatus[2], beacon.txtEditStatus[3],
      beacon.txtEditStatus[4],  beacon.txtEditLatDeg,   beacon.txtEditLatMin,
      beacon.btnNorth,          beacon.btnSouth,        beacon.txtEditLongDeg,
      beacon.txtEditLongMin,    beacon.btnWest,         beacon.btnEast};
  for (std::size_t i = 1; i < beaconOrder.size(); ++i)
    EXPECT_EQ(nextTabStop(beaconOrder[i - 1]), beaconOrder[i]) << i;
}

// No caption is cut off at the dialog's own size. With HARKOLA_SHOTS=<folder> the
// dialogs are also saved as PNG for a look.
TEST_F(EditorTest, LabelsAreNotClipped) {
  frmBeaconDataEdit beacon(d, reloader());
  frmHomeDataEdit home(d, reloader());
  for (QDialog* w : {static_cast<QDialog*>(&beacon), static_cast<QDialog*>(&home)}) {
    w->show();
    for (QLabel* l : w->findChildren<QLabel*>()) {
      if (l->wordWrap() || l->text().isEmpty()) continue;
      EXPECT_GE(l->width(), l->sizeHint().width()) << w->objectName().toStdString() << ": "
                                                    << l->text().toStdString();
    }
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
      EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
    if (const char* dir = std::getenv("HARKOLA_SHOTS"))
      w->grab().save(QString("%1/%2.png").arg(dir, w->objectName()));
  }
}

}  // namespace
}  // namespace harkola
