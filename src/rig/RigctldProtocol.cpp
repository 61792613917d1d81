#include "rig/RigctldProtocol.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "common/TextFields.h"

namespace harkola {

namespace {

template <typename T>
std::optional<T> wholeNumber(std::string_view s) {
  s = trimField(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  T v{};
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

// "RPRT -1" -> -1; nullopt for any other line.
std::optional<int> rprtCode(std::string_view line) {
  line = trimField(line);
  if (line.substr(0, 5) != "RPRT ") return std::nullopt;
  return wholeNumber<int>(line.substr(5));
}

// The echo of a command: its long name in lower case and a colon ("get_level: STRENGTH").
bool isEcho(std::string_view line) {
  const auto colon = line.find(':');
  if (colon == 0 || colon == std::string_view::npos) return false;
  for (char c : line.substr(0, colon))
    if (!((c >= 'a' && c <= 'z') || c == '_' || c == '\\')) return false;
  return true;
}

}  // namespace

RigctldCommand RigctldCommand::getFrequency() { return {"+f\n", "get_freq"}; }
RigctldCommand RigctldCommand::getMode() { return {"+m\n", "get_mode"}; }
RigctldCommand RigctldCommand::getStrength() { return {"+l STRENGTH\n", "get_level STRENGTH"}; }

std::optional<RigctldCommand> RigctldCommand::setFrequency(std::int64_t hz) {
  if (hz < 1 || hz > 100'000'000'000LL) return std::nullopt;
  const std::string v = std::to_string(hz);
  return RigctldCommand("+F " + v + "\n", "set_freq " + v);
}

std::optional<RigctldCommand> RigctldCommand::setMode(std::string_view mode, std::int64_t passbandHz) {
  if (mode.empty() || mode.size() > 16 || passbandHz < -1 || passbandHz > 1'000'000) return std::nullopt;
  for (char c : mode)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return std::nullopt;
  const std::string args = std::string(mode) + " " + std::to_string(passbandHz);
  return RigctldCommand("+M " + args + "\n", "set_mode " + args);
}

std::optional<std::string> RigctldReply::value(std::string_view key) const {
  for (const std::string& l : lines) {
    const auto colon = l.find(':');
    if (colon == std::string::npos) continue;
    if (trimField(std::string_view(l).substr(0, colon)) == key)
      return std::string(trimField(std::string_view(l).substr(colon + 1)));
  }
  return std::nullopt;
}

void RigctldReplyReader::feed(std::string_view bytes) {
  pendingBytes_ += bytes.size();
  partial_.append(bytes);
  std::size_t start = 0;
  for (std::size_t nl; (nl = partial_.find('\n', start)) != std::string::npos; start = nl + 1) {
    std::string line(trimField(std::string_view(partial_).substr(start, nl - start)));
    if (const auto code = rprtCode(line)) {
      RigctldReply r;
      r.code = *code;
      // The first line is the echo of the command ("set_freq: 14100000"); a server
      // that does not echo still gives "Key: value" lines, which value() finds.
      const bool echo = !lines_.empty() && isEcho(lines_.front());
      r.lines.assign(lines_.begin() + (echo ? 1 : 0), lines_.end());
      done_.push_back(std::move(r));
      lines_.clear();
      pendingBytes_ = partial_.size() - (nl + 1);
    } else if (!line.empty()) {
      lines_.push_back(std::move(line));
    }
  }
  partial_.erase(0, start);
  if (pendingBytes_ > maxBytes_) {
    overflowed_ = true;
    partial_.clear();
    lines_.clear();
    pendingBytes_ = 0;
  }
}

std::optional<RigctldReply> RigctldReplyReader::take() {
  if (done_.empty()) return std::nullopt;
  RigctldReply r = std::move(done_.front());
  done_.erase(done_.begin());
  return r;
}

void RigctldReplyReader::clear() {
  partial_.clear();
  lines_.clear();
  done_.clear();
  pendingBytes_ = 0;
  overflowed_ = false;
}

std::optional<std::int64_t> frequencyOf(const RigctldReply& r) {
  const auto v = r.value("Frequency");
  if (!v) return std::nullopt;
  // Whole hertz, though some versions print a fraction ("14074000.000000").
  char* end = nullptr;
  const double hz = std::strtod(v->c_str(), &end);
  if (end == v->c_str() || *end != '\0' || !std::isfinite(hz) || hz < 1 || hz > 1e11) return std::nullopt;
  return static_cast<std::int64_t>(std::llround(hz));
}

std::optional<RigMode> modeOf(const RigctldReply& r) {
  const auto name = r.value("Mode");
  if (!name || name->empty()) return std::nullopt;
  RigMode m;
  m.name = *name;
  if (const auto pb = r.value("Passband")) {
    const auto v = wholeNumber<std::int64_t>(*pb);
    if (!v) return std::nullopt;
    m.passbandHz = *v;
  }
  return m;
}

std::optional<int> strengthOf(const RigctldReply& r) {
  // A bare number line ("-4"), or keyed in other versions ("STRENGTH: -4").
  for (const std::string& l : r.lines) {
    const auto colon = l.find(':');
    const auto v = wholeNumber<int>(colon == std::string::npos ? std::string_view(l)
                                                                  : std::string_view(l).substr(colon + 1));
    if (v) return v;
  }
  return std::nullopt;
}

int sLevelFromStrength(int dbOverS9) {
  // Nearest unit, a half unit counting upwards: -3 dB is S9, -4 dB S8, -9 dB S8.
  const int units = dbOverS9 >= 0 ? 0 : -((-dbOverS9 + 2) / 6);
  const int s = 9 + units;
  return s < 1 ? 1 : (s > 9 ? 9 : s);
}

std::string rprtMeaning(int code) {
  static const std::array<const char*, 21> kMeanings = {
      "No error",
      "Invalid parameter",
      "Invalid configuration (serial port settings ...)",
      "Out of memory",
      "Function not implemented yet",
      "The rig did not answer in time",
      "Input/output error (the rig's port could not be used)",
      "Internal Hamlib error",
      "Protocol error between Hamlib and the rig",
      "Command rejected by the rig",
      "Command performed, but its argument was truncated",
      "Function not available on this rig",
      "The VFO cannot be targeted",
      "Error talking on the bus",
      "Collision on the bus",
      "Invalid argument",
      "Invalid VFO",
      "Argument out of range",
      "Function deprecated",
      "Security error",
      "The rig is not powered on",
  };
  const long n = std::labs(static_cast<long>(code));
  if (n < static_cast<long>(kMeanings.size())) return kMeanings[static_cast<std::size_t>(n)];
  return "error " + std::to_string(n);
}

std::string rprtMessage(const RigctldCommand& c, int code) {
  return "rigctld could not do " + c.description() + ": " + rprtMeaning(code) + " (RPRT " +
         std::to_string(code) + ")";
}

}  // namespace harkola
