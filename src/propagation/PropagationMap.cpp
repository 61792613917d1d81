#include "propagation/PropagationMap.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <cmath>

#include "propagation/SolarPosition.h"

namespace harkola {
namespace {

constexpr int kSunlightStep = 4;  // the sunlight is worked out on every 4th pixel
const QColor kSea(226, 236, 244);
const QColor kCoast(70, 95, 80);
const QColor kGrid(180, 192, 204);
const QColor kNight(10, 20, 60);

int nightAlpha(Daylight l) {
  switch (l) {
    case Daylight::Day: return 0;
    case Daylight::Civil: return 45;
    case Daylight::Nautical: return 80;
    case Daylight::Astronomical: return 110;
    case Daylight::Night: return 135;
  }
  return 0;
}

}  // namespace

PropagationMap::PropagationMap(QWidget* parent) : QWidget(parent) {
  setObjectName("mapPropagation");
  setMouseTracking(true);
  setMinimumSize(320, 240);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor PropagationMap::bandColour(int band) {
  // A palette that colour-blind users can tell apart.
  static const QColor kColours[5] = {QColor(230, 159, 0), QColor(86, 180, 233), QColor(0, 158, 115),
                                     QColor(204, 121, 167), QColor(213, 94, 0)};
  return band >= 0 && band < 5 ? kColours[band] : QColor(Qt::black);
}

void PropagationMap::setSites(const GeoPoint& home, std::vector<BeaconSite> beacons) {
  m_projection = MapProjection(m_projection.kind(), home);
  m_beacons = std::move(beacons);
  invalidateLayers();
}

void PropagationMap::setCoastlines(std::vector<Polyline> lines) {
  m_coast = std::move(lines);
  invalidateLayers();
}

void PropagationMap::setProjection(ProjectionKind kind) {
  if (kind == m_projection.kind()) return;
  m_projection = MapProjection(kind, m_projection.home());
  invalidateLayers();
}

void PropagationMap::setOnAir(const std::array<OnAir, 5>& onAir) {
  bool same = true;
  for (std::size_t b = 0; b < 5; ++b)
    same = same && onAir[b].beacon == m_onAir[b].beacon && onAir[b].heardLevel == m_onAir[b].heardLevel;
  if (same) return;
  m_onAir = onAir;
  update();
}

void PropagationMap::setTime(std::chrono::system_clock::time_point utc) {
  const long long minute =
      std::chrono::duration_cast<std::chrono::minutes>(utc.time_since_epoch()).count();
  m_sunTime = utc;
  if (minute == m_sunMinute) return;
  m_sunMinute = minute;
  m_lit = QPixmap();
  update();
}

void PropagationMap::setBeaconNote(int beacon, const QString& note) {
  if (beacon >= 1 && beacon <= 18) m_notes[static_cast<std::size_t>(beacon)] = note;
}

void PropagationMap::invalidateLayers() {
  m_background = QPixmap();
  m_lit = QPixmap();
  update();
}

double PropagationMap::scale() const {
  const double sx = width() / (2.0 * m_projection.halfWidth());
  const double sy = height() / (2.0 * m_projection.halfHeight());
  return 0.97 * std::min(sx, sy);
}

QPointF PropagationMap::widgetPoint(const GeoPoint& g) const {
  const MapXY xy = m_projection.project(g);
  const double s = scale();
  return QPointF(width() / 2.0 + xy.x * s, height() / 2.0 - xy.y * s);
}

void PropagationMap::drawLine(QPainter& p, const std::vector<GeoPoint>& line) const {
  if (line.size() < 2) return;
  const double s = scale(), cx = width() / 2.0, cy = height() / 2.0;
  QPainterPath path;
  MapXY last{};
  for (std::size_t i = 0; i < line.size(); ++i) {
    const MapXY xy = m_projection.project(line[i]);
    const QPointF pt(cx + xy.x * s, cy - xy.y * s);
    if (i == 0 || m_projection.breaksBetween(last, xy))
      path.moveTo(pt);
    else
      path.lineTo(pt);
    last = xy;
  }
  p.drawPath(path);
}

void PropagationMap::drawBackground(QPainter& p) {
  p.fillRect(rect(), palette().window());
  p.setRenderHint(QPainter::Antialiasing);
  const double s = scale(), cx = width() / 2.0, cy = height() / 2.0;
  const bool disc = m_projection.kind() == ProjectionKind::AzimuthalEquidistant;
  const QRectF frame(cx - m_projection.halfWidth() * s, cy - m_projection.halfHeight() * s,
                     2 * m_projection.halfWidth() * s, 2 * m_projection.halfHeight() * s);
  p.setPen(QPen(kGrid.darker(130), 1.2));
  p.setBrush(kSea);
  if (disc)
    p.drawEllipse(frame);
  else
    p.drawRect(frame);

  // Graticule: parallels and meridians every 30 degrees.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kGrid, 0.8));
  for (int lat = -60; lat <= 60; lat += 30) {
    std::vector<GeoPoint> line;
    for (int lon = -180; lon <= 180; lon += 2) line.push_back(GeoPoint{double(lat), double(lon)});
    drawLine(p, line);
  }
  for (int lon = -180; lon < 180; lon += 30) {
    std::vector<GeoPoint> line;
    for (int lat = -90; lat <= 90; lat += 2) line.push_back(GeoPoint{double(lat), double(lon)});
    drawLine(p, line);
  }

  p.setPen(QPen(kCoast, 1.0));
  for (const Polyline& l : m_coast) drawLine(p, l);

  // Home and the beacons.
  const QPointF home = widgetPoint(m_projection.home());
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(220, 30, 30));
  p.drawEllipse(home, 5, 5);
  QFont f = font();
  f.setPointSizeF(f.pointSizeF() * 0.85);
  p.setFont(f);
  for (const BeaconSite& b : m_beacons) {
    const QPointF pt = widgetPoint(b.where);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(pt.x() - 3.5, pt.y() - 3.5, 7, 7));
    p.setPen(QColor(30, 30, 30));
    const QString call = QString::fromStdString(b.callsign);
    const int tw = QFontMetrics(f).horizontalAdvance(call);
    // Labels near the right edge go to the left of their beacon.
    p.drawText(pt.x() + 6 + tw > width() ? pt + QPointF(-6 - tw, -4) : pt + QPointF(6, -4), call);
  }
}

