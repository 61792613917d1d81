#include "app/SystemReport.h"

namespace harkola {

namespace {

void list(std::string& out, const char* heading, const std::vector<std::string>& items) {
  out += heading;
  out += items.empty() ? " none found\n" : "\n";
  for (const auto& i : items) out += "  " + i + "\n";
}

}  // namespace

std::string systemReportText(const SystemReport& r) {
  std::string out;
  out += "Harkola version: " + r.programVersion + "\n";
  out += "Qt version: " + r.qtVersion + "\n";
  out += "Operating system: " + r.operatingSystem + "\n";
  out += "Kernel: " + r.kernel + " (" + r.architecture + ")\n";
  list(out, "Sound inputs:", r.soundInputs);
  list(out, "Sound outputs:", r.soundOutputs);
  list(out, "Serial ports:", r.serialPorts);
  list(out, "Rig ports:", r.rigPorts);
  out += "Clock: " + r.clockSync + "\n";
  out += "Data folder: " + r.dataFolder + "\n";
  out += "Log folder: " + r.logFolder + "\n";
  return out;
}

}  // namespace harkola
