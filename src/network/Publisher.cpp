#include "network/Publisher.h"

namespace harkola {

Publisher::Publisher(Spool& spool, StationLink& link) : m_spool(spool), m_link(link) {}

bool Publisher::add(const SlotReport& report) {
  const std::uint64_t seq = m_spool.append(report.slotStartUtc, slotTopic(report), encodeSlotReport(report));
  if (seq == 0) return false;
  send();
  return true;
}

void Publisher::send() {
  if (m_state != LinkState::Connected) return;
  const auto& entries = m_spool.entries();
  for (auto it = entries.upper_bound(m_lastHanded); it != entries.end() && m_handed.size() < kWindow; ++it) {
    if (!m_link.publish(it->second.topic, it->second.payload, it->first)) return;
    m_handed.insert(it->first);
    m_lastHanded = it->first;
  }
}

void Publisher::poll(std::int64_t nowUtc, std::chrono::milliseconds wait) {
  for (LinkEvent& e : m_link.poll(wait)) {
    switch (e.kind) {
      case LinkEvent::Kind::Acknowledged:
        if (m_handed.erase(e.tag) && m_spool.acknowledge(e.tag)) ++m_acknowledged;
        break;
      case LinkEvent::Kind::State:
        if (e.state != m_state && (e.state == LinkState::Connected || m_state == LinkState::Connected))
          m_notices.add("Network: " + e.text);
        m_state = e.state;
        m_stateText = e.text;
        break;
      case LinkEvent::Kind::Message:
        if (onMessage) onMessage(e.topic, e.payload);
        break;
    }
  }
  if (nowUtc - m_lastPrune >= 60) {
    m_lastPrune = nowUtc;
    m_spool.prune(nowUtc);
    // Reports that left by a limit while with the link are not waited for.
    for (auto it = m_handed.begin(); it != m_handed.end();)
      it = m_spool.entries().count(*it) ? std::next(it) : m_handed.erase(it);
  }
  send();
}

std::string Publisher::statusLine() const {
  return std::string(linkStateText(m_state)) + ", " + std::to_string(waiting()) + " waiting";
}

std::vector<std::string> Publisher::takeNotices() {
  m_notices.add(m_spool.takeNotices());
  return m_notices.take();
}

}  // namespace harkola
