#include "rig/RigCommands.h"

#include <charconv>

namespace harkola {

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A whole decimal number, nothing else (no sign, no blanks).
std::optional<int> wholeNumber(std::string_view s) {
  int v = 0;
  if (s.empty()) return std::nullopt;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || v < 0) return std::nullopt;
  return v;
}

}  // namespace

std::optional<FlowControl> flowControlFor(std::string_view handshake) {
  if (handshake == "None") return FlowControl::None;
  if (handshake == "Xon/Xoff") return FlowControl::XonXoff;
  if (handshake == "RTS") return FlowControl::Rts;
  if (handshake == "RTSXOnXOff") return FlowControl::RtsXonXoff;
  return std::nullopt;
}

std::string lineSettingsText(const RigGrid& t) {
  std::string s = t[kRigRowBaud][1];
  s += ',';
  if (!t[kRigRowParity][1].empty()) s += t[kRigRowParity][1][0];
  s += ',';
  s += t[kRigRowData][1];
  s += ',';
  s += t[kRigRowStop][1];
  return s;
}

LineSettings parseLineSettings(std::string_view text) {
  LineSettings ls;
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (parts.size() != 4) {
    ls.problem = "the line settings " + std::string(text) + " do not have four parts";
    return ls;
  }
  auto baud = wholeNumber(parts[0]);
  auto data = wholeNumber(parts[2]);
  auto stop = wholeNumber(parts[3]);
  const std::string_view p = parts[1];
  if (!baud || *baud == 0) {
    ls.problem = "the speed " + std::string(parts[0]) + " is not a number";
  } else if (p.size() != 1 || std::string_view("NOEMS").find(p[0]) == std::string_view::npos) {
    ls.problem = "the parity " + std::string(p) + " is not one of N, O, E, M, S";
  } else if (!data || *data < 5 || *data > 8) {
    ls.problem = "the data bits " + std::string(parts[2]) + " are not 5 to 8";
  } else if (!stop || (*stop != 1 && *stop != 2)) {
    ls.problem = "the stop bits " + std::string(parts[3]) + " are not 1 or 2";
  } else {
    ls.baud = *baud;
    ls.parity = p[0];
    ls.dataBits = *data;
    ls.stopBits = *stop;
    ls.valid = true;
  }
  return ls;
}

int makerCodeFor(std::string_view name) {
  if (name == "Kenwood") return kRigKenwood;
  if (name == "Icom") return kRigIcom;
  if (name == "Yaesu") return kRigYaesu;
  return 0;
}

std::string makerNameFor(int code) {
  switch (code) {
    case kRigKenwood: return "Kenwood";
    case kRigIcom: return "Icom";
    case kRigYaesu: return "Yaesu";
    default: return {};
  }
}

HexCheck checkHexCode(std::string_view code) {
  HexCheck c;
  if (code.size() % 2 != 0) {
    c.fault = "Data entry must be an even number of hex codes";
    return c;
  }
  for (std::size_t k = 0; k * 2 < code.size(); ++k) {
    if (hexDigit(code[2 * k]) < 0 || hexDigit(code[2 * k + 1]) < 0) {
      c.valid = false;
      c.fault = "Hex pair " + std::to_string(k + 1) + " is not a valid hex number";
      return c;
    }
    c.valid = true;
  }
  return c;
}

std::optional<std::vector<std::uint8_t>> hexCodeBytes(std::string_view code) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < code.size(); i += 2) {
    const int hi = hexDigit(code[i]);
    const int lo = hexDigit(code[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return out;
}

std::string EncodedCommand::bytes() const {
  std::string all;
  for (const auto& w : writes) all += w;
  return all;
}

std::optional<EncodedCommand> encodeCommand(int makerCode, std::string_view code) {
  if (code.empty() || !makerKnown(makerCode)) return std::nullopt;
  EncodedCommand cmd;
  if (!makerUsesHex(makerCode)) {
    cmd.writes.emplace_back(code);
    return cmd;
  }
  auto bytes = hexCodeBytes(code);
  if (!bytes) {
    // A hand-edited file can hold a code that never went through the check: sending
    // part of it, or zeros in place of the bad pair, could leave the rig anywhere.
    cmd.fault = checkHexCode(code).fault;
    return cmd;
  }
  for (std::uint8_t b : *bytes) cmd.writes.emplace_back(1, static_cast<char>(b));
  return cmd;
}

namespace {
// Only rows 15..19 are band commands; any other row would send a setting or another
// command's code to the rig.
bool isBandRow(int row) { return row >= kRigRowFirstBand && row < kRigRowFirstBand + kBandCount; }
}  // namespace

std::vector<int> sessionStartRows(int bandRow) {
  std::vector<int> rows{7, 8, 9, 10};
  if (isBandRow(bandRow)) rows.push_back(bandRow);
  return rows;
}
std::vector<int> sessionFinishRows() { return {11, 12, 13, 14, kRigRowEndFreq}; }
std::vector<int> bandRows(int bandRow) {
  if (!isBandRow(bandRow)) return {};
  return {bandRow};
}

}  // namespace harkola
