// The propagation window on a slot log written here, with a clock the test sets; its
// Network view and the Network window, on a network station whose link is a fake the
// test feeds with other stations' reports; band scanning and the window driven through
// the main window's menus, with a rig that records what it is told.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <gtest/gtest.h>

#include "app/PrimaryFixture.h"
#include "clock/SlotLog.h"
#include "network/NetworkStation.h"
#include "network/Reports.h"
#include "network/frmNetworkSettings.h"
#include "propagation/NetworkMap.h"
#include "propagation/NetworkPanel.h"
#include "propagation/PropagationMap.h"
#include "propagation/frmPropagation.h"
#include "support/Files.h"
#include "support/ShippedData.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"

namespace harkola {
namespace {

using Clock = std::chrono::system_clock;

class PropagationWindow : public ::testing::Test {
 protected:
  void write(const std::string& name, const std::string& text) { test::appendFile(folder / name, text); }
  std::unique_ptr<frmPropagation> open() {
    auto w = std::make_unique<frmPropagation>(d, folder.path, [this] { return now; });
    waitForHistory(*w);
    return w;
  }
  static void waitForHistory(frmPropagation& w) {
    EXPECT_TRUE(test::waitFor([&] { return !w.loading(); })) << "history still loading after 10 s";
  }
  QTableWidgetItem* cell(frmPropagation& w, int beacon, int band) {
    return w.findChild<QTableWidget*>("grdPropagation")->item(beacon - 1, 4 + band);
  }

