#pragma once
// Shared by the rig tests: the three makers' built-in rig files (as the user guide's
// tables give them) and a port that records what it was asked to do.

#include <filesystem>
#include <string>
#include <vector>

#include "app/Notice.h"
#include "app/PublicDecs.h"
#include "rig/RigData.h"
#include "rig/RigPort.h"

namespace harkola::test {

inline RigGrid rigDefaults(int maker) {
  const bool k = maker == kRigKenwood, i = maker == kRigIcom;
  auto pick = [&](const char* ken, const char* icom, const char* yae) { return k ? ken : i ? icom : yae; };
  RigGrid g{{
      {"Com", pick("1", "1", "2")},
      {"Baud", pick("9600", "1200", "4800")},
      {"Parity", "None"},
      {"Data", "8"},
      {"Stop", pick("1", "1", "2")},
      {"H'shake", pick("RTS", "None", "None")},
      {"", pick("Kenwood", "Icom", "Yaesu")},
      {"CW mode", pick("MD3;", "FEFE00E00103FD", "000000020C")},
      {pick("Filter width", "", "Filter width"), pick("FW0500;", "", "010000028C")},
      {pick("Tx Inhibit", "", ""), pick("EX0380001;", "", "")},
      {"", ""},
      {pick("SSB", "LSB", "SSB"), pick("MD1;", "FEFE00E00100FD", "000000000C")},
      {pick("Filter width", "", "Filter width"), pick("FW0001;", "", "010000008C")},
      {pick("Allow Tx", "", ""), pick("EX0380000;", "", "")},
      {"", ""},
      {"14.110", pick("FA00014110000;", "FEFE00E0000000101400FD", "000041010A")},
      {"18.110", pick("FA00018110000;", "FEFE00E0000000111800FD", "001081010A")},
      {"21.150", pick("FA00021150000;", "FEFE00E0000000152100FD", "005011020A")},
      {"24.930", pick("FA00024930000;", "FEFE00E0000000932400FD", "003049020A")},
      {"28.200", pick("FA00028200000;", "FEFE00E0000000202800FD", "000082020A")},
      {"End freq.", pick("FA00007050000;", "FEFE00E0000000050700FD", "005070000A")},
      {"", "False"},
  }};
  return g;
}

// Writes a maker's defaults the way the program's default writer does.
inline Notice writeTestRigDefaults(const std::filesystem::path& folder, int maker) {
  PublicDecs d;
  d.DataFolder = folder.string();
  d.RigTable = rigDefaults(maker);
  if (!SaveRigData(d)) return {"could not write", kAppTitle, NoticeIcon::Critical, NoticeButtons::Ok};
  return {"Default rig control data written to file", kAppTitle, NoticeIcon::None, NoticeButtons::OkCancel};
}

inline std::string hexOf(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// Records "open", "write <bytes>", "close" (a close of a closed port is not recorded).
// failOpen makes every open fail; failWriteAt makes the n-th write (1-based) fail and
// close the port, as a vanished device does.
class RecorderPort : public RigPort {
 public:
  std::vector<std::string> events;
  std::vector<std::string> writes;
  std::vector<PortSettings> opened;
  bool failOpen = false;
  int failWriteAt = 0;

  bool open(const PortSettings& s, PortError& e) override {
    close();
    events.push_back("open");
    opened.push_back(s);
    if (failOpen) {
      e = {2, "No such file or directory"};
      return false;
    }
    open_ = true;
    return true;
  }
  bool write(std::string_view bytes, PortError& e) override {
    if (!open_ || static_cast<int>(writes.size()) + 1 == failWriteAt) {
      open_ = false;
      e = {9, "Input/output error"};
      events.push_back("write failed");
      return false;
    }
    writes.emplace_back(bytes);
    events.push_back("write " + std::string(bytes));
    return true;
  }
  void close() override {
    if (open_) events.push_back("close");
    open_ = false;
  }
  bool isOpen() const override { return open_; }

 private:
  bool open_ = false;
};

}  // namespace harkola::test
