#pragma once
// The main window: the running beacon clock with the beacon on the selected band, the
// band selector, the S-level logger, and the menus that open every other window. It
// owns the start-up, activation and shutdown sequences. The per-tick decisions are
// the BeaconClock's; this class wires widgets, windows and devices to it.

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "common/Notice.h"
#include "analysis/frmDataAnalysis.h"
#include "common/PublicDecs.h"
#include "audio/SensitiveDetector.h"
#include "clock/BeaconClock.h"
#include "clock/HeardLog.h"
#include "clock/SlotDetector.h"
#include "clock/SlotResults.h"
#include "clock/TimeSource.h"
#include "propagation/BandScan.h"
#include "receiver/ReceiverSettings.h"
#include "rig/RigSession.h"

class QAction;
class QFrame;
class QLabel;
class QLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace harkola {

class AlignedTicker;
class Rig;
class RigChoice;
class RigCtrl;
class VoicePlayer;
class frmVoiceSel;
class frmDataAnalysis;
class frmNextBeacon;
class frmGraph;
class frmGraphFollow;
class frmFollow;
class frmAnalyser;
class CaptureProvider;
class frmPropagation;
class NetworkStation;
class frmNetworkSettings;
struct NetworkSettings;
class frmReceiver;
class ReceiverRun;

// The devices the main window reaches through seams. The program's composition root
// (main) makes the real ones; tests hand in fakes and run the window headless with a
// simulated clock. All are borrowed and must outlive the window.
struct PrimaryServices {
  TimeSource* time = nullptr;          // required
  VoicePlayer* voice = nullptr;        // required: the announcement clips
  SlotDetector* detector = nullptr;    // required: hears the slots of automatic logging
  // The sensitive detector the analyser's "Sensitive" choice switches to (null: the
  // choice keeps `detector`).
  SensitiveDetector* sensitiveDetector = nullptr;
  bool startSensitive = false;  // log with `sensitiveDetector` from the start
  Rig* rig = nullptr;                  // required: what rig control drives
  bool rigNeedsTest = true;            // `rig` is the serial link: its setup test must pass first
  RigCtrl* rigSetup = nullptr;         // the serial link the setup window tests (null: no setup)
  // When set, rig control drives the link chosen in Rig setup (serial or rigctld), asked
  // for again at every start, in place of `rig` and `rigNeedsTest`.
  RigChoice* rigChoice = nullptr;
  std::string dataFolder;               // empty: the current folder at start-up
  std::function<bool()> soundCardTest;  // a sound output device exists (default: SoundCardTest)
  bool showClosingWindow = true;        // the 2 s closing window at shutdown
  bool startTicker = true;              // run tmrClockTicks (tests call onTick themselves)
  // Called after each new-slot sequence (not the first) with the wall-clock time by
  // which it ran past the slot's true start, in milliseconds (for measuring).
  std::function<void(double)> newSlotLateness;
  // The analyser's audio inputs: the system's sound cards, or a recording. Required.
  CaptureProvider* capture = nullptr;
  // The receiver input to start with (harkola --receiver); none: as saved, not running.
  std::optional<ReceiverSettings> startReceiver;
};

class frmPrimary : public QMainWindow, public ClockHooks, public AnalysisHost {
  Q_OBJECT
 public:
  frmPrimary(PublicDecs& d, PrimaryServices services, QWidget* parent = nullptr);
  ~frmPrimary() override;

  // The start-up sequence. Returns false when the program must end (no sound output).
  bool load();
  // The activation sequence (also run on every WindowActivate).
  void activate();
  // One clock tick: reads the time source, runs the clock, redraws.
  void onTick();
  // Reload home and beacon data and recompute distances (after an editor saved).
  void reloadData();

  BeaconClock& clock() { return m_clock; }
  // The closing sequence has run (the window is closed, or the start was refused).
  bool isShutDown() const { return m_shutDown; }
  const PublicDecs& shared() const { return d; }
  frmGraph* graphWindow() const { return m_graph; }
  frmGraphFollow* followGraphWindow() const { return m_graphFollow; }
  frmNextBeacon* nextBeaconWindow() const { return m_next; }
  frmAnalyser* analyserWindow() const { return m_analyser; }

