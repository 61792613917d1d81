#pragma once
// Shared by the rig tests: the makers' shipped rig tables and a port that records what
// it was asked to do.

#include <string>
#include <vector>

#include "common/PublicDecs.h"
#include "data/DefaultData.h"
#include "rig/RigData.h"
#include "rig/RigPort.h"

namespace harkola::test {

inline RigGrid rigDefaults(int maker) {
  RigGrid g;
  parseRigData(defaultRigData(maker), g);
  return g;
}

// "FE FE 00": the bytes in upper-case hex pairs.
inline std::string hexOf(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += "0123456789ABCDEF"[c >> 4];
    out += "0123456789ABCDEF"[c & 15];
  }
  return out;
}

// Records "open", "write <bytes>", "close" (a close of a closed port is not recorded).
// failOpen makes every open fail; failWriteAt makes the n-th write (1-based) fail and
// close the port, as a vanished device does.
class RecorderPort : public RigPort {
 public:
  std::vector<std::string> events, writes;
  std::vector<PortSettings> opened;
  bool failOpen = false;
  int failWriteAt = 0;

  bool open(const PortSettings& s, PortError& e) override {
    close();
    events.push_back("open");
    opened.push_back(s);
    if (failOpen) e = {2, "No such file or directory"};
    open_ = !failOpen;
    return open_;
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
