#pragma once
// The propagation window: a grid of the 18 beacons on the 5 bands with the latest
// result (or the share heard over a period) from the slot log, or from the heard log
// when there is no slot log (the classic detector), beside a world map with the paths
// on the air now. History is read on threads of its own with a progress bar (live
// results show meanwhile); afterwards new records of the log are picked up as they are
// written, and the main window may hand results over directly.

#include <QWidget>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "common/PublicDecs.h"
#include "propagation/HistoryLoadTask.h"
#include "propagation/PropagationGrid.h"
#include "propagation/ResultLogReader.h"
#include <vector>

class QComboBox;
class QLabel;
class QProgressBar;
class QTableWidget;
class QTabWidget;
class QTimer;

namespace harkola {

class PropagationMap;
class NetworkPanel;
class NetworkStation;

class frmPropagation : public QWidget {
  Q_OBJECT

 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  // `decs` must outlive the window (beacons, home, distance table, title). The logs
  // are looked for in `logFolder`. `clock` is the time the window runs on (the system
  // clock when empty).
  frmPropagation(const PublicDecs& decs, std::filesystem::path logFolder, Clock clock = {},
                 QWidget* parent = nullptr);
  ~frmPropagation() override;

  // The beacon or home data changed: names, distances and the map are laid out anew.
  void reloadSites();
  // A slot's result from the running detector (the same slot read later from the log
  // replaces it, so nothing is counted twice).
  void addResult(const SlotResult& r);
  // Runs the clock step at once (tests; otherwise once a second).
  void tick();
  // True while history is still being read.
  bool loading() const { return m_loading; }
  const PropagationGrid& grid() const { return m_grid; }
  // The network's view beside this station's: the link whose picture it shows
  // (borrowed; null while the network is off), and news that the picture changed.
  void setNetwork(const NetworkStation* station);
  void networkChanged();
  NetworkPanel* networkPanel() const { return m_networkPanel; }
  PropagationMap* map() const { return m_map; }

 signals:
  // The user clicked a cell or a beacon: tune to this band (0..4) if rig control runs.
  void bandRequested(int band);

 private:
  void startReading();
  void pollHistory();
  void refreshCells();
  void refreshOnAir();
  void showSource();
  std::int64_t nowUtc() const;
  GridPeriod period() const;

  const PublicDecs& m_decs;
  std::filesystem::path m_logFolder;
  Clock m_clock;
  PropagationGrid m_grid;
  std::unique_ptr<ResultLogReader> m_reader;  // while not loading
  std::unique_ptr<HistoryLoadTask> m_history;  // while loading
  ResultLogReader::Format m_format = ResultLogReader::Format::SlotLog;
  std::vector<SlotResult> m_liveWhileLoading;  // added again to the history once it is in
  bool m_loading = false;
  std::int64_t m_slotStart = -1;
  std::array<int, 5> m_onAirBeacon{};

  QComboBox* cboPeriod = nullptr;
  QComboBox* cboProjection = nullptr;
  QLabel* lblSource = nullptr;
  QProgressBar* prgbLoad = nullptr;
  QTableWidget* grdPropagation = nullptr;
  PropagationMap* m_map = nullptr;
  NetworkPanel* m_networkPanel = nullptr;
  QTabWidget* tabViews = nullptr;  // this station's results / the network's
  QTimer* tmrPropagation = nullptr;
  QTimer* tmrHistory = nullptr;
};

}  // namespace harkola