void PropagationMap::drawSunlight(QPainter& p) {
  const SunPosition sun = sunPositionAt(m_sunTime);
  const int w = (width() + kSunlightStep - 1) / kSunlightStep;
  const int h = (height() + kSunlightStep - 1) / kSunlightStep;
  QImage shade(w, h, QImage::Format_ARGB32_Premultiplied);
  shade.fill(Qt::transparent);
  const double s = scale(), cx = width() / 2.0, cy = height() / 2.0;
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(shade.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const MapXY xy{((x + 0.5) * kSunlightStep - cx) / s, (cy - (y + 0.5) * kSunlightStep) / s};
      const auto g = m_projection.unproject(xy);
      if (!g) continue;
      const int a = nightAlpha(daylightAt(sunElevationDeg(*g, sun)));
      if (a) line[x] = qPremultiply(qRgba(kNight.red(), kNight.green(), kNight.blue(), a));
    }
  }
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(QRectF(0, 0, w * kSunlightStep, h * kSunlightStep), shade);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(250, 200, 40), 1.2));
  p.setBrush(Qt::NoBrush);
  drawLine(p, twilightCurve(sun, boundaryDepressionDeg(Daylight::Day), 180));
  // The sun itself.
  p.setBrush(QColor(255, 210, 0));
  p.setPen(QPen(QColor(160, 110, 0), 1));
  p.drawEllipse(widgetPoint(sun.subsolar), 6, 6);
}

void PropagationMap::ensureLayers() {
  if (m_background.size() != size()) {
    m_background = QPixmap(size());
    QPainter p(&m_background);
    drawBackground(p);
    m_lit = QPixmap();
  }
  if (m_lit.isNull()) {
    m_lit = m_background;
    QPainter p(&m_lit);
    drawSunlight(p);
  }
}

