#include "clock/BeaconClock.h"

#include <algorithm>
#include <cmath>

#include "data/Beacons.h"

namespace harkola {

void LoggingDisplay::clearButtons() {
  for (auto& b : sButtons) b.checked = false;
}

BeaconClock::BeaconClock(PublicDecs& shared, HeardLogSink* sink, ClockHooks* hooks)
    : d(shared), m_sink(sink), m_hooks(hooks) {
  graph.reset();
  followGraph.reset();
}

const std::string& BeaconClock::country(int station) const { return Beacons(d.BeaconTable).country(station); }
const std::string& BeaconClock::callsign(int station) const { return Beacons(d.BeaconTable).callsign(station); }
const std::string& BeaconClock::status(int station, int band) const {
  return Beacons(d.BeaconTable).status(station, band);
}

SlotPosition BeaconClock::takePosition(const LocalTime& t) {
  const SlotPosition p = slotPosition(t.minute, t.second, SelectedBand);
  SlotNumber = p.slotNumber;
  StationNumber = p.stationNumber;
  StationIndex = p.stationIndex;
  NextStation = p.nextStation;
  SecondsIntoSlot = p.secondsIntoSlot;
  return p;
}

void BeaconClock::resumeAt(const LocalTime& now, SysTime at) {
  const SlotPosition p = takePosition(now);
  SlotProgress = 10 * p.secondsIntoSlot;
  hiddenStationNumber = std::to_string(p.stationNumber);
  Listening = p.secondsIntoSlot < d.ListenSeconds;
  lastTick = now;
  m_lastTickAt = at;
  if (m_detector) m_detector->beginSlot(currentSlot());
}

void BeaconClock::tick(const LocalTime& now) { tick(now, timePointOf(now)); }

void BeaconClock::tick(const LocalTime& now, SysTime at) {
  if (!d.ClockRunning) return;
  lastTick = now;
  m_lastTickAt = at;

  takePosition(now);
  SlotProgress = std::min(SlotProgress + 1, 100);

  // txtHiddenStationNumber: a changed text is the new-slot event.
  const std::string text = std::to_string(StationNumber);
  if (text != hiddenStationNumber) {
    hiddenStationNumber = text;
    newSlotSequence();
  }

  NextBand = SelectedBand == 4 ? 0 : SelectedBand + 1;

  if (!d.FollowMode || d.FollowedBeacon != StationIndex) {
    displayedStation = StationNumber;
    displayedBand = SelectedBand;
  } else {
    // The followed beacon has just moved up one band: follow it. The labels catch up
    // on the next tick.
    selectBand(NextBand);
  }

  heardTest();
  if (m_mode == LogMode::Auto) listeningWindow();
}

void BeaconClock::newSlotSequence() {
  ++newSlotCount;
  if (d.ClockRunning && d.VoiceSelected[StationIndex] && m_hooks)
    m_hooks->playVoiceClip(StationNumber);

  SlotProgress = 10 * SecondsIntoSlot;

  if (m_mode == LogMode::Manual) {
    for (int s = 1; s <= 9; ++s) logging.sButtons[s] = SButton{false, true};
    logging.saved = Colour::Grey;
  } else if (m_mode == LogMode::Auto) {
    logging.clearButtons();
    logging.saved = Colour::Grey;
  }

  SLevel = 0;
  if (!m_testMode) d.SlotLogged = false;
  if (m_detector) m_detector->beginSlot(currentSlot());
  SignalPresent = false;
  lastSLevel = 0;
  keyLogFlag = 0;

  graph.markSlot(StationIndex);
  followGraph.markSlot(StationIndex, d.FollowMode, d.FollowedBeacon);
}

SlotRef BeaconClock::currentSlot() const {
  SlotRef s;
  s.start = m_lastTickAt - std::chrono::seconds(lastTick.second % 10) - std::chrono::milliseconds(lastTick.millisecond);
  s.startLocal = localTimeAt(s.start);
  s.band = SelectedBand;
  s.beacon = StationNumber;
  return s;
}

void BeaconClock::setAnalyserLogging(AnalyserLogging mode) {
  switch (mode) {
    case AnalyserLogging::Test:
      d.SlotLogged = true;
      m_testMode = true;
      break;
    case AnalyserLogging::Logging:
      d.SlotLogged = false;
      m_testMode = false;
      break;
    case AnalyserLogging::Stopped:
      m_testMode = false;
      break;
    case AnalyserLogging::Closed:
      m_testMode = false;
      d.SlotLogged = true;
      break;
  }
}

void BeaconClock::heardTest() {
  const SlotDecision decision = m_detector ? m_detector->decide(m_lastTickAt) : SlotDecision{};
  if (decision.late) {
    lateDecision(decision);
    SignalPresent = false;
    latchOpen = true;
    return;
  }
  if (Listening && decision.heard) {
    SignalPresent = true;
    if (latchOpen) SLevel = static_cast<std::int16_t>(decision.sLevel);
    latchOpen = false;
    logAction(SLevel, lastTick);
  } else {
    SignalPresent = false;
    latchOpen = true;
  }
}

// A decision about an earlier slot (the sensitive detector answers after the slot's
// last dash, in the first seconds of the next slot): its record and its session-graph
// bar belong to that slot, written once, never in test mode. The running slot's own
// record state (SlotLogged, the S buttons) is not touched.
void BeaconClock::lateDecision(const SlotDecision& decision) {
  if (!decision.heard || m_mode != LogMode::Auto || m_testMode) return;
  if (m_lateWritten && *m_lateWritten == decision.slot.start) return;
  m_lateWritten = decision.slot.start;
  const int s = std::clamp(decision.sLevel, 1, 9);
  const std::string record =
      heardRecord(decision.slot.startLocal, decision.slot.band, callsign(decision.slot.beacon), s);
  const bool written = m_sink && m_sink->write(record);
  if (!written && m_hooks) m_hooks->logWriteFailed(d.LogFilePath);
  if (decision.slot.band == SelectedBand) graph.setLevel(decision.slot.beacon - 1, s);
  lastLateSLevel = s;
}

void BeaconClock::listeningWindow() {
  if (SecondsIntoSlot >= d.ListenSeconds) {
    listenText = "Waiting for new slot";
    countDownText.clear();
    Listening = false;
  } else {
    countDownText = std::to_string(d.ListenSeconds - SecondsIntoSlot);
    listenText = "Listening for seconds:";
    Listening = true;
  }
}

void BeaconClock::selectBand(int band) {
  if (band < 0 || band >= kBandCount) return;
  SelectedBand = band;
  graph.reset();
  logging.clearButtons();
  d.RigBandRow = static_cast<std::int16_t>(band + 15);
  if (m_hooks) {
    m_hooks->bandSelected(band);
    if (rigControlActive) m_hooks->sendBandCommand();
  }
}

void BeaconClock::showSelectedBand() {
  takePosition(lastTick);
  NextBand = SelectedBand == kBandCount - 1 ? 0 : SelectedBand + 1;
  if (displayedStation != 0) {
    displayedStation = StationNumber;
    displayedBand = SelectedBand;
  }
}

void BeaconClock::sButtonClicked(int s, const LocalTime& now) {
  // A disabled button cannot be clicked (after a log action only the chosen one is
  // enabled).
  if (s < 1 || s > 9 || m_mode == LogMode::Auto || !logging.sButtons[s].enabled) return;
  logAction(s, now);
}

void BeaconClock::keyPressed(char key, const LocalTime& now) {
  if (m_mode != LogMode::Manual || key < '1' || key > '9' || keyLogFlag != 0) return;
  logAction(key - '0', now);  // selects the digit's button
}

void BeaconClock::logAction(int s, const LocalTime& now) {
  if (s < 1 || s > 9) return;
  for (int i = 1; i <= 9; ++i) {
    if (i == s) {
      logging.sButtons[i] = SButton{true, true};
    } else {
      logging.sButtons[i].enabled = false;
    }
  }
  lastSLevel = s;

  bool written = false;
  if (m_mode != LogMode::Off) {
    if (!d.SlotLogged) {
      const std::string record = heardRecord(now, SelectedBand, callsign(StationNumber), s);
      written = m_sink && m_sink->write(record);
      if (!written && m_hooks) m_hooks->logWriteFailed(d.LogFilePath);
    }
    graph.setLevel(StationIndex, s);
    if (d.FollowMode && d.FollowedBeacon == StationNumber % kBeaconCount)
      followGraph.setLevel(SelectedBand, s);
  }

  if (m_mode == LogMode::Auto && d.SlotLogged) {
    logging.saved = Colour::Red;
  } else if (!d.SlotLogged && (written || m_mode == LogMode::Off)) {
    // A record that did not reach the file never shows as saved.
    logging.saved = Colour::Blue;
  }
  d.SlotLogged = true;
  keyLogFlag = 1;
}

void BeaconClock::setLogMode(LogMode mode) {
  m_mode = mode;
  for (int s = 1; s <= 9; ++s) {
    auto& b = logging.sButtons[s];
    b.checked = false;
    b.enabled = mode == LogMode::Manual;
  }
  switch (mode) {
    case LogMode::Off:
      logging.sButtonColour = Colour::Grey;
      logging.saved = Colour::Grey;
      break;
    case LogMode::Manual:
      logging.sButtonColour = Colour::Blue;
      break;
    case LogMode::Auto:
      logging.sButtonColour = Colour::Red;
      break;
  }
}

}  // namespace harkola
