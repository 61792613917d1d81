#include "propagation/frmPropagation.h"

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "clock/BeaconSchedule.h"
#include "clock/SlotLog.h"
#include "common/Folders.h"
#include "data/Beacons.h"
#include "propagation/BeaconSites.h"
#include "propagation/NetworkMap.h"
#include "propagation/NetworkPanel.h"
#include "propagation/PropagationMap.h"
#include "ui/Named.h"
#include "ui/WindowFrame.h"

static void initMapResources() { Q_INIT_RESOURCE(map); }

namespace harkola {
namespace {

constexpr int kFirstBandColumn = 4;
constexpr int kOnAirRole = Qt::UserRole + 1;
// Lines of a followed log read at one tick at most (about 10 ms).
constexpr std::size_t kLinesPerStep = 40000;

// Outlines the cell of each band's beacon on the air now.
class OnAirDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(p, option, index);
    if (!index.data(kOnAirRole).toBool()) return;
    p->save();
    p->setPen(QPen(QColor(20, 20, 20), 3));
    p->setBrush(Qt::NoBrush);
    p->drawRect(option.rect.adjusted(1, 1, -2, -2));
    p->restore();
  }
};

QColor cellColour(const CellView& v) {
  if (v.kind == CellView::Kind::Empty) return QColor(Qt::white);
  if (v.kind == CellView::Kind::NotHeard) {
    const int g = static_cast<int>(std::lround(255 - 45 * v.freshness));
    return QColor(g, g, g);
  }
  const Rgb c = perceptualColour(v.level);
  auto fade = [&](int x) { return static_cast<int>(std::lround(255 + (x - 255) * v.freshness)); };
  return QColor(fade(c.r), fade(c.g), fade(c.b));
}

}  // namespace

frmPropagation::frmPropagation(const PublicDecs& decs, std::filesystem::path logFolder, Clock clock,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), m_decs(decs), m_logFolder(std::move(logFolder)), m_clock(std::move(clock)) {
  initMapResources();
  setObjectName("frmPropagation");
  setWindowTitle(QString::fromStdString(m_decs.TitleText) + "- Propagation");
  if (!m_clock) m_clock = [] { return std::chrono::system_clock::now(); };

  cboPeriod = named(new QComboBox(this), "cboPeriod");
  cboPeriod->addItems({"Latest result", "Heard in the last 15 minutes", "Heard in the last hour",
                       "Heard in the last 24 hours"});
  cboProjection = named(new QComboBox(this), "cboProjection");
  cboProjection->addItems({"Map centred on home", "World map"});
  lblSource = named(new QLabel(this), "lblSource");
  prgbLoad = named(new QProgressBar(this), "prgbLoad");
  prgbLoad->setRange(0, 1000);
  prgbLoad->setTextVisible(false);
  prgbLoad->setMaximumWidth(160);
  prgbLoad->hide();

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel("Show:", this));
  top->addWidget(cboPeriod);
  top->addSpacing(12);
  top->addWidget(cboProjection);
  top->addSpacing(12);
  top->addWidget(lblSource, 1);
  top->addWidget(prgbLoad);

  grdPropagation = named(new QTableWidget(kBeaconCount, kFirstBandColumn + kBandCount, this), "grdPropagation");
  QStringList headers{"Callsign", "Country", "Distance", "Azimuth"};
  for (const BandInfo& b : kBands) headers << QString::fromUtf8(b.text.data(), static_cast<qsizetype>(b.text.size()));
  grdPropagation->setHorizontalHeaderLabels(headers);
  grdPropagation->verticalHeader()->hide();
  grdPropagation->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdPropagation->setSelectionMode(QAbstractItemView::NoSelection);
  grdPropagation->setItemDelegate(new OnAirDelegate(grdPropagation));
  grdPropagation->setMouseTracking(true);
  for (int row = 0; row < kBeaconCount; ++row)
    for (int col = 0; col < kFirstBandColumn + kBandCount; ++col) {
      auto* item = new QTableWidgetItem;
      item->setTextAlignment(col >= 2 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
      grdPropagation->setItem(row, col, item);
    }
  grdPropagation->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  grdPropagation->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  grdPropagation->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  for (int b = 0; b < kBandCount; ++b) {
    grdPropagation->horizontalHeader()->setSectionResizeMode(kFirstBandColumn + b, QHeaderView::Fixed);
    grdPropagation->setColumnWidth(kFirstBandColumn + b, 58);
  }

  m_map = new PropagationMap(this);
  std::vector<Polyline> coast;
  {
    QFile f(":/map/coastlines.bin");
    if (f.open(QIODevice::ReadOnly)) {
      const QByteArray bytes = f.readAll();
      coast = decodeCoastlines(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
      m_map->setCoastlines(coast);
    }
  }

  QSplitter* split = besideWide(grdPropagation, m_map, this);

  // This station's results on one tab, the network's on another.
  auto* own = new QWidget(this);
  auto* ownLayout = new QVBoxLayout(own);
  ownLayout->setContentsMargins(0, 4, 0, 0);
  ownLayout->addLayout(top);
  ownLayout->addWidget(split, 1);
  m_networkPanel = new NetworkPanel(m_decs, [this] { return nowUtc(); }, this);
  m_networkPanel->mapNetwork->setCoastlines(std::move(coast));
  tabViews = new QTabWidget(this);
  tabViews->setObjectName("tabViews");
  tabViews->addTab(own, "This station");
  tabViews->addTab(m_networkPanel, "Network");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabViews, 1);
  connect(tabViews, &QTabWidget::currentChanged, m_networkPanel, [this] {
    if (tabViews->currentWidget() == m_networkPanel) m_networkPanel->refresh();
  });

  connect(cboPeriod, &QComboBox::currentIndexChanged, this, [this] { refreshCells(); });
  connect(cboProjection, &QComboBox::currentIndexChanged, this, [this](int i) {
    m_map->setProjection(i == 0 ? ProjectionKind::AzimuthalEquidistant : ProjectionKind::Equirectangular);
  });
  connect(grdPropagation, &QTableWidget::cellClicked, this, [this](int, int col) {
    if (col >= kFirstBandColumn) emit bandRequested(col - kFirstBandColumn);
  });
  connect(m_map, &PropagationMap::beaconClicked, this, [this](int beacon) {
    for (int b = 0; b < kBandCount; ++b)
      if (m_onAirBeacon[static_cast<std::size_t>(b)] == beacon) emit bandRequested(b);
  });

  tmrPropagation = named(new QTimer(this), "tmrPropagation");
  tmrPropagation->setInterval(1000);
  connect(tmrPropagation, &QTimer::timeout, this, &frmPropagation::tick);
  tmrPropagation->start();
  tmrHistory = named(new QTimer(this), "tmrHistory");
  tmrHistory->setInterval(30);
  connect(tmrHistory, &QTimer::timeout, this, &frmPropagation::pollHistory);

  resize(1400, 720);
  reloadSites();
  startReading();
  tick();
}

