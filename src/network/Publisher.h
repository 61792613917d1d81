#pragma once
// A station's side of the network: each slot report goes into the spool first, then
// to the broker through the station link; it leaves the spool when the broker has
// acknowledged it. Reports go out in the order they were made, a window of them at a
// time; after a lost connection the link sends again what it had not had
// acknowledged, and the window goes on from there. Reports left in the spool by an
// earlier run go first.
//
// Messages arriving on the link's subscriptions (other stations' reports) are handed to
// onMessage. Single-threaded: the owner calls poll() (the desktop program from a timer,
// the command line in a loop).

#include <chrono>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "network/Spool.h"
#include "network/StationLink.h"
#include "common/Notice.h"

namespace harkola {

class Publisher {
 public:
  static constexpr std::size_t kWindow = 256;  // handed to the link and not yet acknowledged

  Publisher(Spool& spool, StationLink& link);

  // Spools the report and sends it when it can. False when the spool could not take it
  // (a notice says why).
  bool add(const SlotReport& report);
  // Takes the link's news: acknowledgements, connection changes, messages. Sends what
  // the window allows. Drops reports past the spool's age limit (at most once a minute).
  void poll(std::int64_t nowUtc, std::chrono::milliseconds wait = std::chrono::milliseconds(0));

  std::function<void(const std::string& topic, const std::string& payload)> onMessage;

  std::size_t waiting() const { return m_spool.waiting(); }
  LinkState state() const { return m_state; }
  // What the link last said ("connected to mqtt://host:1883", "lost the connection ...").
  const std::string& stateText() const { return m_stateText; }
  std::uint64_t acknowledged() const { return m_acknowledged; }
  // "connected, 3 waiting" for a status bar.
  std::string statusLine() const;
  // The spool's messages and changes of the link state worth telling the user.
  std::vector<std::string> takeNotices();

 private:
  void send();

  Spool& m_spool;
  StationLink& m_link;
  LinkState m_state = LinkState::Stopped;
  std::string m_stateText;
  std::set<std::uint64_t> m_handed;  // sequence numbers with the link
  std::uint64_t m_lastHanded = 0;
  std::uint64_t m_acknowledged = 0;
  std::int64_t m_lastPrune = 0;
  NoticeTexts m_notices;
};

}  // namespace harkola