  // Menu actions (buttons of the same name run them too).
  void mnuBackupLog_Click();
  void mnuArchiveLog_Click();
  void mnuLogManual_Click();
  void mnuLogAuto_Click();
  void mnuDisplayGraph_Click();
  void mnuNextBeacon_Click();
  void opgBandSelect_Click(int index);
  void opgS_Click(int index);
  void cmdSecondsUp_Click();
  void cmdSecondsDown_Click();
  void mnuRigCtrlActivate_Click();
  void mnuRigSetup_Click();
  void mnuVoiceActivate_Click();
  void mnuChart_Click();
  frmDataAnalysis* analysisWindow() const;

  // AnalysisHost: the log analysis window pauses the clock and logging while open.
  void pauseForAnalysis() override;
  void resumeAfterAnalysis() override;
  frmVoiceSel* voiceWindow() const { return m_voiceSel; }
  // Follow mode: opens the follow window, or ends follow mode when the entry is checked.
  void mnuFollowBeacon_Click();
  frmFollow* followWindow() const { return m_follow; }
  // The propagation window (opened by its menu entry or --propagation) and band
  // scanning, which steps the band at each cycle start while rig control is on.
  void mnuPropagation_Click();
  void mnuScanBands_Click();
  frmPropagation* propagationWindow() const { return m_propagation; }
  // The network: its window (settings and live state), and the link itself.
  void mnuNetwork_Click();
  NetworkStation& network() { return *m_network; }
  frmNetworkSettings* networkWindow() const { return m_networkWindow; }
  // The receiver input (all five bands from an SDR, rtl_tcp, KiwiSDR or I/Q file) and
  // its window; its slots go to the same results as automatic logging.
  void mnuReceiver_Click();
  bool startReceiver(const ReceiverSettings& s, std::string& error);
  ReceiverRun* receiverRun() const { return m_receiver.get(); }
  frmReceiver* receiverWindow() const { return m_receiverWindow; }
  bool bandScanActive() const { return m_bandScan.active(); }

  // --- controls (named as in the window) ---
  QLabel* lblSystemTime = nullptr;
  QLabel* lblUtcTime = nullptr;  // the same instant in UTC, "HH:MM:SS UTC"
  QLabel* lblClockSync = nullptr;
  QLabel* lblSlot = nullptr;
  QLabel* lblSlotNumber = nullptr;
  QLabel* lblCountry = nullptr;
  QLabel* lblCallsign = nullptr;
  QLabel* lblStatus = nullptr;
  QLabel* lblDx = nullptr;
  QLabel* lblDistanceUnits = nullptr;
  QLabel* lblAz = nullptr;
  QLabel* lblHome = nullptr;
  std::array<QRadioButton*, kBandCount> opgBandSelect{};
  QProgressBar* prgbrSlot = nullptr;
  QGroupBox* fraSLevel = nullptr;
  std::array<QRadioButton*, 10> opgS{};  // 1..9
  QLabel* lblSaved = nullptr;
  QLabel* lblVoice = nullptr;
  QLabel* lblVInd = nullptr;
  QPushButton* cmdNBeacon = nullptr;
  QPushButton* cmdRigCtrl = nullptr;
  QPushButton* cmdALog = nullptr;
  QPushButton* cmdMLog = nullptr;
  QPushButton* cmdVoice = nullptr;
  QPushButton* cmdSecondsUp = nullptr;
  QPushButton* cmdSecondsDown = nullptr;
  QLineEdit* txtHiddenStationNumber = nullptr;
  QLabel* lblHidden = nullptr;
  std::array<QFrame*, 4> separatorLines{};
  QLabel* lblNetwork = nullptr;  // the network link's state, shown while it is in use

