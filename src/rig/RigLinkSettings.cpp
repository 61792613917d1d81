#include "rig/RigLinkSettings.h"

#include "data/DataFile.h"

namespace harkola {

namespace {
constexpr const char* kFileName = "RigLink.dat";
constexpr const char* kSerial = "Serial";
constexpr const char* kRigctld = "rigctld";

bool validDevice(std::string_view path) {
  if (path.empty() || path.size() > 4096 || path.front() != '/') return false;
  for (char c : path)
    if (static_cast<unsigned char>(c) < 0x20 || c == '"') return false;
  return true;
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
  const std::vector<std::string> f = readFields(text);
  for (std::size_t i = 0; i + 1 < f.size(); i += 2) {
    const std::string& key = f[i];
    const std::string& value = f[i + 1];
    if (key.size() == 7 && key.rfind("Device", 0) == 0 && key[6] >= '1' && key[6] <= '4') {
      if (validDevice(value)) s.devices[static_cast<std::size_t>(key[6] - '1')] = value;
    } else if (key == "Link") {
      s.kind = value == kRigctld ? RigLinkKind::Rigctld : RigLinkKind::Serial;
    } else if (key == "Host") {
      if (validRigctldHost(value)) s.host = value;
    } else if (key == "Port") {
      double p = 0;
      if (parseNumber(value, p) && p >= 1 && p <= 65535 && p == static_cast<int>(p)) s.port = static_cast<int>(p);
    } else if (key == "SMeter") {
      s.sLevelFromMeter = value == "True";
    }
  }
  return s;
}

std::string formatRigLinkSettings(const RigLinkSettings& s) {
  std::string out;
  for (int i = 0; i < 4; ++i)
    out += formatRecord({"Device" + std::to_string(i + 1), s.devices[static_cast<std::size_t>(i)]});
  out += formatRecord({"Link", s.kind == RigLinkKind::Rigctld ? kRigctld : kSerial});
  out += formatRecord({"Host", s.host});
  out += formatRecord({"Port", std::to_string(s.port)});
  out += formatRecord({"SMeter", s.sLevelFromMeter ? "True" : "False"});
  return out;
}

std::filesystem::path rigLinkPath(const std::filesystem::path& dataFolder) { return dataFolder / kFileName; }

RigLinkSettings loadRigLinkSettings(const std::filesystem::path& dataFolder) {
  std::string text;
  if (!readWholeFile(rigLinkPath(dataFolder), text)) return {};
  return parseRigLinkSettings(text);
}

bool saveRigLinkSettings(const std::filesystem::path& dataFolder, const RigLinkSettings& s) {
  return writeWholeFile(rigLinkPath(dataFolder), formatRigLinkSettings(s));
}

}  // namespace harkola
