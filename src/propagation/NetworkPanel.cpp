#include "propagation/NetworkPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "common/Bands.h"
#include "network/NetworkStation.h"
#include "propagation/BeaconSites.h"
#include "propagation/NetworkMap.h"
#include "propagation/PropagationGrid.h"
#include "ui/WindowFrame.h"

namespace harkola {

namespace {
constexpr double kKmPerMile = 1.609344;
constexpr std::int64_t kPeriods[] = {15 * 60, 3600, 24 * 3600};

QString qs(const std::string& s) { return QString::fromStdString(s); }

QTableWidget* table(const char* name, int rows, const QStringList& headers, QWidget* parent) {
  auto* t = new QTableWidget(rows, static_cast<int>(headers.size()), parent);
  t->setObjectName(name);
  t->setHorizontalHeaderLabels(headers);
  t->verticalHeader()->hide();
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionMode(QAbstractItemView::NoSelection);
  t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  return t;
}

QTableWidgetItem* cellAt(QTableWidget* t, int row, int col) {
  if (!t->item(row, col)) {
    auto* item = new QTableWidgetItem;
    item->setTextAlignment(col >= 1 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    t->setItem(row, col, item);
  }
  return t->item(row, col);
}
}  // namespace

NetworkPanel::NetworkPanel(const PublicDecs& decs, NowUtc nowUtc, QWidget* parent)
    : QWidget(parent), m_decs(decs), m_nowUtc(std::move(nowUtc)) {
  setObjectName("NetworkPanel");
  cboNetworkPeriod = new QComboBox(this);
  cboNetworkPeriod->setObjectName("cboNetworkPeriod");
  cboNetworkPeriod->addItems({"Last 15 minutes", "Last hour", "Last 24 hours"});
  chkNear = new QCheckBox("Only stations within", this);
  chkNear->setObjectName("chkNear");
  spnNear = new QSpinBox(this);
  spnNear->setObjectName("spnNear");
  spnNear->setRange(50, 20000);
  spnNear->setSingleStep(250);
  spnNear->setValue(2000);
  lblNetworkSummary = new QLabel(this);
  lblNetworkSummary->setObjectName("lblNetworkSummary");

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel("Heard by the network in the:", this));
  top->addWidget(cboNetworkPeriod);
  top->addSpacing(12);
  top->addWidget(chkNear);
  top->addWidget(spnNear);
  top->addSpacing(12);
  top->addWidget(lblNetworkSummary, 1);

  QStringList headers{"Beacon"};
  for (const BandInfo& b : kBands) headers << QString::fromUtf8(b.text.data(), static_cast<qsizetype>(b.text.size()));
  grdNetwork = table("grdNetwork", kBeaconCount, headers, this);
  grdNetwork->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  for (int b = 0; b < kBandCount; ++b) {
    grdNetwork->horizontalHeader()->setSectionResizeMode(1 + b, QHeaderView::Fixed);
    grdNetwork->setColumnWidth(1 + b, 58);
  }
  grdStations = table("grdStations", 0, {"Station", "Locator", "Distance", "Heard", "Clock"}, this);
  grdStations->horizontalHeader()->setStretchLastSection(true);

