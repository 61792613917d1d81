#include "network/NetworkSettings.h"

#include "network/SlotMessage.h"

namespace harkola {

namespace {
bool keepable(std::string_view v) { return plainSetting(v, 1024); }
}  // namespace

NetworkSettings parseNetworkSettings(std::string_view text) {
  NetworkSettings s;
  for (const auto& [key, value] : readSettingPairs(text)) {
    if (!keepable(value)) continue;
    if (key == "Publish") s.publish = flagSetting(value);
    else if (key == "ShowNetwork") s.showNetwork = flagSetting(value);
    else if (key == "Broker") s.broker = value;
    else if (key == "User") s.user = value;
    else if (key == "Password") s.password = value;
    else if (key == "Station") s.station = value;
    else if (key == "Locator") s.locator = value;
    else if (key == "FullLocator") s.fullLocator = flagSetting(value);
    else if (key == "History") s.history = value;
  }
  return s;
}

std::string formatNetworkSettings(const NetworkSettings& s) {
  return SettingsWriter()
      .flag("Publish", s.publish)
      .flag("ShowNetwork", s.showNetwork)
      .text("Broker", s.broker)
      .text("User", s.user)
      .text("Password", s.password)
      .text("Station", s.station)
      .text("Locator", s.locator)
      .flag("FullLocator", s.fullLocator)
      .text("History", s.history)
      .result();
}

std::string networkSettingsProblem(const NetworkSettings& s) {
  for (const std::string* v : {&s.broker, &s.user, &s.password, &s.station, &s.locator, &s.history})
    if (!keepable(*v)) return "The settings may not hold a double quote or a control character.";
  if (!s.linkWanted()) return {};
  BrokerAddress b;
  std::string error;
  if (s.broker.empty()) return "Give the broker's address (mqtt://host or mqtts://host).";
  if (!brokerOf(s, b, error)) return error;
  if (s.publish) {
    if (normalisedStation(s.station).empty()) return "Give the station's callsign: 3 to 16 letters, digits, / or -.";
    const std::string loc = networkLocator(s.locator, s.fullLocator);
    if (loc.empty() || (s.fullLocator && loc.size() != 6))
      return s.fullLocator ? "Give a 6-character locator (such as KP20lb), or send 4 characters."
                           : "Give the station's locator (such as KP20 or KP20lb).";
  }
  return {};
}

bool brokerOf(const NetworkSettings& s, BrokerAddress& out, std::string& error) {
  if (!parseBrokerUrl(s.broker, out, error)) return false;
  if (!s.user.empty()) {
    out.user = s.user;
    out.password = s.password;
  }
  return true;
}

StationIdentity identityOf(const NetworkSettings& s, std::string detector, std::string version) {
  return StationIdentity{normalisedStation(s.station), networkLocator(s.locator, s.fullLocator), std::move(detector),
                         std::move(version)};
}

}  // namespace harkola
