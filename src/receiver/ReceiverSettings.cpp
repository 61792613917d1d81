#include "receiver/ReceiverSettings.h"

#include <algorithm>
#include <cstdio>

#include "common/Bands.h"
#include "receiver/BandReceiver.h"

namespace harkola {

namespace {
constexpr std::pair<ReceiverKind, const char*> kKinds[] = {{ReceiverKind::SoundCard, "soundcard"},
                                                           {ReceiverKind::Soapy, "soapy"},
                                                           {ReceiverKind::RtlTcp, "rtl_tcp"},
                                                           {ReceiverKind::Kiwi, "kiwi"},
                                                           {ReceiverKind::IqFile, "iq"}};

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
  for (const auto& [k, v] : readSettingPairs(text)) {
    double x = 0;
    if (k == "Source") {
      if (const auto kind = receiverKindFromName(v)) s.kind = *kind;
    } else if (k == "Bands") {
      if (auto b = parseBands(v); !b.empty()) s.bands = std::move(b);
    } else if (k == "SoapyArgs" && plainSetting(v, 512)) {
      s.soapyArgs = v;
    } else if (k == "Rate" && numberSetting(v, 1000, 200e6, x)) {
      s.rate = x;
    } else if (k == "Centre" && numberSetting(v, 0, 10e9, x)) {
      s.centreHz = x;
    } else if (k == "Gain") {
      if (v == "auto") s.gainDb.reset();
      else if (numberSetting(v, -50, 100, x)) s.gainDb = x;
    } else if (k == "DirectSampling") {
      s.directSampling = flagSetting(v);
    } else if (k == "RtlHost" && !v.empty() && plainSetting(v, 253)) {
      s.rtlHost = v;
    } else if (k == "RtlPort") {
      portSetting(v, s.rtlPort);
    } else if (k == "KiwiHost" && plainSetting(v, 253)) {
      s.kiwiHost = v;
    } else if (k == "KiwiPort") {
      portSetting(v, s.kiwiPort);
    } else if (k == "KiwiPassword" && plainSetting(v, 256)) {
      s.kiwiPassword = v;
    } else if (k == "IqFile" && plainSetting(v, 4096)) {
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
  return SettingsWriter()
      .text("Source", receiverKindName(s.kind))
      .text("Bands", bands)
      .text("SoapyArgs", s.soapyArgs)
      .text("Rate", num(s.rate))
      .text("Centre", num(s.centreHz))
      .text("Gain", s.gainDb ? num(*s.gainDb) : "auto")
      .flag("DirectSampling", s.directSampling)
      .text("RtlHost", s.rtlHost)
      .text("RtlPort", std::to_string(s.rtlPort))
      .text("KiwiHost", s.kiwiHost)
      .text("KiwiPort", std::to_string(s.kiwiPort))
      .text("KiwiPassword", s.kiwiPassword)
      .text("IqFile", s.iqFile)
      .text("IqFormat", s.iqFormat)
      .result();
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

bool receiverFromChoice(const std::string& choice, const ReceiverSettings& saved, ReceiverSettings& out,
                      std::string& error) {
  out = saved;
  const std::size_t colon = choice.find(':');
  const std::string kind = choice.substr(0, colon);
  const std::string rest = colon == std::string::npos ? std::string() : choice.substr(colon + 1);
  // HOST[:PORT] into host and port.
  auto hostPort = [&](std::string& host, int& port) {
    const std::size_t c = rest.rfind(':');
    std::string h = rest, p;
    if (c != std::string::npos && rest.find(':') == c) {
      h = rest.substr(0, c);
      p = rest.substr(c + 1);
    }
    if (!h.empty()) host = h;
    if (!p.empty() && !portSetting(p, port)) {
      error = "the port must be a number from 1 to 65535";
      return false;
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
