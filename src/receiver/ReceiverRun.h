#pragma once
// The receiver input running in the desktop program: the source the settings name
// (SoapySDR device or I/Q recording read on a worker thread; rtl_tcp or KiwiSDR on the
// window thread), its band channels and the five-band detector. The main window's
// clock calls tick() every 100 ms and takes the slots measured since.
//
// Threads: a pull source and its band channels run on the worker; their audio waits
// in a queue under a lock until tick() hands it to the detectors on the window thread.

#include <QObject>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "receiver/FiveBandDetector.h"
#include "receiver/ReceiverSettings.h"

namespace harkola {

class QtNetworkSource;

// What the window shows of a band.
struct BandStatus {
  bool served = false;
  double noiseDbfs = -200.0, peakDbfs = -200.0;
  long long audioSamples = 0;
  std::string last;  // the latest slot's result line
};

class ReceiverRun : public QObject {
  Q_OBJECT
 public:
  explicit ReceiverRun(const std::vector<std::string>& callsigns, QObject* parent = nullptr);
  ~ReceiverRun() override;

  // Starts the input the settings name (stopping any running one). False with the
  // reason (the sound card is no receiver input: nothing runs then).
  bool start(const ReceiverSettings& s, std::string& error);
  void stop();
  bool running() const { return m_running; }
  // The settings of the last start.
  const ReceiverSettings& settings() const { return m_settings; }

  void setCallsigns(const std::vector<std::string>& callsigns) { m_detector.setCallsigns(callsigns); }
  void setSMeterOffset(int offset) { m_detector.setSMeterOffset(offset); }

  // The clock's tick: audio to the detectors, slots begun and decided.
  std::vector<SlotMeasurement> tick(SysTime now);

  std::array<BandStatus, kBandCount> status() const;
  SourceHealth health() const;
  // The latest thing the source said ("rtl_tcp server with the R820T tuner", "KiwiSDR too busy ...").
  std::string lastEvent() const;
  const FiveBandDetector& detector() const { return m_detector; }

 signals:
  void eventSaid(const QString& text);

 private:
  struct Stream;
  struct Audio {
    int band;
    std::vector<std::int16_t> samples;
    SysTime end;
  };
  void said(const std::string& text);
  void workerLoop(Stream* s);

  FiveBandDetector m_detector;
  std::vector<std::unique_ptr<Stream>> m_streams;
  bool m_running = false;
  ReceiverSettings m_settings;
  std::atomic<bool> m_quit{false};
  std::thread m_worker;
  mutable std::mutex m_lock;  // guards the members below
  std::vector<Audio> m_queue;
  std::array<BandStatus, kBandCount> m_status{};
  SourceHealth m_pullHealth;
  std::string m_lastEvent;
  std::array<std::string, kBandCount> m_lastResult;
};

}  // namespace harkola
