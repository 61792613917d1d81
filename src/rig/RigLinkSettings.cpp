#include "rig/RigLinkSettings.h"

namespace harkola {

namespace {
constexpr const char* kSerial = "Serial";
constexpr const char* kRigctld = "rigctld";

bool validDevice(std::string_view path) {
  return !path.empty() && path.front() == '/' && plainSetting(path, 4096);
}
}  // namespace

std::string RigLinkSettings::deviceFor(std::string_view portNumber) const {
  if (portNumber.size() != 1 || portNumber[0] < '1' || portNumber[0] > '4') return {};
  return devices[static_cast<std::size_t>(portNumber[0] - '1')];
}

bool validRigctldHost(std::string_view host) {
  if (host.empty() || host.size() > 253) return false;
  for (char c : host) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                    c == '-' || c == ':';
    if (!ok) return false;
  }
  return true;
}

RigLinkSettings parseRigLinkSettings(std::string_view text) {
  RigLinkSettings s;
  for (const auto& [key, value] : readSettingPairs(text)) {
    if (key.size() == 7 && key.rfind("Device", 0) == 0 && key[6] >= '1' && key[6] <= '4') {
      if (validDevice(value)) s.devices[static_cast<std::size_t>(key[6] - '1')] = value;
    } else if (key == "Link") {
      s.kind = value == kRigctld ? RigLinkKind::Rigctld : RigLinkKind::Serial;
    } else if (key == "Host") {
      if (validRigctldHost(value)) s.host = value;
    } else if (key == "Port") {
      portSetting(value, s.port);
    } else if (key == "SMeter") {
      s.sLevelFromMeter = flagSetting(value);
    }
  }
  return s;
}

std::string formatRigLinkSettings(const RigLinkSettings& s) {
  SettingsWriter out;
  for (int i = 0; i < 4; ++i) out.text("Device" + std::to_string(i + 1), s.devices[static_cast<std::size_t>(i)]);
  return out.text("Link", s.kind == RigLinkKind::Rigctld ? kRigctld : kSerial)
      .text("Host", s.host)
      .text("Port", std::to_string(s.port))
      .flag("SMeter", s.sLevelFromMeter)
      .result();
}

}  // namespace harkola
