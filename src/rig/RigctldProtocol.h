#pragma once
// Talking to Hamlib's rigctld over its text protocol, without the socket.
//
// Every command goes out in the extended response form (a leading '+'), so each reply
// is framed: an echo line ("get_freq:"), zero or more "Key: value" or bare value lines,
// and a closing "RPRT n" line (0 = done, negative = Hamlib's error number).
//
// Only the commands built here can be sent, and they read or set frequency and mode, or
// read the S-meter: nothing here can key the transmitter (no T, no PTT, no morse, no
// raw commands). Values that come from the rig and are sent back later (the mode to
// restore) are checked to be one word, so a reply cannot smuggle a second command.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace harkola {

// One command line, newline included. Only the factories below make them.
class RigctldCommand {
 public:
  static RigctldCommand getFrequency();                       // "+f"
  static RigctldCommand getMode();                            // "+m"
  static RigctldCommand getStrength();                        // "+l STRENGTH"
  // Nullopt for a frequency outside 1 Hz .. 100 GHz.
  static std::optional<RigctldCommand> setFrequency(std::int64_t hz);
  // Nullopt unless `mode` is one upper-case word of letters and digits (Hamlib's mode
  // names: CW, USB, PKTUSB ...) and passband >= -1 (0 = the rig's normal width,
  // -1 = leave it).
  static std::optional<RigctldCommand> setMode(std::string_view mode, std::int64_t passbandHz);

  const std::string& line() const { return line_; }
  // The command as a user reads it in a message: "set_freq 14100000".
  const std::string& description() const { return description_; }

 private:
  RigctldCommand(std::string line, std::string description)
      : line_(std::move(line)), description_(std::move(description)) {}
  std::string line_;
  std::string description_;
};

struct RigctldReply {
  std::vector<std::string> lines;  // between the echo and the RPRT line, as sent
  int code = 0;                    // the RPRT number

  // The value of the first "key: value" line with this key; nullopt when there is none.
  std::optional<std::string> value(std::string_view key) const;
};

// Collects the bytes of the connection and cuts them into replies. Tolerates CR LF,
// replies split over many reads and several replies in one read. A reply that grows
// past `maxBytes` without its RPRT line is a protocol fault (overflowed() turns true
// and the buffer is dropped), so a server that talks without end cannot fill memory.
class RigctldReplyReader {
 public:
  explicit RigctldReplyReader(std::size_t maxBytes = 16384) : maxBytes_(maxBytes) {}
  void feed(std::string_view bytes);
  // The oldest complete reply, removed from the reader.
  std::optional<RigctldReply> take();
  bool overflowed() const { return overflowed_; }
  void clear();

 private:
  std::string partial_;
  std::vector<std::string> lines_;
  std::vector<RigctldReply> done_;
  std::size_t maxBytes_;
  std::size_t pendingBytes_ = 0;
  bool overflowed_ = false;
};

struct RigMode {
  std::string name;          // "CW", "USB" ...
  std::int64_t passbandHz = 0;
};

// The values of the read replies; nullopt when the reply does not hold one.
std::optional<std::int64_t> frequencyOf(const RigctldReply& r);  // "Frequency: 14100000"
std::optional<RigMode> modeOf(const RigctldReply& r);             // "Mode: CW", "Passband: 500"
std::optional<int> strengthOf(const RigctldReply& r);             // dB relative to S9

// S level 1..9 from the S-meter in dB relative to S9, 6 dB per S unit, rounded to the
// nearest unit: 0 dB and above is S9, -6 dB S8, -48 dB and below S1.
int sLevelFromStrength(int dbOverS9);

// Hamlib's meaning of an RPRT number (its sign ignored): "Invalid parameter",
// "Command rejected by the rig" ...; "error N" for a number Hamlib does not define.
std::string rprtMeaning(int code);
// The message for a failed command: "rigctld could not do set_freq 14100000:
// Invalid parameter (RPRT -1)".
std::string rprtMessage(const RigctldCommand& c, int code);

}  // namespace harkola
