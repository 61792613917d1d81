#pragma once
// The serial link to the rig as the rig code sees it: open with settings, write bytes,
// close. Write-only; nothing is ever read back. SerialRigPort is the real one (Qt);
// tests use a recorder.

#include <string>
#include <string_view>

#include "rig/RigCommands.h"

namespace harkola {

// What kind of fault a port error is, for advice that fits it.
enum class PortFault {
  Other,
  NoDevice,      // the device does not exist
  Busy,          // another program has it open (or locked)
  NoPermission,  // the user may not open it (not in the dialout group)
};

struct PortError {
  int number = 0;           // the platform's error number
  std::string description;  // its text
  PortFault kind = PortFault::Other;
};

struct PortSettings {
  std::string portNumber;  // "1".."4" as in the rig file
  LineSettings line;       // valid, checked by the caller
  FlowControl flow = FlowControl::None;
  bool raiseRts = false;   // assert the RTS line after setting the flow control
};

class RigPort {
 public:
  virtual ~RigPort() = default;
  // Opens the port (closing it first if open). On failure the port is closed and
  // `error` says why.
  virtual bool open(const PortSettings& settings, PortError& error) = 0;
  // One write of `bytes`. False when the port failed (device gone, write timed out):
  // the port is then already closed and `error` says why. Writing to a closed port
  // fails too.
  virtual bool write(std::string_view bytes, PortError& error) = 0;
  // Waits, for a bounded time, until written bytes have left, then closes. Closing a
  // closed port does nothing.
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
};

}  // namespace harkola
