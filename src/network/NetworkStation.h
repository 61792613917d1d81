#pragma once
// The desktop station's part in the network, for the main window: it publishes the
// station's slot results (through the spool, so nothing is lost while offline), takes
// other stations' reports from the broker into a NetworkPicture, and reads the last day
// from a collector's store when one is named. The main window calls poll() from its
// clock tick; nothing here blocks (the store is read on a thread of its own).

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "clock/ClockCheck.h"
#include "clock/SlotMeasurement.h"
#include "network/NetworkPicture.h"
#include "network/NetworkSettings.h"
#include "network/Publisher.h"
#include "network/SlotMessage.h"
#include "network/Spool.h"
#include "common/Notice.h"

namespace harkola {

class NetworkStation {
 public:
  // Makes the link to a broker (tests hand in a fake; the default is the MQTT client).
  using LinkFactory = std::function<std::unique_ptr<StationLink>(const BrokerAddress&)>;
  explicit NetworkStation(LinkFactory makeLink = {});
  ~NetworkStation();
  NetworkStation(const NetworkStation&) = delete;
  NetworkStation& operator=(const NetworkStation&) = delete;

  // Starts (or restarts) as the settings say; with neither publishing nor showing
  // wanted it only stops. The spool lives in `logFolder`. False with `error` when the
  // settings cannot work or the spool cannot be opened.
  bool start(const NetworkSettings& s, const std::filesystem::path& logFolder, const std::string& version,
             std::string& error);
  void stop();
  bool running() const { return m_link != nullptr; }
  const NetworkSettings& settings() const { return m_settings; }

  // One slot the station measured; published when publishing is on.
  void add(const SlotMeasurement& m, const ClockCheck& check);
  // Takes the link's news and what the store read; true when the picture changed.
  bool poll(std::int64_t nowUtc);

  const NetworkPicture& picture() const { return m_picture; }
  // "Network: connected, 3 waiting", "Network: off", ... for the main window.
  std::string statusLine() const;
  LinkState state() const;
  std::size_t waiting() const { return m_publisher ? m_publisher->waiting() : 0; }
  std::uint64_t received() const { return m_received; }
  const std::array<std::uint64_t, kRefusalKinds>& refused() const { return m_refused; }
  std::uint64_t refusedTotal() const;
  // "History: 1200 reports from store.sqlite", "History: the store cannot be read: ..."
  const std::string& historyText() const { return m_historyText; }
  // The spool's messages and link changes worth telling (for a status line, not a box).
  std::vector<std::string> takeNotices() { return m_notices.take(); }

 private:
  void take(const std::string& topic, const std::string& payload, std::int64_t nowUtc);
  void startHistory(std::int64_t nowUtc);
  void joinHistory();

  LinkFactory m_makeLink;
  NetworkSettings m_settings;
  StationIdentity m_identity;
  std::unique_ptr<Spool> m_spool;
  std::unique_ptr<StationLink> m_link;
  std::unique_ptr<Publisher> m_publisher;
  NetworkPicture m_picture;
  bool m_changed = false;
  std::uint64_t m_received = 0;
  std::array<std::uint64_t, kRefusalKinds> m_refused{};
  std::int64_t m_pollUtc = 0;  // the time of the last poll: incoming messages are checked against it
  std::int64_t m_pruneMinute = 0;
  NoticeTexts m_notices;

  // The store's reports, read on a thread of its own and merged by poll().
  std::thread m_history;
  std::mutex m_historyMutex;
  std::vector<SlotReport> m_historyReports;  // guarded
  std::string m_historyError;                // guarded
  std::atomic<bool> m_historyDone{false};
  std::atomic<bool> m_historyCancel{false};
  std::string m_historyText;
};

}  // namespace harkola
