#pragma once
// The station link over MQTT, on the Mosquitto project's client library (libmosquitto):
// MQTT 3.1.1, QoS 1, TLS with the system's certificate authorities or one given, user
// and password, and reconnection with a growing delay (1 s doubling to 30 s) for as
// long as the link runs. The library's network thread does the talking; its callbacks
// only queue events for poll().

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <set>

#include "network/StationLink.h"

struct mosquitto;
struct mosquitto_message;

namespace harkola {

class MqttLink : public StationLink {
 public:
  struct Options {
    BrokerAddress broker;
    std::string clientId;       // empty: the library makes one up
    bool persistentSession = false;  // the broker keeps our subscriptions and queues while we are away
    int keepAliveSeconds = 30;
    int maxInFlight = 100;
  };
  explicit MqttLink(Options options);
  ~MqttLink() override;
  MqttLink(const MqttLink&) = delete;
  MqttLink& operator=(const MqttLink&) = delete;

  bool start(std::string& error) override;
  void stop() override;
  bool publish(const std::string& topic, const std::string& payload, std::uint64_t tag) override;
  void subscribe(const std::string& filter) override;
  std::vector<LinkEvent> poll(std::chrono::milliseconds wait) override;
  LinkState state() const override;

 private:
  static void onConnect(mosquitto*, void* self, int rc);
  static void onDisconnect(mosquitto*, void* self, int rc);
  static void onPublish(mosquitto*, void* self, int mid);
  static void onMessage(mosquitto*, void* self, const mosquitto_message* msg);
  void push(LinkEvent e);

  Options m_options;
  mosquitto* m_mosq = nullptr;
  bool m_loopRunning = false;

  mutable std::mutex m_mutex;  // guards what the network thread touches below
  std::condition_variable m_wake;
  std::deque<LinkEvent> m_events;
  std::deque<int> m_ackedMids;
  LinkState m_state = LinkState::Stopped;
  std::set<std::string> m_filters;

  // Owner's thread only.
  std::map<int, std::uint64_t> m_tags;  // message id -> tag, until acknowledged
};

}  // namespace harkola
