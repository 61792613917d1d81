#pragma once
// A station link in memory: the test decides when the broker is there and what it
// acknowledges.
#include <deque>

#include "network/StationLink.h"

namespace harkola::test {

class FakeLink : public StationLink {
 public:
  struct Sent {
    std::string topic, payload;
    std::uint64_t tag;
  };
  bool start(std::string&) override { return true; }
  void stop() override { setState(LinkState::Stopped); }
  bool publish(const std::string& topic, const std::string& payload, std::uint64_t tag) override {
    if (m_state != LinkState::Connected) return false;
    sent.push_back({topic, payload, tag});
    return true;
  }
  void subscribe(const std::string& filter) override { filters.push_back(filter); }
  std::vector<LinkEvent> poll(std::chrono::milliseconds) override {
    std::vector<LinkEvent> out(events.begin(), events.end());
    events.clear();
    return out;
  }
  LinkState state() const override { return m_state; }

  void setState(LinkState s) {
    m_state = s;
    events.push_back({LinkEvent::Kind::State, s, linkStateText(s), 0, {}, {}});
  }
  void acknowledge(std::uint64_t tag) { events.push_back({LinkEvent::Kind::Acknowledged, m_state, {}, tag, {}, {}}); }
  void arrive(std::string topic, std::string payload) {
    events.push_back({LinkEvent::Kind::Message, m_state, {}, 0, std::move(topic), std::move(payload)});
  }

  std::vector<Sent> sent;
  std::vector<std::string> filters;
  std::deque<LinkEvent> events;

 private:
  LinkState m_state = LinkState::Stopped;
};

}  // namespace harkola::test
