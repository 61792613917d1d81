#pragma once
// The station link: the seam between the program and a message broker. It takes
// messages for the network and promises each to the broker (at least once: QoS 1),
// says when the broker has acknowledged one, hands over what arrives on the topics
// subscribed to, and says how the connection stands.
//
// Threads: a link may do its work on a thread of its own (the MQTT client does), but
// everything it tells comes out of poll(), called by its owner's thread; the other
// calls are made by that same thread. Nothing here blocks except poll()'s wait.
//
// What a link does not promise: exactly once, or the order of messages sent again
// after a lost connection. The spool and the receiver's key (station, slot, band)
// make up for both.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace harkola {

enum class LinkState {
  Stopped,     // not started, or stopped
  Connecting,  // first attempt under way
  Connected,
  Retrying,    // the connection was lost or refused; trying again
};
// "connected", "connecting", ...
const char* linkStateText(LinkState s);

struct LinkEvent {
  enum class Kind { State, Acknowledged, Message };
  Kind kind = Kind::State;
  LinkState state = LinkState::Stopped;  // Kind::State
  std::string text;                      // Kind::State: why ("connection refused: not authorised")
  std::uint64_t tag = 0;                 // Kind::Acknowledged: the tag given to publish()
  std::string topic, payload;            // Kind::Message
};

class StationLink {
 public:
  virtual ~StationLink() = default;
  // Starts connecting, and reconnecting whenever the connection is lost, until stop().
  // False (with `error`) only for a setting that can never work.
  virtual bool start(std::string& error) = 0;
  // Disconnects. Messages not yet acknowledged stay so.
  virtual void stop() = 0;
  // Hands a message to the broker (QoS 1). `tag` comes back in an Acknowledged event
  // once the broker has it. False when the link cannot take it now (stopped, or not
  // connected): the caller keeps it and tries again after the next connection.
  virtual bool publish(const std::string& topic, const std::string& payload, std::uint64_t tag) = 0;
  // Subscribes (QoS 1) now, and again after every reconnection.
  virtual void subscribe(const std::string& filter) = 0;
  // What happened since the last call, oldest first; waits up to `wait` when nothing has.
  virtual std::vector<LinkEvent> poll(std::chrono::milliseconds wait = std::chrono::milliseconds(0)) = 0;
  virtual LinkState state() const = 0;
};

// Where a broker is and how to log in: mqtt://[user[:password]@]host[:port] (1883) or
// mqtts://... (TLS, 8883), with "?ca=FILE" for a broker whose certificate is signed by
// a certificate authority of its own. User and password in the URL are percent-decoded.
struct BrokerAddress {
  bool tls = false;
  std::string host;
  int port = 0;
  std::string user;
  std::string password;
  std::string caFile;  // empty: the system's certificate authorities
  std::string text() const;  // "mqtts://host:8883" (no password)
};
bool parseBrokerUrl(std::string_view url, BrokerAddress& out, std::string& error);

}  // namespace harkola