  QAction* mnuBackupLog = nullptr;
  QAction* mnuArchiveLog = nullptr;
  QAction* mnuExit = nullptr;
  QAction* mnuData = nullptr;
  QAction* mnuHome = nullptr;
  QAction* mnuLogManual = nullptr;
  QAction* mnuLogAuto = nullptr;
  QAction* mnuDisplayGraph = nullptr;
  QAction* mnuNextBeacon = nullptr;
  QAction* mnuVoiceActivate = nullptr;
  QAction* mnuRigSetup = nullptr;
  QAction* mnuRigCtrlActivate = nullptr;
  QAction* mnuChart = nullptr;
  QAction* mnuFollowBeacon = nullptr;
  QAction* mnuPropagation = nullptr;
  QAction* mnuReceiver = nullptr;
  QAction* mnuScanBands = nullptr;
  QAction* mnuNetwork = nullptr;
  QAction* mnuHelpFile = nullptr;
  QAction* mnuAbout = nullptr;

  // ClockHooks
  void playVoiceClip(int stationNumber) override;
  void bandSelected(int band) override;
  void sendBandCommand() override;
  void logWriteFailed(const std::string& path) override;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void buildControls();
  // The parts of the window, top to bottom.
  QLayout* buildTimeRow(QWidget* central);
  QLayout* buildBeaconPanel(QWidget* central);
  QWidget* buildSlotProgress(QWidget* central);
  QLayout* buildBandSelector(QWidget* central);
  QWidget* buildSLevelLogger(QWidget* central);
  QLayout* buildButtonRow(QWidget* central);
  QFrame* separator(int i, QWidget* central);
  void buildMenus();
  void render();
  void renderLogging();
  void showNotices(const Notices& notices);
  bool openHeardLog(bool truncate = false);
  void copyHeardLog(bool archive);
  void loggingOffRefresh();
  void showSessionGraph();
  void closeSessionGraph();
  void followDisplay();
  frmFollow* ensureFollowWindow();
  void followModeChanged();
  frmVoiceSel* ensureVoiceWindow();
  void shutdown();
  void paintBandButtons(bool rigActive);
  void propagationBandRequested(int band);
  void stopBandScan();
  void scanTick();
  void showBandScan();
  // Ends rig control when the chosen link lost its connection; shows a link failure
  // that no call has shown yet (an S-meter read on a tick).
  void checkRigLink();
  // Automatic logging's analyser window: loaded afresh each time it is shown.
  bool loadAnalyser();
  void closeAnalyser();

  PublicDecs& d;
  PrimaryServices m_services;
  HeardLogFile m_heardLog;
  SlotResults m_results;
  BeaconClock m_clock;
  AlignedTicker* tmrClockTicks = nullptr;
  int m_syncCountdown = 0;  // ticks until the clock's sync state is read again
  frmNextBeacon* m_next = nullptr;
  frmGraph* m_graph = nullptr;
  frmGraphFollow* m_graphFollow = nullptr;
  RigSession m_rigSession;
  frmVoiceSel* m_voiceSel = nullptr;
  QPointer<frmDataAnalysis> m_analysis;
  bool m_manualBeforeAnalysis = false;
  bool m_autoBeforeAnalysis = false;
  frmFollow* m_follow = nullptr;
  bool m_shutDown = false;
  bool m_selectingBand = false;
  frmAnalyser* m_analyser = nullptr;
  frmPropagation* m_propagation = nullptr;  // a child window of this one
  BandScan m_bandScan;
  SlotDetector* m_chosenDetector = nullptr;  // the detector logging now (null: services.detector)
  void sensitiveResults();
  QLabel* buildNetworkLine(QWidget* central);
  void startNetwork();
  bool applyNetworkSettings(const NetworkSettings& s, std::string& error);
  void networkTick();
  void showNetworkLine();
  std::unique_ptr<NetworkStation> m_network;
  frmNetworkSettings* m_networkWindow = nullptr;
  std::string m_networkProblem;  // why the saved settings do not work, empty when they do
  std::unique_ptr<ReceiverRun> m_receiver;
  frmReceiver* m_receiverWindow = nullptr;
  void receiverResults();
  void stopReceiverInput();
};

}  // namespace harkola
