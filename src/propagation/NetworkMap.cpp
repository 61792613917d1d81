#include "propagation/NetworkMap.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "propagation/GreatCircle.h"
#include "propagation/PropagationGrid.h"

namespace harkola {

namespace {
constexpr double kStationRadius = 4.5;
const QColor kStation(20, 40, 120);
const QColor kClockOff(150, 150, 150);
}  // namespace

NetworkMap::NetworkMap(QWidget* parent) : PropagationMap(parent) {
  setObjectName("mapNetwork");
  setProjection(ProjectionKind::Equirectangular);  // the whole network at once
}

void NetworkMap::setNetwork(NetworkSummary summary) {
  m_summary = std::move(summary);
  m_hoverStation = -1;
  update();
}

int NetworkMap::stationAt(const QPointF& pos) const {
  int best = -1;
  double bestD = (kStationRadius + 3) * (kStationRadius + 3);
  for (std::size_t i = 0; i < m_summary.stations.size(); ++i) {
    const auto& s = m_summary.stations[i];
    if (!s.where) continue;
    const QPointF d = widgetPoint(*s.where) - pos;
    const double dd = d.x() * d.x() + d.y() * d.y();
    if (dd <= bestD) {
      bestD = dd;
      best = static_cast<int>(i);
    }
  }
  return best;
}

QString NetworkMap::stationTextAt(const QPointF& pos) const {
  const int i = stationAt(pos);
  if (i < 0) return {};
  return QString::fromStdString(networkStationText(m_summary.stations[static_cast<std::size_t>(i)], m_milesText));
}

void NetworkMap::renderNetwork(QPainter& p) {
  render(p);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(Qt::NoBrush);
  // Paths first, weak under strong, so that the stations sit on top.
  struct Path {
    const NetworkStationView* station;
    const HeardPath* path;
    double level;
  };
  std::vector<Path> paths;
  for (const auto& s : m_summary.stations) {
    if (!s.where || s.clockOff) continue;
    for (const auto& h : s.paths)
      if (h.beacon >= 1 && h.beacon <= static_cast<int>(m_places.size()))
        paths.push_back({&s, &h, h.bestSnrDb ? snrLevel(*h.bestSnrDb) : 0.3});
  }
  std::sort(paths.begin(), paths.end(), [](const Path& a, const Path& b) { return a.level < b.level; });
  for (const Path& x : paths) {
    QColor c = bandColour(x.path->band);
    c.setAlpha(190);
    p.setPen(QPen(c, 1.2 + 2.5 * x.level, Qt::SolidLine, Qt::RoundCap));
    drawLine(p, greatCirclePath(*x.station->where, m_places[static_cast<std::size_t>(x.path->beacon - 1)], 60));
  }
  for (std::size_t i = 0; i < m_summary.stations.size(); ++i) {
    const auto& s = m_summary.stations[i];
    if (!s.where) continue;
    const QPointF pt = widgetPoint(*s.where);
    p.setPen(QPen(s.clockOff ? kClockOff : Qt::white, 1.5));
    p.setBrush(s.clockOff ? QBrush(Qt::NoBrush) : QBrush(kStation));
    p.drawEllipse(pt, kStationRadius, kStationRadius);
    if (static_cast<int>(i) == m_hoverStation) {
      p.setPen(QPen(QColor(20, 20, 20), 2));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(pt, kStationRadius + 4, kStationRadius + 4);
      p.drawText(pt + QPointF(kStationRadius + 6, 4), QString::fromStdString(s.callsign));
    }
  }
}

void NetworkMap::paintEvent(QPaintEvent*) {
  QPainter p(this);
  renderNetwork(p);
}

void NetworkMap::mouseMoveEvent(QMouseEvent* e) {
  const int i = stationAt(e->position());
  if (i >= 0) {
    if (i != m_hoverStation) {
      m_hoverStation = i;
      update();
      QToolTip::showText(e->globalPosition().toPoint(), stationTextAt(e->position()), this);
    }
    return;
  }
  if (m_hoverStation >= 0) {
    m_hoverStation = -1;
    update();
    QToolTip::hideText();
  }
  PropagationMap::mouseMoveEvent(e);
}

}  // namespace harkola
