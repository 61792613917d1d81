#pragma once
// The world map of the propagation window: coastlines, graticule, home, the 18 beacons,
// the great-circle paths to the five beacons on the air now (one colour per band,
// heard paths stronger with their SNR) and day, twilight and night.
//
// Drawing is layered so that a redraw is cheap: the still background (sea, coastlines,
// graticule, beacons) is drawn once per size or projection into a pixmap; the sunlight
// is laid over it once a minute into a second pixmap; a paint event only copies that
// and draws five paths and the hover mark. Nothing repaints between slot changes except
// the minute's sunlight and hover feedback.

#include <QPixmap>
#include <QWidget>
#include <array>
#include <chrono>
#include <vector>

#include "propagation/BeaconSites.h"
#include "propagation/Coastlines.h"
#include "propagation/MapProjection.h"

namespace harkola {

class PropagationMap : public QWidget {
  Q_OBJECT

 public:
  // How each band's path is drawn: the beacon on the air there (1..18, 0 = none) and,
  // when it was heard lately, its strength 0..1 (negative = not heard lately).
  struct OnAir {
    int beacon = 0;
    double heardLevel = -1;
  };

  explicit PropagationMap(QWidget* parent = nullptr);

  void setSites(const GeoPoint& home, std::vector<BeaconSite> beacons);
  // Hover distances in miles (as the home record asks) instead of kilometres.
  void setMiles(bool miles) { m_miles = miles; }
  void setCoastlines(std::vector<Polyline> lines);
  void setProjection(ProjectionKind kind);
  ProjectionKind projection() const { return m_projection.kind(); }
  void setOnAir(const std::array<OnAir, 5>& onAir);
  // The sunlight of this minute (only a new minute redraws it).
  void setTime(std::chrono::system_clock::time_point utc);
  // What the hover text says about a beacon after its distance and azimuth ("last
  // result") is the window's business.
  void setBeaconNote(int beacon, const QString& note);

  // The hover text for the beacon under a widget point, empty when none.
  QString hoverTextAt(const QPointF& pos) const;
  int beaconAt(const QPointF& pos) const;
  QPointF widgetPoint(const GeoPoint& p) const;

  // Draws the whole map as a paint event would (benchmarks and screenshots).
  void render(QPainter& painter);
  // Throws away the cached layers (benchmarks: a full rebuild).
  void invalidateLayers();

  // Band colours, index 0..4 = 14..28 MHz.
  static QColor bandColour(int band);

 signals:
  void beaconClicked(int beacon);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;

 protected:
  // A line of points drawn in the map's projection, broken where the projection wraps.
  void drawLine(QPainter& p, const std::vector<GeoPoint>& line) const;

 private:
  void ensureLayers();
  void drawBackground(QPainter& p);
  void drawSunlight(QPainter& p);
  double scale() const;

  MapProjection m_projection{ProjectionKind::AzimuthalEquidistant, GeoPoint{}};
  std::vector<BeaconSite> m_beacons;
  std::vector<Polyline> m_coast;
  std::vector<QString> m_notes = std::vector<QString>(19);
  std::array<OnAir, 5> m_onAir{};
  std::chrono::system_clock::time_point m_sunTime{};
  long long m_sunMinute = -1;
  QPixmap m_background;  // still parts
  QPixmap m_lit;         // background with this minute's sunlight
  int m_hover = 0;
  bool m_miles = false;
};

}  // namespace harkola