frmPropagation::~frmPropagation() = default;

std::int64_t frmPropagation::nowUtc() const {
  return std::chrono::duration_cast<std::chrono::seconds>(m_clock().time_since_epoch()).count();
}

GridPeriod frmPropagation::period() const {
  static constexpr GridPeriod kPeriods[] = {GridPeriod::Latest, GridPeriod::Minutes15, GridPeriod::Hour1,
                                            GridPeriod::Hours24};
  return kPeriods[std::clamp(cboPeriod->currentIndex(), 0, 3)];
}

void frmPropagation::reloadSites() {
  const auto sites = beaconSites(m_decs);
  const QString unit = QString::fromStdString(m_decs.Home.unitSymbol());
  for (int row = 0; row < kBeaconCount; ++row) {
    const auto& s = sites[static_cast<std::size_t>(row)];
    const DistAz& da = m_decs.DistAzTable[static_cast<std::size_t>(row + 1)];
    grdPropagation->item(row, 0)->setText(QString::fromStdString(s.callsign));
    grdPropagation->item(row, 1)->setText(QString::fromStdString(s.country));
    grdPropagation->item(row, 2)->setText(QString("%1 %2").arg(da.distance).arg(unit));
    grdPropagation->item(row, 3)->setText(QString("%1\xc2\xb0").arg(da.azimuth));
  }
  // The grid keeps all its columns in view; the map takes the rest.
  grdPropagation->resizeColumnsToContents();
  for (int b = 0; b < kBandCount; ++b) grdPropagation->setColumnWidth(kFirstBandColumn + b, 58);
  grdPropagation->setMinimumWidth(grdPropagation->horizontalHeader()->length() + 2 * grdPropagation->frameWidth() +
                                  grdPropagation->verticalScrollBar()->sizeHint().width());
  m_map->setMiles(m_decs.Home.miles());
  m_map->setSites(homePoint(m_decs), sites);
  if (m_networkPanel) m_networkPanel->reloadSites();
  if (m_format == ResultLogReader::Format::HeardLog) startReading();  // callsigns may have changed
  refreshCells();
}

void frmPropagation::startReading() {
  const auto slotLog = m_logFolder / kSlotLogFileName;
  std::error_code ec;
  m_history.reset();
  m_reader.reset();
  m_grid.clear();
  m_liveWhileLoading.clear();
  if (std::filesystem::exists(slotLog, ec)) {
    m_format = ResultLogReader::Format::SlotLog;
    m_history = std::make_unique<HistoryLoadTask>(slotLog, m_format);
  } else {
    m_format = ResultLogReader::Format::HeardLog;
    m_history = std::make_unique<HistoryLoadTask>(heardLogPath(m_logFolder.string(), m_decs.TitleText), m_format,
                                                  Beacons(m_decs.BeaconTable).callsigns());
  }
  m_loading = true;
  prgbLoad->setValue(0);
  prgbLoad->show();
  showSource();
  tmrHistory->start();
}

