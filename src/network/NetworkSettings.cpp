#include "network/NetworkSettings.h"

#include <sys/stat.h>

#include "data/DataFile.h"
#include "network/SlotMessage.h"

namespace harkola {

namespace {
constexpr const char* kFileName = "Network.dat";

bool keepable(std::string_view v) {
  for (const char c : v)
    if (c == '"' || static_cast<unsigned char>(c) < 0x20) return false;
  return v.size() <= 1024;
}
}  // namespace

NetworkSettings parseNetworkSettings(std::string_view text) {
  NetworkSettings s;
  const std::vector<std::string> f = readFields(text);
  for (std::size_t i = 0; i + 1 < f.size(); i += 2) {
    const std::string& key = f[i];
    const std::string& value = f[i + 1];
    if (!keepable(value)) continue;
    if (key == "Publish") s.publish = value == "True";
    else if (key == "ShowNetwork") s.showNetwork = value == "True";
    else if (key == "Broker") s.broker = value;
    else if (key == "User") s.user = value;
    else if (key == "Password") s.password = value;
    else if (key == "Station") s.station = value;
    else if (key == "Locator") s.locator = value;
    else if (key == "FullLocator") s.fullLocator = value == "True";
    else if (key == "History") s.history = value;
  }
  return s;
}

std::string formatNetworkSettings(const NetworkSettings& s) {
  auto flag = [](bool b) { return std::string(b ? "True" : "False"); };
  return formatRecord({"Publish", flag(s.publish)}) + formatRecord({"ShowNetwork", flag(s.showNetwork)}) +
         formatRecord({"Broker", s.broker}) + formatRecord({"User", s.user}) +
         formatRecord({"Password", s.password}) + formatRecord({"Station", s.station}) +
         formatRecord({"Locator", s.locator}) + formatRecord({"FullLocator", flag(s.fullLocator)}) +
         formatRecord({"History", s.history});
}

std::filesystem::path networkSettingsPath(const std::filesystem::path& dataFolder) { return dataFolder / kFileName; }

NetworkSettings loadNetworkSettings(const std::filesystem::path& dataFolder) {
  std::string text;
  if (!readWholeFile(networkSettingsPath(dataFolder), text)) return {};
  return parseNetworkSettings(text);
}

bool saveNetworkSettings(const std::filesystem::path& dataFolder, const NetworkSettings& s) {
  const auto path = networkSettingsPath(dataFolder);
  // Owner only from the start: the password is never readable by others, not even
  // for a moment.
  const mode_t old = ::umask(077);
  const bool ok = writeWholeFile(path, formatNetworkSettings(s));
  ::umask(old);
  return ok && ::chmod(path.c_str(), 0600) == 0;
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
