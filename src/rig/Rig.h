#pragma once
// The rig as the rest of the program sees it: a session is started on a band, the band
// is changed while it runs, and the session is finished. Every call returns its outcome
// as a value; nothing is left in shared flags to be read afterwards.
//
// Implementations: SerialCommandRig (the rig file's command strings written to a serial
// port) and, beside it, links to other rig servers. A link never keys the transmitter:
// it sends frequency, mode and level commands only.
//
// Calls are made on the user-interface thread and return within a bounded time (a link
// that waits for a reply gives up after a few seconds and reports it).

#include <string>

namespace harkola {

struct RigResult {
  bool ok = true;
  // When !ok: what went wrong, in words for the user. Empty when the implementation
  // has already told the user itself (the serial link shows its own port messages).
  std::string message;

  static RigResult success() { return {}; }
  static RigResult failure(std::string why) { return RigResult{false, std::move(why)}; }
  explicit operator bool() const { return ok; }
};

class Rig {
 public:
  virtual ~Rig() = default;
  // Prepares the rig for listening and tunes it to `band` (0..4 = 14..28 MHz).
  virtual RigResult startSession(int band) = 0;
  // Tunes to `band` while a session runs.
  virtual RigResult changeBand(int band) = 0;
  // Puts the rig back as the session found it (as far as the link can) and ends the
  // session. Called once per started session, also after a failed change of band.
  virtual RigResult finishSession() = 0;
};

}  // namespace harkola
