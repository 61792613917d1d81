#pragma once
// The propagation window's "Network" view: for the last 15 minutes, hour or 24 hours,
// per beacon and band how many of the network's stations heard it (of those that
// listened), the stations with where they are and how they did, and the map of their
// heard paths; optionally only the stations within a distance of home. Stations whose
// clock is off the beacons are listed and marked, not merged. The picture is the
// network station's (the main window's link); this view only shows it.

#include <QWidget>
#include <functional>

#include "common/PublicDecs.h"
#include "network/NetworkPicture.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QTableWidget;

namespace harkola {

class NetworkMap;
class NetworkStation;

class NetworkPanel : public QWidget {
  Q_OBJECT
 public:
  using NowUtc = std::function<std::int64_t()>;
  NetworkPanel(const PublicDecs& decs, NowUtc nowUtc, QWidget* parent = nullptr);

  // The link whose picture is shown (borrowed; null: the network is off).
  void setStation(const NetworkStation* station);
  void reloadSites();
  // Summarises the picture anew and shows it.
  void refresh();
  NetworkFilter filter() const;
  const NetworkSummary& summary() const { return m_summary; }

  QComboBox* cboNetworkPeriod;
  QCheckBox* chkNear;
  QSpinBox* spnNear;
  QLabel* lblNetworkSummary;
  QTableWidget* grdNetwork;   // beacons x bands
  QTableWidget* grdStations;  // the stations
  NetworkMap* mapNetwork;

 private:
  void showCells();
  void showStations();

  const PublicDecs& m_decs;
  NowUtc m_nowUtc;
  const NetworkStation* m_station = nullptr;
  NetworkSummary m_summary;
};

}  // namespace harkola