void PropagationMap::render(QPainter& p) {
  ensureLayers();
  p.drawPixmap(0, 0, m_lit);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(Qt::NoBrush);
  const GeoPoint home = m_projection.home();
  for (int band = 0; band < 5; ++band) {
    const OnAir& on = m_onAir[static_cast<std::size_t>(band)];
    if (on.beacon < 1 || on.beacon > static_cast<int>(m_beacons.size())) continue;
    QColor c = bandColour(band);
    QPen pen(c, 1.6, Qt::DashLine);
    if (on.heardLevel >= 0) pen = QPen(c, 2.5 + 4.0 * on.heardLevel, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    const GeoPoint& to = m_beacons[static_cast<std::size_t>(on.beacon - 1)].where;
    drawLine(p, greatCirclePath(home, to, 90));
    p.setBrush(c);
    p.setPen(QPen(Qt::black, 1));
    const QPointF pt = widgetPoint(to);
    p.drawRect(QRectF(pt.x() - 4.5, pt.y() - 4.5, 9, 9));
    p.setBrush(Qt::NoBrush);
  }
  if (m_hover >= 1 && m_hover <= static_cast<int>(m_beacons.size())) {
    p.setPen(QPen(QColor(20, 20, 20), 2));
    p.drawEllipse(widgetPoint(m_beacons[static_cast<std::size_t>(m_hover - 1)].where), 9, 9);
  }
  // Legend: the band colours.
  QFont f = font();
  p.setFont(f);
  const int lh = fontMetrics().height();
  for (int band = 0; band < 5; ++band) {
    const QPointF at(8, 8 + band * (lh + 2));
    p.setPen(QPen(bandColour(band), 3));
    p.drawLine(at + QPointF(0, lh / 2.0), at + QPointF(20, lh / 2.0));
    p.setPen(Qt::black);
    static const char* kMHz[] = {"14 MHz", "18 MHz", "21 MHz", "24 MHz", "28 MHz"};
    p.drawText(QRectF(at.x() + 26, at.y(), 80, lh), Qt::AlignVCenter, kMHz[band]);
  }
}

void PropagationMap::paintEvent(QPaintEvent*) {
  QPainter p(this);
  render(p);
}

void PropagationMap::resizeEvent(QResizeEvent*) { invalidateLayers(); }

int PropagationMap::beaconAt(const QPointF& pos) const {
  int best = 0;
  double bestD = 10.0;  // pixels
  for (const BeaconSite& b : m_beacons) {
    const QPointF pt = widgetPoint(b.where);
    const double d = std::hypot(pt.x() - pos.x(), pt.y() - pos.y());
    if (d < bestD) {
      bestD = d;
      best = b.number;
    }
  }
  return best;
}

QString PropagationMap::hoverTextAt(const QPointF& pos) const {
  const int n = beaconAt(pos);
  if (n == 0) return {};
  const BeaconSite& b = m_beacons[static_cast<std::size_t>(n - 1)];
  const GeoPoint home = m_projection.home();
  const double km = distanceKm(home, b.where);
  QString t = QString("%1  %2\n%3 %4, azimuth %5\xc2\xb0")
                  .arg(QString::fromStdString(b.callsign), QString::fromStdString(b.country))
                  .arg(std::lround(m_miles ? km * 0.62 : km))
                  .arg(m_miles ? "miles" : "km")
                  .arg(static_cast<int>(std::floor(initialBearingDeg(home, b.where))));
  const QString& note = m_notes[static_cast<std::size_t>(n)];
  if (!note.isEmpty()) t += "\n" + note;
  return t;
}

void PropagationMap::mouseMoveEvent(QMouseEvent* e) {
  const int n = beaconAt(e->position());
  if (n != m_hover) {
    m_hover = n;
    update();
    if (n)
      QToolTip::showText(e->globalPosition().toPoint(), hoverTextAt(e->position()), this);
    else
      QToolTip::hideText();
  }
}

void PropagationMap::mousePressEvent(QMouseEvent* e) {
  const int n = beaconAt(e->position());
  if (n && e->button() == Qt::LeftButton) emit beaconClicked(n);
}

void PropagationMap::leaveEvent(QEvent*) {
  if (m_hover) {
    m_hover = 0;
    update();
  }
}

}  // namespace harkola
