#pragma once
// How the program reaches the rig, kept in RigLink.dat beside RigData.dat in the data
// folder (RigData.dat keeps its 22 lines unchanged): the device chosen for each serial
// port 1..4, the kind of link (serial command strings or Hamlib's rigctld), rigctld's
// address, and whether automatic logging takes the S level from the rig's S-meter.
//
// The file is lines of "key","value" in the data files' format. A missing file, a
// missing key or a value that makes no sense gives the default for that setting, so
// data folders from before the file existed load as they always did; unknown keys
// are ignored.

#include <array>
#include <string>
#include <string_view>

#include "data/SettingsFile.h"

namespace harkola {

enum class RigLinkKind { Serial, Rigctld };

struct RigLinkSettings {
  // Device path per port "1".."4" (index 0..3); empty = the usual rule
  // (docs/serial-ports.md).
  std::array<std::string, 4> devices;
  RigLinkKind kind = RigLinkKind::Serial;
  std::string host = "localhost";
  int port = 4532;
  bool sLevelFromMeter = false;

  // The chosen device of a port number "1".."4"; empty when none is chosen.
  std::string deviceFor(std::string_view portNumber) const;
  bool operator==(const RigLinkSettings&) const = default;
};

RigLinkSettings parseRigLinkSettings(std::string_view text);
std::string formatRigLinkSettings(const RigLinkSettings& s);
inline constexpr SettingsFile<RigLinkSettings> kRigLinkFile{"RigLink.dat", parseRigLinkSettings, formatRigLinkSettings};

// A typed rigctld host: letters, digits, '.', '-', ':' (IPv6) only, 1..253 characters.
bool validRigctldHost(std::string_view host);

}  // namespace harkola
