#pragma once
// How the station takes part in the network, kept in Network.dat in the data folder
// beside the other data files (which stay as they are): whether it publishes its slot
// results and whether it shows other stations', the broker and the login, the station's
// callsign and locator, and optionally a collector's store to read the last day from.
//
// The file is lines of "key","value" in the data files' format. A missing file, key or
// value gives the default, which is: nothing shared, nothing shown. It holds the
// broker password, so it is written readable by its owner only.

#include <string>
#include <string_view>

#include "data/SettingsFile.h"
#include "network/SlotReport.h"
#include "network/StationLink.h"

namespace harkola {

struct NetworkSettings {
  bool publish = false;       // every slot-log record goes to the broker
  bool showNetwork = false;   // other stations' results come in for the propagation window
  std::string broker;         // mqtt://host[:port] or mqtts://host[:port][?ca=FILE]
  std::string user;           // empty: anonymous (or what the URL says)
  std::string password;
  std::string station;        // the station's callsign
  std::string locator;        // as typed, 4 or 6 characters
  bool fullLocator = false;   // send all 6 characters (else the first 4)
  std::string history;        // a collector's store (SQLite file or postgresql://...), empty: none

  bool linkWanted() const { return publish || showNetwork; }
  bool operator==(const NetworkSettings&) const = default;
};

NetworkSettings parseNetworkSettings(std::string_view text);
std::string formatNetworkSettings(const NetworkSettings& s);
inline constexpr SettingsFile<NetworkSettings> kNetworkSettingsFile{"Network.dat", parseNetworkSettings,
                                                                    formatNetworkSettings, true};

// What keeps the settings from working, in a sentence for the user; empty when they do.
// Publishing needs a callsign and a locator; either use needs a broker URL. A double
// quote or a control character cannot be kept in the file.
std::string networkSettingsProblem(const NetworkSettings& s);
// The broker to connect to: the URL, with the user and password fields in place of
// any the URL carries. False with `error` for a URL that cannot work.
bool brokerOf(const NetworkSettings& s, BrokerAddress& out, std::string& error);
// Who the station tells the network it is.
StationIdentity identityOf(const NetworkSettings& s, std::string detector, std::string version);

}  // namespace harkola
