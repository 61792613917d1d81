#include "cli/ReplayPublish.h"

#include <chrono>

#include "common/Folders.h"
#include "network/MqttLink.h"
#include "network/Publisher.h"
#include "network/Spool.h"

namespace harkola::cli {

namespace {
std::int64_t nowUtc() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}
}  // namespace

ReplayPublisher::ReplayPublisher() = default;
ReplayPublisher::~ReplayPublisher() {
  if (m_link) m_link->stop();
}

bool ReplayPublisher::readOptions(const ParsedArgs& p, bool sensitive, std::ostream& err) {
  const auto url = p.value("--publish");
  if (!url) {
    for (const auto& name : kPublishValueOptions)
      if (p.has(name)) {
        err << name << " needs --publish.\n";
        return false;
      }
    return true;
  }
  if (!sensitive) {
    err << "--publish needs --detector sensitive (the network shares slot-log records).\n";
    return false;
  }
  BrokerAddress b;
  std::string error;
  if (!parseBrokerUrl(*url, b, error)) {
    err << error << '\n';
    return false;
  }
  m_url = *url;
  m_station = normalisedStation(p.value("--station").value_or(""));
  if (m_station.empty()) {
    err << "--publish needs --station CALL: 3 to 16 letters, digits, / or -.\n";
    return false;
  }
  m_locator = networkLocator(p.value("--locator").value_or(""), p.has("--full-locator"));
  if (m_locator.empty() || (p.has("--full-locator") && m_locator.size() != 6)) {
    err << "--publish needs --locator: a 4-character locator (6 characters with --full-locator).\n";
    return false;
  }
  if (const auto w = p.value("--publish-wait"); w && !parseIntOption(*w, 0, 86400, m_waitSeconds)) {
    err << "--publish-wait must be a whole number of seconds from 0 to 86400.\n";
    return false;
  }
  m_spoolPath = p.value("--spool").value_or((std::filesystem::path(defaultLogFolder()) / kSpoolFileName).string());
  return true;
}

bool ReplayPublisher::start(std::ostream& err) {
  if (!enabled()) return true;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(m_spoolPath).parent_path(), ec);
  m_spool = std::make_unique<Spool>();
  if (!m_spool->open(m_spoolPath)) {
    err << m_spool->error() << '\n';
    return false;
  }
  for (const auto& n : m_spool->takeNotices()) err << n << '\n';
  if (m_spool->waiting() > 0) err << m_spool->waiting() << " report(s) of an earlier run wait in the spool; they go first.\n";
  MqttLink::Options o;
  std::string error;
  parseBrokerUrl(m_url, o.broker, error);
  m_link = std::make_unique<MqttLink>(o);
  if (!m_link->start(error)) {
    err << error << '\n';
    return false;
  }
  m_publisher = std::make_unique<Publisher>(*m_spool, *m_link);
  return true;
}

void ReplayPublisher::add(const SlotMeasurement& m, const ClockCheck& check) {
  if (!m_publisher) return;
  StationIdentity who{m_station, m_locator, "sensitive", HARKOLA_VERSION};
  if (m_publisher->add(reportOf(m, who, check.pcClockAheadMs()))) ++m_added;
  m_publisher->poll(nowUtc());
}

int ReplayPublisher::finish(std::ostream& err) {
  if (!m_publisher) return 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(m_waitSeconds);
  std::string lastState;
  do {
    m_publisher->poll(nowUtc(), std::chrono::milliseconds(100));
    for (const auto& n : m_publisher->takeNotices()) err << n << '\n';
  } while (m_publisher->waiting() > 0 && std::chrono::steady_clock::now() < until);
  m_link->stop();
  if (m_publisher->waiting() == 0) {
    err << "Published " << m_added << " report(s); the broker acknowledged " << m_publisher->acknowledged() << ".\n";
    return 0;
  }
  err << m_publisher->waiting() << " report(s) wait in the spool " << m_spoolPath << " (" << m_publisher->stateText()
      << "); the next run that publishes sends them.\n";
  return 1;
}

}  // namespace harkola::cli
