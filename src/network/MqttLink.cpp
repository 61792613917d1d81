#include "network/MqttLink.h"

#include <mosquitto.h>

namespace harkola {

namespace {

std::once_flag g_libInit;

std::string percentDecoded(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      const auto hex = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      };
      const int hi = hex(s[i + 1]), lo = hex(s[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

}  // namespace

const char* linkStateText(LinkState s) {
  switch (s) {
    case LinkState::Stopped: return "off";
    case LinkState::Connecting: return "connecting";
    case LinkState::Connected: return "connected";
    case LinkState::Retrying: return "offline, retrying";
  }
  return "?";
}

std::string BrokerAddress::text() const {
  return std::string(tls ? "mqtts://" : "mqtt://") + host + ":" + std::to_string(port);
}

bool parseBrokerUrl(std::string_view url, BrokerAddress& out, std::string& error) {
  out = BrokerAddress{};
  std::string_view rest;
  if (url.substr(0, 7) == "mqtt://") {
    rest = url.substr(7);
  } else if (url.substr(0, 8) == "mqtts://") {
    out.tls = true;
    rest = url.substr(8);
  } else {
    error = "The broker address must begin with mqtt:// or mqtts://.";
    return false;
  }
  if (const auto q = rest.find('?'); q != std::string_view::npos) {
    const std::string_view query = rest.substr(q + 1);
    rest = rest.substr(0, q);
    if (query.substr(0, 3) != "ca=" || query.size() == 3) {
      error = "The only option a broker address takes is ?ca=FILE.";
      return false;
    }
    out.caFile = percentDecoded(query.substr(3));
  }
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  if (const auto at = rest.rfind('@'); at != std::string_view::npos) {
    const std::string_view cred = rest.substr(0, at);
    rest = rest.substr(at + 1);
    const auto colon = cred.find(':');
    out.user = percentDecoded(cred.substr(0, colon));
    if (colon != std::string_view::npos) out.password = percentDecoded(cred.substr(colon + 1));
  }
  std::string_view host = rest;
  out.port = out.tls ? 8883 : 1883;
  if (!host.empty() && host.front() == '[') {  // [::1]:1883
    const auto close = host.find(']');
    if (close == std::string_view::npos) {
      error = "The broker address has an unclosed [.";
      return false;
    }
    rest = host.substr(close + 1);
    host = host.substr(1, close - 1);
  } else {
    const auto colon = host.rfind(':');
    rest = colon == std::string_view::npos ? std::string_view() : host.substr(colon);
    host = host.substr(0, colon);
  }
  if (!rest.empty()) {
    if (rest.front() != ':' || rest.size() < 2 || rest.size() > 6 ||
        rest.substr(1).find_first_not_of("0123456789") != std::string_view::npos) {
      error = "The broker's port must be a number from 1 to 65535.";
      return false;
    }
    out.port = std::stoi(std::string(rest.substr(1)));
    if (out.port < 1 || out.port > 65535) {
      error = "The broker's port must be a number from 1 to 65535.";
      return false;
    }
  }
  if (host.empty() || host.find_first_of(" /") != std::string_view::npos) {
    error = "The broker address names no host.";
    return false;
  }
  out.host = std::string(host);
  return true;
}

MqttLink::MqttLink(Options options) : m_options(std::move(options)) {
  std::call_once(g_libInit, [] { mosquitto_lib_init(); });
}

MqttLink::~MqttLink() {
  stop();
  if (m_mosq) mosquitto_destroy(m_mosq);
}

bool MqttLink::start(std::string& error) {
  if (m_loopRunning) return true;
  if (!m_mosq) {
    const char* id = m_options.clientId.empty() ? nullptr : m_options.clientId.c_str();
    m_mosq = mosquitto_new(id, !m_options.persistentSession, this);
    if (!m_mosq) {
      error = "The MQTT client could not be made.";
      return false;
    }
    mosquitto_connect_callback_set(m_mosq, &MqttLink::onConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MqttLink::onDisconnect);
    mosquitto_publish_callback_set(m_mosq, &MqttLink::onPublish);
    mosquitto_message_callback_set(m_mosq, &MqttLink::onMessage);
    mosquitto_reconnect_delay_set(m_mosq, 1, 30, true);
    mosquitto_max_inflight_messages_set(m_mosq, static_cast<unsigned>(m_options.maxInFlight));
    const BrokerAddress& b = m_options.broker;
    if (!b.user.empty() &&
        mosquitto_username_pw_set(m_mosq, b.user.c_str(), b.password.empty() ? nullptr : b.password.c_str()) !=
            MOSQ_ERR_SUCCESS) {
      error = "The broker user name is not valid.";
      return false;
    }
    if (b.tls) {
      int rc = MOSQ_ERR_SUCCESS;
      if (b.caFile.empty()) {
        mosquitto_int_option(m_mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        rc = mosquitto_tls_set(m_mosq, nullptr, "/etc/ssl/certs", nullptr, nullptr, nullptr);
      } else {
        rc = mosquitto_tls_set(m_mosq, b.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
      }
      if (rc != MOSQ_ERR_SUCCESS) {
        error = std::string("TLS could not be set up: ") + mosquitto_strerror(rc);
        return false;
      }
    }
  }
  {
    std::lock_guard lock(m_mutex);
    m_state = LinkState::Connecting;
    m_events.push_back({LinkEvent::Kind::State, LinkState::Connecting,
                        "connecting to " + m_options.broker.text(), 0, {}, {}});
  }
  // A broker that is not there yet is no error: the network thread keeps trying.
  const int rc = mosquitto_connect_async(m_mosq, m_options.broker.host.c_str(), m_options.broker.port,
                                         m_options.keepAliveSeconds);
  if (rc == MOSQ_ERR_INVAL) {
    error = "The broker address is not valid.";
    return false;
  }
  if (rc != MOSQ_ERR_SUCCESS)
    push({LinkEvent::Kind::State, LinkState::Retrying,
          "cannot reach " + m_options.broker.text() + " (" + mosquitto_strerror(rc) + "), retrying", 0, {}, {}});
  if (mosquitto_loop_start(m_mosq) != MOSQ_ERR_SUCCESS) {
    error = "The MQTT client's network thread could not be started.";
    return false;
  }
  m_loopRunning = true;
  return true;
}

void MqttLink::stop() {
  if (!m_loopRunning) return;
  mosquitto_disconnect(m_mosq);
  mosquitto_loop_stop(m_mosq, false);
  m_loopRunning = false;
  std::lock_guard lock(m_mutex);
  m_state = LinkState::Stopped;
  m_events.push_back({LinkEvent::Kind::State, LinkState::Stopped, "disconnected", 0, {}, {}});
}

bool MqttLink::publish(const std::string& topic, const std::string& payload, std::uint64_t tag) {
  if (!m_loopRunning || state() != LinkState::Connected) return false;
  int mid = 0;
  const int rc = mosquitto_publish(m_mosq, &mid, topic.c_str(), static_cast<int>(payload.size()),
                                   payload.data(), 1, false);
  if (rc != MOSQ_ERR_SUCCESS) return false;
  m_tags[mid] = tag;
  return true;
}

void MqttLink::subscribe(const std::string& filter) {
  bool connected = false;
  {
    std::lock_guard lock(m_mutex);
    m_filters.insert(filter);
    connected = m_state == LinkState::Connected;
  }
  if (connected) mosquitto_subscribe(m_mosq, nullptr, filter.c_str(), 1);
}

std::vector<LinkEvent> MqttLink::poll(std::chrono::milliseconds wait) {
  std::vector<LinkEvent> out;
  std::deque<int> acked;
  {
    std::unique_lock lock(m_mutex);
    if (wait.count() > 0 && m_events.empty() && m_ackedMids.empty())
      m_wake.wait_for(lock, wait, [this] { return !m_events.empty() || !m_ackedMids.empty(); });
    out.assign(std::make_move_iterator(m_events.begin()), std::make_move_iterator(m_events.end()));
    m_events.clear();
    acked.swap(m_ackedMids);
  }
  for (int mid : acked) {
    const auto it = m_tags.find(mid);
    if (it == m_tags.end()) continue;
    LinkEvent e;
    e.kind = LinkEvent::Kind::Acknowledged;
    e.tag = it->second;
    m_tags.erase(it);
    out.push_back(std::move(e));
  }
  return out;
}

LinkState MqttLink::state() const {
  std::lock_guard lock(m_mutex);
  return m_state;
}

void MqttLink::push(LinkEvent e) {
  {
    std::lock_guard lock(m_mutex);
    if (e.kind == LinkEvent::Kind::State) m_state = e.state;
    m_events.push_back(std::move(e));
  }
  m_wake.notify_all();
}

void MqttLink::onConnect(mosquitto* mosq, void* obj, int rc) {
  auto* self = static_cast<MqttLink*>(obj);
  if (rc != 0) {
    self->push({LinkEvent::Kind::State, LinkState::Retrying,
                std::string("the broker refused the connection: ") + mosquitto_connack_string(rc) + ", retrying",
                0, {}, {}});
    return;
  }
  std::set<std::string> filters;
  {
    std::lock_guard lock(self->m_mutex);
    filters = self->m_filters;
  }
  for (const auto& f : filters) mosquitto_subscribe(mosq, nullptr, f.c_str(), 1);
  self->push({LinkEvent::Kind::State, LinkState::Connected, "connected to " + self->m_options.broker.text(), 0, {}, {}});
}

void MqttLink::onDisconnect(mosquitto*, void* obj, int rc) {
  auto* self = static_cast<MqttLink*>(obj);
  if (rc == 0) return;  // our own stop()
  self->push({LinkEvent::Kind::State, LinkState::Retrying,
              "lost the connection to " + self->m_options.broker.text() + " (" + mosquitto_strerror(rc) + "), retrying",
              0, {}, {}});
}

void MqttLink::onPublish(mosquitto*, void* obj, int mid) {
  auto* self = static_cast<MqttLink*>(obj);
  {
    std::lock_guard lock(self->m_mutex);
    self->m_ackedMids.push_back(mid);
  }
  self->m_wake.notify_all();
}

void MqttLink::onMessage(mosquitto*, void* obj, const mosquitto_message* msg) {
  auto* self = static_cast<MqttLink*>(obj);
  LinkEvent e;
  e.kind = LinkEvent::Kind::Message;
  e.topic = msg->topic ? msg->topic : "";
  // A huge payload is copied only in part: whoever reads it refuses it by its size,
  // which the part still shows.
  constexpr std::size_t kCap = 64 * 1024;
  const std::size_t len = msg->payloadlen > 0 ? static_cast<std::size_t>(msg->payloadlen) : 0;
  if (len > 0) e.payload.assign(static_cast<const char*>(msg->payload), std::min(len, kCap + 1));
  self->push(std::move(e));
}

}  // namespace harkola
