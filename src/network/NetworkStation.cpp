#include "network/NetworkStation.h"

#include "network/MqttLink.h"
#include "network/SlotStore.h"

namespace harkola {

NetworkStation::NetworkStation(LinkFactory makeLink) : m_makeLink(std::move(makeLink)) {
  if (!m_makeLink)
    m_makeLink = [](const BrokerAddress& b) {
      MqttLink::Options o;
      o.broker = b;
      return std::unique_ptr<StationLink>(std::make_unique<MqttLink>(o));
    };
}

NetworkStation::~NetworkStation() { stop(); }

bool NetworkStation::start(const NetworkSettings& s, const std::filesystem::path& logFolder, const std::string& version,
                           std::string& error) {
  stop();
  m_settings = s;
  if (!s.linkWanted()) return true;
  error = networkSettingsProblem(s);
  if (!error.empty()) return false;
  BrokerAddress broker;
  brokerOf(s, broker, error);
  m_identity = identityOf(s, "sensitive", version);
  m_spool = std::make_unique<Spool>();
  std::error_code ec;
  std::filesystem::create_directories(logFolder, ec);
  if (!m_spool->open(logFolder / kSpoolFileName)) {
    error = m_spool->error();
    m_spool.reset();
    return false;
  }
  m_link = m_makeLink(broker);
  if (!m_link->start(error)) {
    m_link.reset();
    m_spool.reset();
    return false;
  }
  m_publisher = std::make_unique<Publisher>(*m_spool, *m_link);
  if (s.showNetwork) {
    m_publisher->onMessage = [this](const std::string& topic, const std::string& payload) {
      take(topic, payload, m_pollUtc);
    };
    m_link->subscribe(std::string(kSlotTopicFilter));
  }
  m_notices.add(m_spool->takeNotices());
  const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::system_clock::now().time_since_epoch()).count();
  m_pollUtc = now;
  if (s.showNetwork && !s.history.empty()) startHistory(now);
  return true;
}

void NetworkStation::stop() {
  joinHistory();
  if (m_link) m_link->stop();
  m_publisher.reset();
  m_link.reset();
  m_spool.reset();
}

void NetworkStation::add(const SlotMeasurement& m, const ClockCheck& check) {
  if (!m_publisher || !m_settings.publish) return;
  m_publisher->add(reportOf(m, m_identity, check.pcClockAheadMs()));
}

void NetworkStation::take(const std::string& topic, const std::string& payload, std::int64_t nowUtc) {
  ++m_received;
  const DecodeResult d = decodeSlotMessage(topic, payload, nowUtc);
  if (!d.ok()) {
    ++m_refused[static_cast<std::size_t>(d.refusal)];
    return;
  }
  if (m_picture.add(d.report)) m_changed = true;
}

bool NetworkStation::poll(std::int64_t nowUtc) {
  if (m_publisher) {
    m_pollUtc = nowUtc;
    m_publisher->poll(nowUtc);
    m_notices.add(m_publisher->takeNotices());
  }
  if (m_history.joinable() && m_historyDone) {
    m_history.join();
    std::lock_guard lock(m_historyMutex);
    std::size_t added = 0;
    for (const SlotReport& r : m_historyReports) added += m_picture.add(r);
    m_changed = m_changed || added > 0;
    m_historyText = m_historyError.empty()
                        ? "History: " + std::to_string(m_historyReports.size()) + " reports from the store"
                        : "History: " + m_historyError;
    m_historyReports.clear();
    m_historyReports.shrink_to_fit();
  }
  if (nowUtc / 60 != m_pruneMinute) {
    m_pruneMinute = nowUtc / 60;
    const std::size_t before = m_picture.size();
    m_picture.prune(nowUtc);
    m_changed = m_changed || m_picture.size() != before;
  }
  const bool changed = m_changed;
  m_changed = false;
  return changed;
}

void NetworkStation::startHistory(std::int64_t nowUtc) {
  m_historyDone = false;
  m_historyCancel = false;
  m_historyText = "History: reading the store";
  m_history = std::thread([this, where = m_settings.history, nowUtc] {
    std::string error;
    std::vector<SlotReport> reports;
    if (auto store = openSlotStore(where, error)) {
      if (!store->read(nowUtc - NetworkPicture::kKeepSeconds, nowUtc + kFutureSlackSeconds,
                       [&](const SlotReport& r) {
                         reports.push_back(r);
                         return !m_historyCancel.load();
                       }))
        error = store->error();
    }
    std::lock_guard lock(m_historyMutex);
    m_historyReports = std::move(reports);
    m_historyError = error;
    m_historyDone = true;
  });
}

void NetworkStation::joinHistory() {
  if (!m_history.joinable()) return;
  m_historyCancel = true;
  m_history.join();
}

LinkState NetworkStation::state() const { return m_publisher ? m_publisher->state() : LinkState::Stopped; }

std::uint64_t NetworkStation::refusedTotal() const {
  std::uint64_t n = 0;
  for (const auto c : m_refused) n += c;
  return n;
}

std::string NetworkStation::statusLine() const {
  if (!m_publisher) return "Network: off";
  // Before the link's first word it is on its way.
  const LinkState st = state() == LinkState::Stopped ? LinkState::Connecting : state();
  std::string t = "Network: " + std::string(linkStateText(st));
  if (m_settings.publish) t += ", " + std::to_string(waiting()) + " waiting";
  if (const auto r = refusedTotal()) t += ", " + std::to_string(r) + " refused";
  return t;
}

}  // namespace harkola
