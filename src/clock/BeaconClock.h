#pragma once
// The beacon clock: what the main window does on every 100 ms tick, at every new slot,
// at a band change and when a level is logged. It holds the window's clock state and
// the logging state; the window only draws what is here and forwards clicks and keys.
//
// A tick is driven with the local time of the moment. Nothing here reads a clock or
// touches a device: voice, rig and window effects go through ClockHooks, records
// through a HeardLogSink. A simulated clock can therefore run it for hours.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "common/PublicDecs.h"
#include "clock/BeaconSchedule.h"
#include "clock/HeardLog.h"
#include "common/LocalTime.h"
#include "clock/SessionGraphs.h"
#include "clock/SlotDetector.h"

namespace harkola {

enum class LogMode { Off, Manual, Auto };

// What the analyser window's buttons do to automatic logging: Test leaves this slot and
// every following one unlogged; Logging lets the running slot be written at once;
// Stopped ends test mode; Closed ends test mode and leaves the running slot unlogged.
enum class AnalyserLogging { Test, Logging, Stopped, Closed };

// RGB colours the display takes its meaning from.
enum class Colour : std::uint32_t {
  Grey = 0xC0C0C0,    // inactive
  Blue = 0x0000FF,    // armed or manual
  Red = 0xFF0000,     // taken, locked or automatic
  Yellow = 0xFFFF00,  // slot processed
};

struct SButton {
  bool checked = false;
  bool enabled = false;
};

// The nine S-level buttons (index 1..9; 0 unused) and the lblSaved bar.
struct LoggingDisplay {
  std::array<SButton, 10> sButtons{};
  Colour sButtonColour = Colour::Grey;
  Colour saved = Colour::Grey;
  void clearButtons();  // every button unselected
};

// What the clock asks of the world around it. Every method has a do-nothing default.
class ClockHooks {
 public:
  virtual ~ClockHooks() = default;
  // New slot of a beacon chosen for announcement (clip 100 + stationNumber).
  virtual void playVoiceClip(int stationNumber) { (void)stationNumber; }
  // The band changed (by a click, follow mode or start-up): the band options show it
  // and the main window is brought up.
  virtual void bandSelected(int band) { (void)band; }
  // Rig control is active and the band changed: send the band's frequency command
  // (row d.RigBandRow of the rig table).
  virtual void sendBandCommand() {}
  // A heard-log record could not be written.
  virtual void logWriteFailed(const std::string& path) { (void)path; }
};

class BeaconClock {
 public:
  // `sink` receives the records (may be null: nothing is written); `hooks` may be null.
  BeaconClock(PublicDecs& shared, HeardLogSink* sink, ClockHooks* hooks);

  void setSink(HeardLogSink* sink) { m_sink = sink; }
  void setHooks(ClockHooks* hooks) { m_hooks = hooks; }
  // The detector asked at every tick and told of every new slot (may be null: nothing
  // is ever heard). Borrowed.
  void setDetector(SlotDetector* detector) { m_detector = detector; }
  SlotDetector* detector() const { return m_detector; }

  void setAnalyserLogging(AnalyserLogging mode);
  // Nothing more is written in the running slot (shutdown).
  void stopLoggingThisSlot() { d.SlotLogged = true; }
  bool analyserTestMode() const { return m_testMode; }

  // Takes the clock up at `now` (the instant `at`) as if it had been running before: the
  // slot in progress counts as announced (the next tick runs no new-slot sequence, and
  // its detections still count), the listening window stands as the tick before left
  // it, and the detector is told of the slot. For replays that start mid-slot.
  void resumeAt(const LocalTime& now, SysTime at);

  // One clock tick at local time `now`. Does nothing while ClockRunning is false.
  void tick(const LocalTime& now);
  // The same with the instant of `now` already known (replays).
  void tick(const LocalTime& now, SysTime at);

  // opgBandSelect_Click: band 0..4.
  void selectBand(int band);
  // Brings slot, beacons and the displayed beacon to the selected band at the time of
  // the last tick (a band chosen by the user shows at once; the new-slot sequence still
  // runs at the next tick).
  void showSelectedBand();

  // opgS_Click(s): a click on S button 1..9 (ignored on a disabled button and while
  // automatic logging is on, where the buttons only display).
  void sButtonClicked(int s, const LocalTime& now);
  // Form_KeyPress: digits 1..9 log while manual logging is on, once per slot.
  void keyPressed(char key, const LocalTime& now);
  // The log action with level s (1..9): at most one record per slot.
  void logAction(int s, const LocalTime& now);

  // Switch the logging mode: the S buttons and lblSaved follow (the windows around
  // them are the main window's business).
  void setLogMode(LogMode mode);
  LogMode logMode() const { return m_mode; }

  bool rigControlActive = false;

  // --- state shown by the windows -------------------------------------------------
  int SelectedBand = 0;
  int SlotNumber = 1;
  int StationNumber = 1;
  int StationIndex = 0;
  int NextStation = 2;
  int NextBand = 1;
  int SecondsIntoSlot = 0;
  int SlotProgress = 0;  // 0..100, one count per tick
  bool Listening = false;
  std::int16_t SLevel = 0;
  bool SignalPresent = false;
  bool latchOpen = true;  // lblHidden blue; false = red (level of this detection taken)

  // The beacon whose country, callsign, status, distance and azimuth the main labels
  // show (not refreshed on the tick where follow mode steps the band).
  int displayedStation = 0;  // 0 = nothing shown yet
  int displayedBand = 0;     // the band whose status is shown with it
  // txtHiddenStationNumber
  std::string hiddenStationNumber;
  // analyser labels (written while automatic logging is on)
  std::string listenText;
  std::string countDownText;

  LocalTime lastTick{};
  long newSlotCount = 0;  // how many new-slot sequences ran

  LoggingDisplay logging;
  SessionGraph graph;
  FollowGraph followGraph;
  int lastSLevel = 0;  // of the log action in this slot
  int lastLateSLevel = 0;  // of the last record written from a late decision
  int keyLogFlag = 0;  // 1 after a log action in this slot

  // Text helpers for the displays.
  const std::string& country(int station) const;
  const std::string& callsign(int station) const;
  const std::string& status(int station, int band) const;

 private:
  // Slot, beacons and seconds of the selected band at `t`.
  SlotPosition takePosition(const LocalTime& t);
  void newSlotSequence();
  SlotRef currentSlot() const;
  void heardTest();
  void lateDecision(const SlotDecision& decision);
  void listeningWindow();

  PublicDecs& d;
  HeardLogSink* m_sink;
  ClockHooks* m_hooks;
  SlotDetector* m_detector = nullptr;
  std::optional<SysTime> m_lateWritten;  // the slot whose late record was written
  LogMode m_mode = LogMode::Off;
  bool m_testMode = false;
  SysTime m_lastTickAt{};  // a new slot leaves SlotLogged true: nothing is written
};

}  // namespace harkola
