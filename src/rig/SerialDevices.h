#pragma once
// Which device a rig port number "1".."4" opens. The rule, for the user's guide too
// (docs/serial-ports.md):
//   1. $HARKOLA_COMn, when set and not empty, is used as given (any device path: a USB
//      adapter by its /dev/serial/by-id name, a pty from socat, ...).
//   2. Otherwise the first of /dev/ttyUSB(n-1), /dev/ttyACM(n-1) that exists.
//   3. Otherwise /dev/ttyS(n-1), the n-th built-in port.
// A port number outside 1..4 gives an empty path (opening then fails with a message).

#include <functional>
#include <string>
#include <string_view>

namespace harkola {

struct DeviceLookup {
  // The value of an environment variable, or an empty string when unset.
  std::function<std::string(const std::string&)> env;
  // Whether a device path exists.
  std::function<bool(const std::string&)> exists;
};

// The real environment and file system.
DeviceLookup systemDeviceLookup();

std::string serialDevicePath(std::string_view portNumber, const DeviceLookup& lookup);
inline std::string serialDevicePath(std::string_view portNumber) {
  return serialDevicePath(portNumber, systemDeviceLookup());
}

}  // namespace harkola
