// The propagation window's Network view and the Network window, on a network station
// whose link is a fake the test feeds with other stations' reports.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <gtest/gtest.h>

#include "network/FakeLink.h"
#include "network/NetworkStation.h"
#include "network/Reports.h"
#include "network/frmNetworkSettings.h"
#include "propagation/NetworkMap.h"
#include "propagation/NetworkPanel.h"
#include "propagation/frmPropagation.h"
#include "support/ShippedData.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

using test::kBaseUtc;

class NetworkView : public ::testing::Test {
 protected:
  NetworkView()
      : station([this](const BrokerAddress&) {
          auto l = std::make_unique<test::FakeLink>();
          link = l.get();
          return l;
        }) {
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
  EXPECT_EQ(stations->item(3, 0)->text(), "W1AW");
  EXPECT_TRUE(stations->item(3, 4)->text().contains("not merged"));
  EXPECT_TRUE(w.findChild<QLabel*>("lblNetworkSummary")->text().contains("1 with the clock off"));

  // Hovering over a station on the map names it.
  auto* map = w.findChild<NetworkMap*>("mapNetwork");
  map->resize(800, 400);
  const auto& vk = map->network().stations[2];
  ASSERT_EQ(vk.callsign, "VK2XX");
  EXPECT_TRUE(map->stationTextAt(map->widgetPoint(*vk.where)).startsWith("VK2XX  QF56"));
  EXPECT_TRUE(map->stationTextAt(QPointF(1, 1)).isEmpty());

  // Only the stations within 2000 (miles, as the home counts) of London.
  w.findChild<QSpinBox*>("spnNear")->setValue(1500);
  w.findChild<QCheckBox*>("chkNear")->setChecked(true);
  EXPECT_EQ(stations->rowCount(), 2);
  EXPECT_EQ(grid->item(0, 1)->text(), "1/2");

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
  EXPECT_FALSE(w.chkPublish->isChecked());   // off until chosen
  w.chkPublish->setChecked(true);
  w.txtBroker->setText("mqtt://club.example.org");
  w.cmdSave->click();
  EXPECT_TRUE(w.lblProblem->text().startsWith("Give the station's callsign")) << w.lblProblem->text().toStdString();
  EXPECT_EQ(applied, 0);
  EXPECT_FALSE(std::filesystem::exists(kNetworkSettingsFile.path(dir.path)));
  w.txtStation->setText("g4abc");
  w.cmdSave->click();
  EXPECT_EQ(applied, 1);
  EXPECT_TRUE(w.lblProblem->text().isEmpty());
  EXPECT_EQ(kNetworkSettingsFile.load(dir.path).station, "g4abc");
  EXPECT_TRUE(w.lblLink->text().startsWith("Network: connected"));
}

}  // namespace
}  // namespace harkola