void frmPropagation::pollHistory() {
  if (!m_history) return;
  prgbLoad->setValue(static_cast<int>(1000.0 * m_history->progress()));
  if (!m_history->finished()) {
    showSource();
    return;
  }
  tmrHistory->stop();
  m_grid = std::move(m_history->grid());
  m_reader = m_history->takeReader();
  m_history.reset();
  for (const SlotResult& r : m_liveWhileLoading) m_grid.add(r);
  m_liveWhileLoading.clear();
  m_loading = false;
  prgbLoad->hide();
  showSource();
  refreshCells();
  refreshOnAir();
}

void frmPropagation::showSource() {
  QString text;
  const bool slotLog = m_format == ResultLogReader::Format::SlotLog;
  if (m_loading) {
    text = QString(slotLog ? "Reading Slot log: %1 slots" : "Reading Heard log (S levels): %1 records")
               .arg(m_history->records());
  } else if (!m_reader->fileFound()) {
    text = "Nothing logged yet: results appear here as slots are logged";
  } else {
    text = QString(slotLog ? "Slot log: %1 slots" : "Heard log (S levels): %1 records").arg(m_reader->records());
    if (m_reader->malformed()) text += QString(", %1 unreadable lines skipped").arg(m_reader->malformed());
  }
  lblSource->setText(text);
}

void frmPropagation::addResult(const SlotResult& r) {
  if (m_loading) m_liveWhileLoading.push_back(r);
  if (m_grid.add(r)) {
    refreshCells();
    refreshOnAir();
  }
}

void frmPropagation::tick() {
  const std::int64_t now = nowUtc();
  m_map->setTime(m_clock());
  if (!m_loading) {
    // A missing slot log may appear once the sensitive detector starts writing.
    if (m_format == ResultLogReader::Format::HeardLog &&
        std::filesystem::exists(m_logFolder / kSlotLogFileName)) {
      startReading();
      return;
    }
    const std::size_t before = m_reader->records();
    m_reader->setArrivalSlot(slotStartUtc(now));
    m_reader->step(m_grid, kLinesPerStep);
    if (m_reader->records() != before) {
      showSource();
      refreshCells();
      refreshOnAir();
    }
  }
  if (slotStartUtc(now) != m_slotStart) {
    m_slotStart = slotStartUtc(now);
    refreshCells();  // ages and periods move on with the slots
    refreshOnAir();
    m_networkPanel->refresh();
  }
}

void frmPropagation::setNetwork(const NetworkStation* station) { m_networkPanel->setStation(station); }

void frmPropagation::networkChanged() {
  if (tabViews->currentWidget() == m_networkPanel) m_networkPanel->refresh();
}

void frmPropagation::refreshCells() {
  const std::int64_t now = nowUtc();
  const GridPeriod p = period();
  for (int row = 0; row < kBeaconCount; ++row) {
    for (int band = 0; band < kBandCount; ++band) {
      const CellView v = m_grid.view(row + 1, band, p, now);
      auto* item = grdPropagation->item(row, kFirstBandColumn + band);
      const QColor bg = cellColour(v);
      item->setBackground(bg);
      item->setForeground(v.kind == CellView::Kind::NotHeard ? QColor(120, 120, 120)
                          : bg.lightnessF() < 0.55        ? QColor(Qt::white)
                                                          : QColor(Qt::black));
      item->setText(QString::fromStdString(v.text));
      item->setToolTip(QString::fromStdString(v.tooltip));
    }
    // The map's hover repeats the beacon's latest result.
    m_map->setBeaconNote(row + 1, QString::fromStdString(m_grid.latestNote(row + 1, now)));
  }
}

void frmPropagation::refreshOnAir() {
  const std::int64_t now = nowUtc();
  const int slot = slotNumberAtUtc(now);
  std::array<PropagationMap::OnAir, 5> onAir{};
  for (int band = 0; band < kBandCount; ++band) {
    const int beacon = beaconOnBand(slot, band);
    const std::size_t b = static_cast<std::size_t>(band);
    for (int row = 0; row < kBeaconCount; ++row)
      grdPropagation->item(row, kFirstBandColumn + band)->setData(kOnAirRole, row + 1 == beacon);
    m_onAirBeacon[b] = beacon;
    onAir[b].beacon = beacon;
    onAir[b].heardLevel = m_grid.openLevel(beacon, band, now).value_or(-1.0);
  }
  m_map->setOnAir(onAir);
}

}  // namespace harkola