  mapNetwork = new NetworkMap(this);
  auto* left = new QSplitter(Qt::Vertical, this);
  left->addWidget(grdNetwork);
  left->addWidget(grdStations);
  left->setStretchFactor(0, 3);
  left->setStretchFactor(1, 1);
  QSplitter* split = besideWide(left, mapNetwork, this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(top);
  layout->addWidget(split, 1);

  connect(cboNetworkPeriod, &QComboBox::currentIndexChanged, this, &NetworkPanel::refresh);
  connect(chkNear, &QCheckBox::toggled, this, &NetworkPanel::refresh);
  connect(spnNear, &QSpinBox::valueChanged, this, &NetworkPanel::refresh);
  reloadSites();
}

void NetworkPanel::setStation(const NetworkStation* station) {
  m_station = station;
  refresh();
}

void NetworkPanel::reloadSites() {
  const auto sites = beaconSites(m_decs);
  std::vector<GeoPoint> places;
  for (int row = 0; row < kBeaconCount; ++row) {
    const auto& s = sites[static_cast<std::size_t>(row)];
    cellAt(grdNetwork, row, 0)->setText(qs(s.callsign));
    places.push_back(s.where);
  }
  const bool miles = m_decs.Home.miles();
  spnNear->setSuffix(miles ? " mi of home" : " km of home");
  mapNetwork->setMiles(miles);
  mapNetwork->setMilesText(miles);
  mapNetwork->setSites(homePoint(m_decs), sites);
  mapNetwork->setBeaconPlaces(std::move(places));
  grdNetwork->resizeColumnToContents(0);
  grdNetwork->setMinimumWidth(grdNetwork->horizontalHeader()->length() + 2 * grdNetwork->frameWidth() + 24);
  refresh();
}

NetworkFilter NetworkPanel::filter() const {
  NetworkFilter f;
  f.periodSeconds = kPeriods[std::clamp(cboNetworkPeriod->currentIndex(), 0, 2)];
  f.home = homePoint(m_decs);
  if (chkNear->isChecked()) f.withinKm = spnNear->value() * (m_decs.Home.miles() ? kKmPerMile : 1.0);
  return f;
}

void NetworkPanel::refresh() {
  const std::int64_t now = m_nowUtc();
  m_summary = m_station ? m_station->picture().summarise(filter(), now) : NetworkSummary{};
  mapNetwork->setTime(std::chrono::system_clock::time_point{std::chrono::seconds(now)});
  showCells();
  showStations();
  mapNetwork->setNetwork(m_summary);
  QString text;
  if (!m_station) {
    text = "The network is off: Logging > Network... to take part";
  } else {
    text = QString("%1 stations, %2 slots").arg(m_summary.stations.size()).arg(m_summary.reports);
    if (m_summary.clockOffStations)
      text += QString("; %1 with the clock off (marked, not merged)").arg(m_summary.clockOffStations);
    if (m_summary.farStations) text += QString("; %1 farther away left out").arg(m_summary.farStations);
    text += "   " + qs(m_station->statusLine());
    if (!m_station->historyText().empty()) text += "   " + qs(m_station->historyText());
  }
  lblNetworkSummary->setText(text);
}

void NetworkPanel::showCells() {
  const bool miles = m_decs.Home.miles();
  for (int row = 0; row < kBeaconCount; ++row)
    for (int band = 0; band < kBandCount; ++band) {
      const NetworkCell& c = m_summary.cell(row + 1, band);
      auto* item = cellAt(grdNetwork, row, 1 + band);
      item->setText(qs(networkCellText(c)));
      item->setToolTip(qs(networkCellTooltip(m_summary, row + 1, band, miles)));
      if (c.listenedBy == 0) {
        item->setBackground(Qt::white);
        item->setForeground(Qt::black);
      } else if (c.heardBy == 0) {
        item->setBackground(QColor(225, 225, 225));
        item->setForeground(QColor(120, 120, 120));
      } else {
        const Rgb rgb = perceptualColour(static_cast<double>(c.heardBy) / c.listenedBy);
        const QColor bg(rgb.r, rgb.g, rgb.b);
        item->setBackground(bg);
        item->setForeground(bg.lightnessF() < 0.55 ? QColor(Qt::white) : QColor(Qt::black));
      }
    }
}

void NetworkPanel::showStations() {
  const bool miles = m_decs.Home.miles();
  grdStations->setRowCount(static_cast<int>(m_summary.stations.size()));
  for (int row = 0; row < grdStations->rowCount(); ++row) {
    const NetworkStationView& s = m_summary.stations[static_cast<std::size_t>(row)];
    QString clock = "-";
    if (s.clockAheadMs) clock = QString("%1 s").arg(*s.clockAheadMs / 1000.0, 0, 'f', 2);
    if (s.clockOff) clock += "  off the beacons: not merged";
    const QString km = s.km ? QString("%1 %2").arg(std::lround(miles ? *s.km / kKmPerMile : *s.km)).arg(miles ? "mi" : "km")
                            : QString("-");
    const QStringList texts{qs(s.callsign), qs(s.locator), km, QString("%1 of %2").arg(s.heard).arg(s.reported), clock};
    for (int col = 0; col < texts.size(); ++col) {
      auto* item = cellAt(grdStations, row, col);
      item->setText(texts[col]);
      item->setForeground(s.clockOff ? QColor(150, 0, 0) : QColor(Qt::black));
      item->setToolTip(qs(networkStationText(s, miles)));
    }
  }
}

}  // namespace harkola
