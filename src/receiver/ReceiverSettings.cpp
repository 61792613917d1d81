#include "receiver/ReceiverSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/Bands.h"
#include "data/DataFile.h"
#include "receiver/BandReceiver.h"

namespace harkola {

namespace {
constexpr const char* kFileName = "Receiver.dat";
constexpr std::pair<ReceiverKind, const char*> kKinds[] = {{ReceiverKind::SoundCard, "soundcard"},
                                                           {ReceiverKind::Soapy, "soapy"},
                                                           {ReceiverKind::RtlTcp, "rtl_tcp"},
                                                           {ReceiverKind::Kiwi, "kiwi"},
                                                           {ReceiverKind::IqFile, "iq"}};

bool plainText(std::string_view v, std::size_t most) {
  if (v.size() > most) return false;
  for (char c : v)
    if (static_cast<unsigned char>(c) < 0x20 || c == '"') return false;
  return true;
}

bool numberIn(std::string_view v, double lo, double hi, double& out) {
  double x = 0;
  if (!parseNumber(v, x) || !std::isfinite(x) || x < lo || x > hi) return false;
  out = x;
  return true;
}

std::vector<int> parseBands(std::string_view v) {
  std::vector<int> out;
  while (!v.empty()) {
    const std::size_t c = v.find(',');
    const int b = bandFromText(v.substr(0, c));
    if (b < 0) return {};
    if (std::find(out.begin(), out.end(), b) == out.end()) out.push_back(b);
    v = c == std::string_view::npos ? std::string_view{} : v.substr(c + 1);
  }
  std::sort(out.begin(), out.end());
  return out;
}
}  // namespace

std::string receiverKindName(ReceiverKind k) {
  for (const auto& [kind, name] : kKinds)
    if (kind == k) return name;
  return "soundcard";
}

std::optional<ReceiverKind> receiverKindFromName(std::string_view name) {
  for (const auto& [kind, n] : kKinds)
    if (name == n) return kind;
  return std::nullopt;
}

ReceiverSettings parseReceiverSettings(std::string_view text) {
  ReceiverSettings s;
  const std::vector<std::string> f = readFields(text);
  for (std::size_t i = 0; i + 1 < f.size(); i += 2) {
    const std::string& k = f[i];
    const std::string& v = f[i + 1];
    double x = 0;
    if (k == "Source") {
      if (const auto kind = receiverKindFromName(v)) s.kind = *kind;
    } else if (k == "Bands") {
      if (auto b = parseBands(v); !b.empty()) s.bands = std::move(b);
    } else if (k == "SoapyArgs" && plainText(v, 512)) {
      s.soapyArgs = v;
    } else if (k == "Rate" && numberIn(v, 1000, 200e6, x)) {
      s.rate = x;
    } else if (k == "Centre" && numberIn(v, 0, 10e9, x)) {
      s.centreHz = x;
    } else if (k == "Gain") {
      if (v == "auto") s.gainDb.reset();
      else if (numberIn(v, -50, 100, x)) s.gainDb = x;
    } else if (k == "DirectSampling") {
      s.directSampling = v == "True";
    } else if (k == "RtlHost" && !v.empty() && plainText(v, 253)) {
      s.rtlHost = v;
    } else if (k == "RtlPort" && numberIn(v, 1, 65535, x) && x == std::floor(x)) {
      s.rtlPort = static_cast<int>(x);
    } else if (k == "KiwiHost" && plainText(v, 253)) {
      s.kiwiHost = v;
    } else if (k == "KiwiPort" && numberIn(v, 1, 65535, x) && x == std::floor(x)) {
      s.kiwiPort = static_cast<int>(x);
    } else if (k == "KiwiPassword" && plainText(v, 256)) {
      s.kiwiPassword = v;
    } else if (k == "IqFile" && plainText(v, 4096)) {
      s.iqFile = v;
    } else if (k == "IqFormat" && (v == "wav" || v == "cs16" || v == "cu8" || v == "cs8" || v == "cf32")) {
      s.iqFormat = v;
    }
  }
  return s;
}

std::string formatReceiverSettings(const ReceiverSettings& s) {
  std::string bands;
  for (int b : s.bands) bands += (bands.empty() ? "" : ",") + std::string(bandInfo(b).text);
  auto num = [](double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", v);
    return std::string(buf);
  };
  std::string out;
  out += formatRecord({"Source", receiverKindName(s.kind)});
  out += formatRecord({"Bands", bands});
  out += formatRecord({"SoapyArgs", s.soapyArgs});
  out += formatRecord({"Rate", num(s.rate)});
  out += formatRecord({"Centre", num(s.centreHz)});
  out += formatRecord({"Gain", s.gainDb ? num(*s.gainDb) : "auto"});
  out += formatRecord({"DirectSampling", s.directSampling ? "True" : "False"});
  out += formatRecord({"RtlHost", s.rtlHost});
  out += formatRecord({"RtlPort", std::to_string(s.rtlPort)});
  out += formatRecord({"KiwiHost", s.kiwiHost});
  out += formatRecord({"KiwiPort", std::to_string(s.kiwiPort)});
  out += formatRecord({"KiwiPassword", s.kiwiPassword});
  out += formatRecord({"IqFile", s.iqFile});
  out += formatRecord({"IqFormat", s.iqFormat});
  return out;
}

std::filesystem::path receiverSettingsPath(const std::filesystem::path& dataFolder) { return dataFolder / kFileName; }

ReceiverSettings loadReceiverSettings(const std::filesystem::path& dataFolder) {
  std::string text;
  if (!readWholeFile(receiverSettingsPath(dataFolder), text)) return {};
  return parseReceiverSettings(text);
}

bool saveReceiverSettings(const std::filesystem::path& dataFolder, const ReceiverSettings& s) {
  return writeWholeFile(receiverSettingsPath(dataFolder), formatReceiverSettings(s));
}

double centreFor(double rate, const std::vector<int>& bands) {
  const double wide = suggestedCentre(rate);
  const std::vector<int> covered = bandsCovered(rate, wide);
  const bool all = std::all_of(bands.begin(), bands.end(), [&](int b) {
    return std::find(covered.begin(), covered.end(), b) != covered.end();
  });
  if (all || bands.empty()) return wide;
  return static_cast<double>(bandInfo(bands.front()).hz) + rate / 4;
}

}  // namespace harkola

