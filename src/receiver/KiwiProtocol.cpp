#include "receiver/KiwiProtocol.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace harkola::kiwi {

namespace {
constexpr std::size_t kSndHead = 3 + 1 + 4 + 2;  // tag, flags, sequence, S-meter
constexpr std::size_t kGpsHead = 10;
constexpr int kPassbandHz = 5000;

std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Percent-encodes what would break the space-separated message.
std::string encode(std::string_view s) {
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    }
  }
  return out;
}

bool number(std::string_view v, double& out) {
  const std::string s(v.substr(0, 32));
  char* end = nullptr;
  out = std::strtod(s.c_str(), &end);
  return end != s.c_str() && std::isfinite(out);
}
}  // namespace

std::string streamPath(long long unixSeconds) { return "/" + std::to_string(unixSeconds) + "/SND"; }

std::string authMessage(std::string_view password) {
  return "SET auth t=kiwi p=" + (password.empty() ? std::string("#") : encode(password));
}

std::vector<std::string> channelMessages(double centreHz) {
  char tune[96];
  std::snprintf(tune, sizeof tune, "SET mod=iq low_cut=%d high_cut=%d freq=%.3f", -kPassbandHz, kPassbandHz,
                centreHz / 1000.0);
  return {"SET AR OK in=12000 out=44100", "SET squelch=0 max=0", "SET compression=0", tune,
          "SET agc=0 hang=0 thresh=-100 slope=6 decay=1000 manGain=50", kKeepAlive};
}

std::vector<Event> parseMsg(std::string_view body) {
  std::vector<Event> out;
  while (!body.empty()) {
    const std::size_t sp = body.find(' ');
    const std::string_view pair = body.substr(0, sp);
    body = sp == std::string_view::npos ? std::string_view{} : body.substr(sp + 1);
    const std::size_t eq = pair.find('=');
    const std::string_view name = pair.substr(0, eq);
    const std::string_view value = eq == std::string_view::npos ? std::string_view{} : pair.substr(eq + 1);
    double v = 0;
    const bool num = number(value, v);
    using K = Event::Kind;
    if (name == "sample_rate" && num && v >= 1000 && v <= 100000) out.push_back({K::SampleRate, v});
    else if (name == "too_busy") out.push_back({K::TooBusy, num ? v : 0});
    else if (name == "badp") out.push_back({num && v == 0 ? K::PasswordOk : K::BadPassword, v});
    else if (name == "down") out.push_back({K::Down, 0});
    else if (name == "ip_limit") out.push_back({K::TimeLimit, num ? v : 0});
    else if (name == "inactivity_timeout" && num) out.push_back({K::Inactivity, v});
    else if (name == "kiwi_kick" || name == "redirect") out.push_back({K::Kicked, 0});
  }
  return out;
}

bool isRefusal(const Event& e) {
  using K = Event::Kind;
  return e.kind == K::TooBusy || e.kind == K::BadPassword || e.kind == K::Down || e.kind == K::TimeLimit ||
         e.kind == K::Kicked;
}

std::string describe(const Event& e) {
  using K = Event::Kind;
  char buf[160];
  switch (e.kind) {
    case K::SampleRate: std::snprintf(buf, sizeof buf, "KiwiSDR streaming at %.3f samples per second", e.value); return buf;
    case K::TooBusy:
      std::snprintf(buf, sizeof buf, "KiwiSDR too busy: all %.0f channels are in use; trying again later", e.value);
      return buf;
    case K::BadPassword: return "KiwiSDR refused the password";
    case K::PasswordOk: return "KiwiSDR accepted the connection";
    case K::Down: return "KiwiSDR is down for maintenance; trying again later";
    case K::TimeLimit:
      std::snprintf(buf, sizeof buf, "KiwiSDR time limit reached for this address (%.0f minutes a day)", e.value);
      return buf;
    case K::Inactivity:
      std::snprintf(buf, sizeof buf, "KiwiSDR drops idle listeners after %.0f minutes", e.value);
      return buf;
    case K::Kicked: return "KiwiSDR's operator closed the connection";
  }
  return {};
}

bool parseSnd(const std::uint8_t* data, std::size_t size, SndFrame& out) {
  if (size < kSndHead + kGpsHead || std::memcmp(data, "SND", 3) != 0) return false;
  const std::size_t payload = size - kSndHead - kGpsHead;
  if (payload % 4 != 0) return false;
  out.sequence = le32(data + 4);
  const unsigned smeter = (static_cast<unsigned>(data[8]) << 8) | data[9];
  out.rssiDbm = (smeter & 0x0FFF) / 10.0 - 127.0;
  const std::uint8_t* gps = data + kSndHead;
  out.gpsFresh = gps[0] < 255;
  out.gpsSeconds = le32(gps + 2);
  out.gpsNanoseconds = le32(gps + 6);
  const std::uint8_t* p = gps + kGpsHead;
  out.samples.resize(payload / 4);
  for (std::size_t i = 0; i < out.samples.size(); ++i, p += 4) {
    const auto re = static_cast<std::int16_t>((p[0] << 8) | p[1]);
    const auto im = static_cast<std::int16_t>((p[2] << 8) | p[3]);
    out.samples[i] = {re / 32768.0f, im / 32768.0f};
  }
  return true;
}

}  // namespace harkola::kiwi
