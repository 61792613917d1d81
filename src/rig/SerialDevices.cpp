#include "rig/SerialDevices.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace harkola {

DeviceLookup systemDeviceLookup() {
  DeviceLookup l;
  l.env = [](const std::string& name) {
    const char* v = std::getenv(name.c_str());
    return std::string(v ? v : "");
  };
  l.exists = [](const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
  };
  return l;
}

std::string serialDevicePath(std::string_view portNumber, const DeviceLookup& lookup) {
  if (portNumber.size() != 1 || portNumber[0] < '1' || portNumber[0] > '4') return {};
  const std::string n(portNumber);
  const std::string overridePath = lookup.env("HARKOLA_COM" + n);
  if (!overridePath.empty()) return overridePath;
  const std::string index = std::to_string(portNumber[0] - '1');
  for (const char* prefix : {"/dev/ttyUSB", "/dev/ttyACM"}) {
    const std::string path = prefix + index;
    if (lookup.exists(path)) return path;
  }
  return "/dev/ttyS" + index;
}

}  // namespace harkola
