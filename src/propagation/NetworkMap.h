#pragma once
// The map of the propagation window's Network view: the world map with every station
// of the network where its locator puts it, and the paths each heard in the period
// (great circles from the station to the beacon, one colour per band, thicker when
// stronger). Stations whose clock is off the beacons are drawn hollow and grey, without
// paths. Hovering over a station shows its callsign, locator and what it heard.

#include <vector>

#include "network/NetworkPicture.h"
#include "propagation/PropagationMap.h"

namespace harkola {

class NetworkMap : public PropagationMap {
  Q_OBJECT
 public:
  explicit NetworkMap(QWidget* parent = nullptr);

  // The beacons' places (index = number - 1), for the paths.
  void setBeaconPlaces(std::vector<GeoPoint> places) { m_places = std::move(places); }
  void setNetwork(NetworkSummary summary);
  const NetworkSummary& network() const { return m_summary; }
  void setMilesText(bool miles) { m_milesText = miles; }

  // The station under a widget point (index into the summary's stations), -1 for none.
  int stationAt(const QPointF& pos) const;
  QString stationTextAt(const QPointF& pos) const;
  // The map with the network drawn over it (screenshots, tests).
  void renderNetwork(QPainter& p);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;

 private:
  std::vector<GeoPoint> m_places;
  NetworkSummary m_summary;
  int m_hoverStation = -1;
  bool m_milesText = false;
};

}  // namespace harkola
