#pragma once
// What a user filing a bug report is asked for, gathered in one text: the program and
// Qt versions, the operating system and kernel, the sound devices, the serial ports, the
// clock's synchronisation and the folders the program uses.

#include <string>
#include <vector>

namespace harkola {

struct SystemReport {
  std::string programVersion;  // "5.0.0"
  std::string qtVersion;       // the Qt library the program runs with
  std::string operatingSystem;
  std::string kernel;
  std::string architecture;
  std::vector<std::string> soundInputs;   // descriptions; the default marked by the caller
  std::vector<std::string> soundOutputs;
  std::vector<std::string> serialPorts;   // "/dev/ttyUSB0  FT232R USB UART (FTDI)"
  std::vector<std::string> rigPorts;      // what rig ports 1..4 open: "1 = /dev/ttyUSB0"
  std::string clockSync;                  // the kernel's synchronisation state in words
  std::string dataFolder;
  std::string logFolder;
};

// Plain text, one "Name: value" line per item and an indented line per device; empty
// lists say "none found". Ends with a line end.
std::string systemReportText(const SystemReport& r);

}  // namespace harkola
