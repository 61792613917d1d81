#pragma once
// analyse --publish: the replayed slots go to the network as a station's would, through
// the spool, and the command waits until the broker has acknowledged them.

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "cli/CliSupport.h"
#include "clock/ClockCheck.h"
#include "clock/SlotMeasurement.h"

namespace harkola {
class MqttLink;
class Publisher;
class Spool;
}

namespace harkola::cli {

// The options it adds to analyse.
inline const std::set<std::string> kPublishValueOptions{"--publish", "--station", "--locator", "--spool",
                                                        "--publish-wait"};
inline const std::set<std::string> kPublishFlags{"--full-locator"};
inline constexpr const char* kPublishUsage =
    "[--publish mqtt[s]://[USER[:PASSWORD]@]HOST[:PORT] --station CALL --locator LOC [--full-locator] "
    "[--spool FILE] [--publish-wait SECONDS]]";

class ReplayPublisher {
 public:
  ReplayPublisher();
  ~ReplayPublisher();
  // Reads the options; false (message written) when they are wrong. Without --publish
  // it reads nothing and stays off.
  bool readOptions(const ParsedArgs& p, bool sensitive, std::ostream& err);
  bool enabled() const { return !m_url.empty(); }
  // Opens the spool and starts the link; false (message written) when it cannot.
  bool start(std::ostream& err);
  // One replayed slot, with the clock check as it stands after it.
  void add(const SlotMeasurement& m, const ClockCheck& check);
  // Waits for the broker's acknowledgements; 0 when all arrived, 1 when some wait in
  // the spool (the message says how many).
  int finish(std::ostream& err);

 private:
  std::string m_url, m_station, m_locator, m_spoolPath;
  int m_waitSeconds = 60;
  std::unique_ptr<Spool> m_spool;
  std::unique_ptr<MqttLink> m_link;
  std::unique_ptr<Publisher> m_publisher;
  long m_added = 0;
};

}  // namespace harkola::cli