namespace harkola {

bool receiverFromSpec(const std::string& spec, const ReceiverSettings& saved, ReceiverSettings& out,
                      std::string& error) {
  out = saved;
  const std::size_t colon = spec.find(':');
  const std::string kind = spec.substr(0, colon);
  const std::string rest = colon == std::string::npos ? std::string() : spec.substr(colon + 1);
  // HOST[:PORT] into host and port.
  auto hostPort = [&](std::string& host, int& port) {
    const std::size_t c = rest.rfind(':');
    std::string h = rest, p;
    if (c != std::string::npos && rest.find(':') == c) {
      h = rest.substr(0, c);
      p = rest.substr(c + 1);
    }
    if (!h.empty()) host = h;
    if (!p.empty()) {
      double x = 0;
      if (!parseNumber(p, x) || x < 1 || x > 65535 || x != std::floor(x)) {
        error = "the port must be a number from 1 to 65535";
        return false;
      }
      port = static_cast<int>(x);
    }
    return !host.empty() || (error = "it needs a host name", false);
  };
  if (kind == "saved") {
    if (out.kind == ReceiverKind::SoundCard) {
      error = "Receiver.dat names no receiver input (set one up in Logging > Receiver)";
      return false;
    }
    return true;
  }
  if (kind == "soapy") {
    out.kind = ReceiverKind::Soapy;
    out.soapyArgs = rest;
    return true;
  }
  if (kind == "rtl_tcp") {
    out.kind = ReceiverKind::RtlTcp;
    return rest.empty() || hostPort(out.rtlHost, out.rtlPort);
  }
  if (kind == "kiwi") {
    out.kind = ReceiverKind::Kiwi;
    return hostPort(out.kiwiHost, out.kiwiPort);
  }
  if (kind == "iq" && !rest.empty()) {
    out.kind = ReceiverKind::IqFile;
    out.iqFile = rest;
    return true;
  }
  error = "name saved, soapy:ARGS, rtl_tcp:HOST:PORT, kiwi:HOST:PORT or iq:FILE";
  return false;
}

}  // namespace harkola
