#pragma once
// The log analysis window: loads a heard log into the grid flex1, lets the user choose
// an analysis (one beacon on any band, or any beacon on one band) and months, shows the
// hour-of-day summary, saves it and opens its chart.
//
// A log loads on a thread of its own (LogLoadTask) while prgbFlex shows how much of the
// file has been read; cmdCancelLoad stops it and leaves the window as it was before.
// A summary runs in steps on the window's thread, each step a queued call. While the
// window is open the host's clock is paused and logging suspended (AnalysisHost), so
// that the log being analysed is not written to.

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "analysis/LogSummary.h"
#include "common/PublicDecs.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;

namespace harkola {

class LogGridModel;
class frmChart;

// What the window needs from the main window.
class AnalysisHost {
 public:
  virtual ~AnalysisHost() = default;
  // Clears ClockRunning, switches manual and automatic logging off through the main
  // window's own menu handlers (remembering which were on) and closes the heard log.
  virtual void pauseForAnalysis() = 0;
  // Reopens the heard log for appending, sets ClockRunning and switches back on the
  // logging modes that pauseForAnalysis() switched off.
  virtual void resumeAfterAnalysis() = 0;
};

class frmDataAnalysis : public QWidget {
  Q_OBJECT

 public:
  // A top-level window of its own (owned by `parent`, shown beside it). `host` may be
  // null (nothing is paused). Pauses the host at once; closing the window resumes it.
  frmDataAnalysis(PublicDecs& shared, AnalysisHost* host, QWidget* parent = nullptr);
  ~frmDataAnalysis() override;

  // The host goes away (program shutdown): it is not paused or resumed any more.
  void detachHost();

  // True while a load or a summary is in progress.
  bool busy() const { return m_task != nullptr || m_builder != nullptr; }
  bool loading() const { return m_task != nullptr; }
  const LogGridModel& grid() const { return *m_model; }
  // The chart made by the last summary (null before the first).
  frmChart* chart() const;
  const QString& fileName() const { return m_fileName; }

  QPushButton* cmdOpenFile = nullptr;
  std::array<QCheckBox*, 2> chkSelFunction{};
  std::array<QCheckBox*, kBandCount> chkChartBandSel{};
  std::array<QCheckBox*, kBeaconCount> beID{};
  std::array<QLabel*, kBeaconCount> lblBeID{};
  std::array<QFrame*, kBeaconCount> shpSorted{};
  QPushButton* cmdAll = nullptr;
  QPushButton* cmdClear = nullptr;
  QPushButton* cmdReset = nullptr;
  QPushButton* cmdSummarise = nullptr;
  QPushButton* cmdSummarySave = nullptr;
  QPushButton* cmdChart = nullptr;
  QListWidget* List1 = nullptr;
  QGroupBox* shpAnalysis = nullptr;
  QGroupBox* shpBand = nullptr;
  QGroupBox* shpBeacon = nullptr;
  QGroupBox* shpMonth = nullptr;
  QProgressBar* prgbFlex = nullptr;
  QPushButton* cmdCancelLoad = nullptr;
  QTableView* flex1 = nullptr;
  QLabel* Label6 = nullptr;

  // The border colour of a selection frame (blue: awaits input, grey: done or unused).
  static QColor frameColour(const QGroupBox* frame);
  // The fill colour of a beacon marker.
  static QColor markerColour(const QFrame* marker);

 signals:
  // A load (with its follow-up) or a summary has finished, well or not.
  void workFinished();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  enum class AfterLoad { OpenFile, Reset };

  void buildUi();
  void openFileClicked();
  // Shows the open dialog; returns the path, or empty with the messages shown.
  bool chooseFile(QString& path);
  void startLoad(AfterLoad after);
  void pollLoad();
  void cancelLoad();
  void loadFailed();
  void loadDone();
  void selFunctionClicked(int k);
  void bandClicked(int i);
  void beaconClicked(int i);
  void allClicked();
  void clearClicked();
  void summariseClicked();
  void summariseStep();
  void summaryDone();
  void saveClicked();
  void resetClicked();
  void chartClicked();
  void fillMonths();
  void setFrame(QGroupBox* frame, bool awaiting);
  void setMarker(int i, bool yellow);
  void setBeaconBlue(bool blue);
  std::string notifyTitle(const char* suffix) const;
  void resume();
  // What a cancelled load puts back: the controls' states and texts from before it.
  void takeSnapshot();
  void restoreSnapshot();
  // The buttons, check boxes and the month list.
  std::vector<QWidget*> inputControls() const;

  PublicDecs& m_d;
  AnalysisHost* m_host;
  bool m_paused = false;
  LogGridModel* m_model = nullptr;
  QString m_fileName;
  AfterLoad m_after = AfterLoad::OpenFile;
  std::unique_ptr<class LogLoadTask> m_task;
  QTimer* m_poll = nullptr;
  struct Snapshot {
    struct Control {
      QPointer<QWidget> widget;
      bool enabled = false, checked = false;
    };
    std::vector<Control> controls;
    bool gridShown = false;
    QString label, fileName;
    bool resetting = false;
  } m_before;
  std::vector<Snapshot::Control> m_duringLoad;
  std::shared_ptr<const LogData> m_log;
  std::unique_ptr<SummaryBuilder> m_builder;
  SummaryRequest m_request;
  bool m_modeByBeacon = false;  // "Any beacon, single band"
  int m_selectedBand = 0;
  std::string m_selectedCallsign;
  bool m_resetting = false;
  SummaryTable m_result;
  QPointer<frmChart> m_chart;
};

}  // namespace harkola
