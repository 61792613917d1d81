#include "clock/frmGraph.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

#include "ui/UserDialogs.h"
#include "ui/WindowFrame.h"
#include "data/Beacons.h"
#include "ui/Named.h"

namespace harkola {

namespace {
const char* kCallTip = "Beacon callsign.  A yellow indicator shows its slot has been processed.";

// Level bar `i` (ProgressBar1_i): S1..S9.
QProgressBar* levelBar(QWidget* parent, int i) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(QString("ProgressBar1_%1").arg(i));
  bar->setRange(0, 9);
  bar->setValue(0);
  bar->setTextVisible(false);
  bar->setMinimumWidth(180);
  bar->setFixedHeight(16);
  return bar;
}
}  // namespace

IndicatorShape::IndicatorShape(QWidget* parent) : QWidget(parent) {
  setFixedSize(sizeHint());
}

void IndicatorShape::setIndicator(Indicator i) {
  if (i == m_indicator) return;
  m_indicator = i;
  update();
}

void IndicatorShape::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(m_indicator == Indicator::Yellow ? QColor(255, 255, 0)
                                              : palette().color(QPalette::Button));
  p.drawRoundedRect(rect().adjusted(1, 1, -1, -1), 5, 5);
}

SessionGraphWindow::SessionGraphWindow(const PublicDecs& shared, const char* name, const QString& caption,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window), d(shared) {
  setObjectName(name);
  setWindowTitle(qs(d.TitleText) + caption);
  fixToContents(this);
}

QGridLayout* SessionGraphWindow::makeGrid() {
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(3);
  return grid;
}

void SessionGraphWindow::makeBeaconRow(int i) {
  Label1[i] = new QLabel(this);
  Label1[i]->setObjectName(QString("Label1_%1").arg(i));
  Label1[i]->setToolTip(kCallTip);
  Shape1[i] = new IndicatorShape(this);
  Shape1[i]->setObjectName(QString("Shape1_%1").arg(i));
}

QPushButton* SessionGraphWindow::makeResetButton(const QString& text) {
  Command1 = named(new QPushButton(text, this), "Command1");
  connect(Command1, &QPushButton::clicked, this, [this] {
    if (onReset) onReset();
  });
  return Command1;
}

void SessionGraphWindow::refreshCallsigns() {
  const Beacons beacons(d.BeaconTable);
  for (int i = 0; i < kBeaconCount; ++i) Label1[i]->setText(qs(beacons.callsign(i + 1)));
}

void SessionGraphWindow::closeEvent(QCloseEvent* e) {
  e->accept();
  if (onClosed) onClosed();
}

frmGraph::frmGraph(const PublicDecs& shared, QWidget* parent)
    : SessionGraphWindow(shared, "frmGraph", "  S meter readings logged and slots processed this session", parent) {
  QGridLayout* grid = makeGrid();
  for (int i = 0; i < kBeaconCount; ++i) {
    makeBeaconRow(i);
    Label1[i]->setMinimumWidth(70);
    ProgressBar1[i] = levelBar(this, i);
    grid->addWidget(Label1[i], i, 0);
    grid->addWidget(Shape1[i], i, 1);
    grid->addWidget(ProgressBar1[i], i, 2);
  }
  grid->addWidget(makeResetButton("Reset display"), kBeaconCount, 0, 1, 3, Qt::AlignRight);
  refreshCallsigns();
}

void frmGraph::render(const SessionGraph& g) {
  for (int i = 0; i < kBeaconCount; ++i) {
    if (ProgressBar1[i]->value() != g.bars[i]) ProgressBar1[i]->setValue(g.bars[i]);
    ProgressBar1[i]->setToolTip(qs(g.barTips[i]));
    Shape1[i]->setIndicator(g.indicators[i]);
  }
}

frmGraphFollow::frmGraphFollow(const PublicDecs& shared, QWidget* parent)
    : SessionGraphWindow(shared, "frmGraphFollow", "  Logged S meter readings", parent) {
  QGridLayout* grid = makeGrid();
  for (int b = 0; b < kBandCount; ++b) {
    auto* label = new QLabel(qs(bandInfo(b).text) + " MHz", this);
    label->setObjectName(QString("Label%1").arg(b + 2));
    ProgressBar1[b] = levelBar(this, b);
    grid->addWidget(label, b, 0);
    grid->addWidget(ProgressBar1[b], b, 1, 1, 3);
  }
  // The beacons' slot indicators, in two columns under the bars.
  for (int i = 0; i < kBeaconCount; ++i) {
    makeBeaconRow(i);
    const int row = kBandCount + 1 + i % 9;
    const int col = (i / 9) * 2;
    grid->addWidget(Label1[i], row, col);
    grid->addWidget(Shape1[i], row, col + 1);
  }
  grid->setRowMinimumHeight(kBandCount, 10);
  grid->addWidget(makeResetButton("Reset"), kBandCount + 10, 0, 1, 4, Qt::AlignRight);
  refreshCallsigns();
}

void frmGraphFollow::markFollowed(int beaconIndex) {
  for (int i = 0; i < kBeaconCount; ++i)
    Label1[i]->setStyleSheet(i == beaconIndex ? "color: rgb(255,0,0); font-weight: bold;" : "");
}

void frmGraphFollow::render(const FollowGraph& g) {
  for (int b = 0; b < kBandCount; ++b) {
    if (ProgressBar1[b]->value() != g.bars[b]) ProgressBar1[b]->setValue(g.bars[b]);
    ProgressBar1[b]->setToolTip(qs(g.barTips[b]));
  }
  for (int i = 0; i < kBeaconCount; ++i) Shape1[i]->setIndicator(g.indicators[i]);
}

}  // namespace harkola
