#pragma once
// The KiwiSDR's WebSocket protocol for one receiver channel in I/Q mode, as its
// published clients speak it. The client opens ws://HOST:PORT/<unix time>/SND, sends
// "SET auth t=kiwi p=PASSWORD"; the server answers with "MSG" messages of name=value
// pairs (sample_rate, too_busy, badp, down, ...); once it names its sample rate the
// client sets the channel (I/Q, passband, frequency in kHz) and the server streams "SND"
// frames: flags, sequence, S-meter, a GPS time stamp, then big-endian 16-bit I/Q.
// The client sends "SET keepalive" every few seconds or the server drops it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "receiver/IqSource.h"

namespace harkola::kiwi {

inline constexpr int kDefaultPort = 8073;
inline constexpr double kNominalRate = 12000.0;
inline constexpr double kKeepAliveSeconds = 5.0;

std::string streamPath(long long unixSeconds);
std::string authMessage(std::string_view password);
// The channel set-up after the server's sample rate: I/Q centred on `centreHz`.
std::vector<std::string> channelMessages(double centreHz);
inline constexpr const char* kKeepAlive = "SET keepalive";

// What a MSG says that the client acts on.
struct Event {
  enum class Kind { SampleRate, TooBusy, BadPassword, PasswordOk, Down, TimeLimit, Inactivity, Kicked };
  Kind kind;
  double value = 0.0;
};
std::vector<Event> parseMsg(std::string_view body);
// True for events after which the connection cannot go on.
bool isRefusal(const Event& e);
// The event in words for the user ("KiwiSDR too busy: all 4 channels in use").
std::string describe(const Event& e);

struct SndFrame {
  std::uint32_t sequence = 0;
  double rssiDbm = 0.0;
  bool gpsFresh = false;  // the stamp comes from a recent GPS solution
  std::uint32_t gpsSeconds = 0, gpsNanoseconds = 0;
  std::vector<IqSample> samples;  // full scale 1
};
// An "SND" frame of I/Q mode (tag included). False for anything else or when damaged.
bool parseSnd(const std::uint8_t* data, std::size_t size, SndFrame& out);

}  // namespace harkola::kiwi