  PublicDecs d = test::shippedDecs();
  test::TempFolder folder{"harkola-propagation"};
  // 2026-12-07T04:31:45Z: slot 11 of the 04:30 cycle
  Clock::time_point now{std::chrono::seconds(1'796'617'905)};
};

const char* kSlotLog =
    "\"2026-12-07T04:28:10Z\",\"14\",\"11\",\"ZS6DN\",\"1\",\"4\",\"6.5\",\"-3.4\",\"-13.0\",\"-22.8\",\"803\",\"12\",\"30\",\"7\"\r\n"
    "\"2026-12-07T04:28:10Z\",\"18\",\"10\",\"4S7B\",\"0\",\"0\",\"\",\"\",\"\",\"\",\"\",\"\",\"1.0\",\"\"\r\n";

// In the order a new user meets them: nothing logged yet, the heard log's S levels, then
// the slot log once the sensitive detector starts one (the window reads that instead).
TEST_F(PropagationWindow, GridShowsTheLogAndOutlinesTheBeaconsOnTheAir) {
  auto w = open();
  EXPECT_TRUE(w->findChild<QLabel*>("lblSource")->text().startsWith("Nothing logged yet"));
  write("Harkola 5 Heard Log.csv", "\"07-Dec-26\",\"4\",\"21\",\"CS3B\",\"6\"\r\n");
  w->tick();
  EXPECT_EQ(cell(*w, 15, 2)->text(), "S6");
  write(kSlotLogFileName, kSlotLog);
  w->tick();
  waitForHistory(*w);
  EXPECT_EQ(cell(*w, 15, 2)->text(), "");
  EXPECT_EQ(cell(*w, 11, 0)->text() + "|" + cell(*w, 10, 1)->text() + "|" + cell(*w, 1, 0)->text(), "+6.5|-|");
  EXPECT_TRUE(cell(*w, 11, 0)->toolTip().contains("1 W: -13.0 dB")) << cell(*w, 11, 0)->toolTip().toStdString();
  // Distances carry a unit nobody reads as metres (the default home counts in miles).
  auto* grid = w->findChild<QTableWidget*>("grdPropagation");
  EXPECT_TRUE(grid->item(0, 2)->text().endsWith(" mi")) << grid->item(0, 2)->text().toStdString();

  // 04:31:45 is slot 11: beacon 11 on 14 MHz, beacon 7 on 28 MHz (the slot arithmetic is
  // the grid's); the outline moves on at the next slot's tick.
  const int kOnAir = Qt::UserRole + 1;
  EXPECT_TRUE(cell(*w, 11, 0)->data(kOnAir).toBool() && cell(*w, 7, 4)->data(kOnAir).toBool());
  now += std::chrono::seconds(10);
  w->tick();
  EXPECT_TRUE(cell(*w, 12, 0)->data(kOnAir).toBool() && !cell(*w, 11, 0)->data(kOnAir).toBool());

  // A record appended by the detector shows at the next tick (that one slot counts once
  // whether it comes from the file or live is the grid's, checked there).
  write(kSlotLogFileName,
        "\"2026-12-07T04:30:10Z\",\"14\",\"12\",\"5Z4B\",\"1\",\"2\",\"-8.0\",\"-17.5\",\"\",\"\",\"790\",\"-20\",\"12\",\"4\"\r\n");
  w->tick();
  EXPECT_EQ(cell(*w, 12, 0)->text(), "-8.0");
  w->findChild<QComboBox*>("cboPeriod")->setCurrentIndex(2);  // last hour
  EXPECT_EQ(cell(*w, 12, 0)->text(), "100%");
}

TEST_F(PropagationWindow, ClicksAskForTheBand) {
  auto w = open();
  std::vector<int> asked;
  QObject::connect(w.get(), &frmPropagation::bandRequested, [&](int band) { asked.push_back(band); });
  auto* grid = w->findChild<QTableWidget*>("grdPropagation");
  emit grid->cellClicked(3, 4 + 2);
  emit grid->cellClicked(3, 1);  // the country column tunes nothing
  EXPECT_EQ(asked, std::vector<int>{2});

  // On the map: beacon 7 is on 28 MHz in slot 11.
  w->resize(1400, 700);
  w->show();
  QApplication::processEvents();
  PropagationMap* map = w->map();
  const auto sites = beaconSites(d);
  const QPointF pt = map->widgetPoint(sites[6].where);
  EXPECT_TRUE(map->beaconAt(pt) == 7 && map->hoverTextAt(pt).startsWith("JA2IGY  Japan"));
  QMouseEvent press(QEvent::MouseButtonPress, pt, map->mapToGlobal(pt), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(map, &press);
  EXPECT_EQ(asked, (std::vector<int>{2, 4}));
  // Both projections put the beacon where the hover finds it.
  w->findChild<QComboBox*>("cboProjection")->setCurrentIndex(1);
  EXPECT_EQ(map->beaconAt(map->widgetPoint(sites[6].where)), 7);
}

using test::kBaseUtc;

class NetworkView : public ::testing::Test {
 protected:
  NetworkView()
      : station(test::fakeLinks(link)) {
    std::string error;
    EXPECT_TRUE(station.start(NetworkSettings{false, true, "mqtt://club", "", "", "", "", false, ""}, dir.path, "5",
                              error))
        << error;
    link->setState(LinkState::Connected);
  }
  void arrive(const std::string& call, const std::string& locator, std::int64_t start, bool heard,
              double clockMs = 10) {
    SlotReport r = test::reportAt(call, start, 0, heard);
    r.locator = locator;
    r.clockAheadMs = clockMs;
    link->arrive(slotTopic(r), encodeSlotReport(r));
  }

  test::TempFolder dir;
  test::FakeLink* link = nullptr;
  NetworkStation station;
  PublicDecs d = test::shippedDecs();  // home: London
  std::int64_t now = kBaseUtc + 120;
};

TEST_F(NetworkView, ShowsWhoHeardEachBeaconWhereTheyAreAndMarksAClockThatIsOff) {
  arrive("G4ABC", "IO91", kBaseUtc, true);      // near London
  arrive("OH2XYZ", "KP20", kBaseUtc, false);    // Helsinki, 1800 km
  arrive("VK2XX", "QF56", kBaseUtc, true);      // Sydney
  arrive("W1AW", "FN31", kBaseUtc, true, 3400);  // clock off
  ASSERT_TRUE(station.poll(now));

  frmPropagation w(d, dir.path, [this] { return std::chrono::system_clock::time_point(std::chrono::seconds(now)); });
  w.setNetwork(&station);
  auto* tabs = w.findChild<QTabWidget*>("tabViews");
  tabs->setCurrentWidget(w.networkPanel());
  auto* grid = w.findChild<QTableWidget*>("grdNetwork");
  auto* stations = w.findChild<QTableWidget*>("grdStations");
  EXPECT_EQ(grid->item(0, 1)->text(), "2/3");  // beacon 1 on 14 MHz
  EXPECT_TRUE(grid->item(0, 1)->toolTip().contains("VK2XX  QF56")) << grid->item(0, 1)->toolTip().toStdString();
  ASSERT_EQ(stations->rowCount(), 4);
  EXPECT_TRUE(stations->item(3, 4)->text().contains("not merged"));  // W1AW, whose clock is off

  // Hovering over a station on the map names it.
  auto* map = w.findChild<NetworkMap*>("mapNetwork");
  map->resize(800, 400);
  const auto& vk = map->network().stations[2];
  ASSERT_EQ(vk.callsign, "VK2XX");
  EXPECT_TRUE(map->stationTextAt(map->widgetPoint(*vk.where)).startsWith("VK2XX  QF56"));

  // Only the stations within 2000 (miles, as the home counts) of London.
  w.findChild<QSpinBox*>("spnNear")->setValue(1500);
  w.findChild<QCheckBox*>("chkNear")->setChecked(true);
  EXPECT_EQ(stations->rowCount(), 2);

  // A new report shows once the main window passes the news on.
  arrive("G4ABC", "IO91", kBaseUtc + 10, true);
  ASSERT_TRUE(station.poll(now));
  w.networkChanged();
  EXPECT_EQ(grid->item(1, 1)->text(), "1/1");
}

TEST_F(NetworkView, SettingsWindowChecksSavesAndApplies) {
  int applied = 0;
  station.poll(now);
  frmNetworkSettings w(station, dir.path, "IO91wm", [&](const NetworkSettings&, std::string&) {
    ++applied;
    return true;
  });
  EXPECT_EQ(w.txtLocator->text(), "IO91wm");  // suggested from home
  w.chkPublish->setChecked(true);
  w.txtBroker->setText("mqtt://club.example.org");
  w.cmdSave->click();
  EXPECT_TRUE(w.lblProblem->text().startsWith("Give the station's callsign")) << w.lblProblem->text().toStdString();
  EXPECT_EQ(applied, 0);
  EXPECT_FALSE(std::filesystem::exists(kNetworkSettingsFile.path(dir.path)));
  w.txtStation->setText("g4abc");
  w.cmdSave->click();
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(kNetworkSettingsFile.load(dir.path).station, "g4abc");
  EXPECT_TRUE(w.lblLink->text().startsWith("Network: connected"));
}

class ScanBands : public test::PrimaryFixture {
 protected:
  void SetUp() override {
    adjustServices = [](PrimaryServices& s) { s.rigNeedsTest = false; };
    // 5 s before the 10:02 slot, 65 s before a cycle
    ASSERT_TRUE(start({2026, 12, 7, 10, 1, 55, 0}));
    tick();
  }
};

TEST_F(ScanBands, StepsAtCycleStartsWhileRigControlRunsAndEndsWithItOrWithFollowMode) {
  EXPECT_FALSE(win->mnuScanBands->isEnabled());
  win->mnuRigCtrlActivate->trigger();
  tick();
  ASSERT_TRUE(win->mnuScanBands->isEnabled());
  win->mnuScanBands->trigger();
  EXPECT_TRUE(win->mnuScanBands->isChecked());
  EXPECT_TRUE(win->opgBandSelect[0]->toolTip().startsWith("Scanning bands"));

  tick(64'900 + 9 * 60'000);  // 10:03:00 and three more cycles (when exactly is the scan's)
  EXPECT_EQ(checkedBand(), 4);
  EXPECT_EQ(rig.calls, (std::vector<std::string>{"start 14", "band 18", "band 21", "band 24", "band 28"}));

  win->mnuRigCtrlActivate->trigger();  // finishing rig control ends the scan
  EXPECT_FALSE(win->bandScanActive() || win->mnuScanBands->isChecked());
  tick(3 * 60'000);
  EXPECT_EQ(checkedBand(), 4);
  EXPECT_EQ(rig.calls.back(), "finish");

  // Follow mode and scanning end each other.
  win->mnuRigCtrlActivate->trigger();
  win->mnuScanBands->trigger();
  ASSERT_TRUE(win->bandScanActive());
  follow(3);
  EXPECT_TRUE(d.FollowMode);
  EXPECT_FALSE(win->bandScanActive() || win->mnuScanBands->isChecked());

  win->mnuScanBands->trigger();
  EXPECT_TRUE(win->bandScanActive());
  EXPECT_FALSE(d.FollowMode || win->mnuFollowBeacon->isChecked());
}

TEST_F(ScanBands, PropagationWindowTunesOnlyWithRigControl) {
  win->mnuPropagation->trigger();
  frmPropagation* w = win->propagationWindow();
  ASSERT_TRUE(w);
  EXPECT_TRUE(w->isWindow() && w->isVisible());
  emit w->bandRequested(3);
  EXPECT_EQ(checkedBand(), 0);
  win->mnuRigCtrlActivate->trigger();
  emit w->bandRequested(3);
  EXPECT_EQ(checkedBand(), 3);
  EXPECT_EQ(rig.calls.back(), "band 24");
  // The menu brings the same window back.
  w->hide();
  win->mnuPropagation->trigger();
  EXPECT_EQ(win->propagationWindow(), w);
  EXPECT_TRUE(w->isVisible());
}

}  // namespace
}  // namespace harkola
