#include "clock/SlotLog.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "clock/BeaconSchedule.h"

namespace harkola {

namespace {

std::string fixed1(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

std::string whole(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.0f", v);
  return buf;
}

// Splits a line of quoted fields; false when it is not one.
bool splitQuoted(const std::string& line, std::vector<std::string>& fields) {
  fields.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] != '"') return false;
    const std::size_t close = line.find('"', i + 1);
    if (close == std::string::npos) return false;
    fields.push_back(line.substr(i + 1, close - i - 1));
    i = close + 1;
    if (i == line.size()) break;
    if (line[i] != ',') return false;
    ++i;
    if (i == line.size()) return false;
  }
  return true;
}

bool toInt(const std::string& s, int& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0') return false;
  out = static_cast<int>(v);
  return true;
}

bool toDouble(const std::string& s, double& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  out = std::strtod(s.c_str(), &end);
  return *end == '\0' && std::isfinite(out);
}

}  // namespace

std::string isoUtc(SysTime t) {
  const std::time_t tt = std::chrono::system_clock::to_time_t(
      std::chrono::floor<std::chrono::seconds>(t));
  std::tm tm{};
  gmtime_r(&tt, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

bool parseIsoUtc(const std::string& text, SysTime& out) {
  int y, mo, d, h, mi, s;
  char z = 0;
  int used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%n", &y, &mo, &d, &h, &mi, &s, &z, &used) != 7 ||
      z != 'Z' || used != static_cast<int>(text.size()))
    return false;
  const std::chrono::year_month_day ymd{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(mo)},
                                        std::chrono::day{static_cast<unsigned>(d)}};
  if (!ymd.ok() || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0) return false;
  out = std::chrono::sys_days{ymd} + std::chrono::hours{h} + std::chrono::minutes{mi} + std::chrono::seconds{s};
  return true;
}

std::string resultLine(const SlotMeasurement& m) {
  if (!m.heard) return m.callsign + "  not heard";
  char buf[96];
  const std::string snr = m.dashSnrDb[0] ? fixed1(*m.dashSnrDb[0]) + " dB" : std::string("-- dB");
  std::snprintf(buf, sizeof buf, "  %s  %d %s  %+.0f Hz  %+.0f ms", snr.c_str(), m.dashes,
                m.dashes == 1 ? "dash" : "dashes", m.toneHz - 800.0, m.offsetMs);
  return m.callsign + buf;
}

std::string slotRecord(const SlotMeasurement& m) {
  std::vector<std::string> f;
  f.push_back(isoUtc(m.slot.start));
  f.push_back(bandText(m.slot.band));
  f.push_back(std::to_string(m.slot.beacon));
  f.push_back(m.callsign);
  f.push_back(m.heard ? "1" : "0");
  f.push_back(std::to_string(m.dashes));
  for (const auto& snr : m.dashSnrDb) f.push_back(snr ? fixed1(*snr) : std::string());
  f.push_back(m.heard ? whole(m.toneHz) : std::string());
  f.push_back(m.heard ? whole(m.offsetMs) : std::string());
  f.push_back(fixed1(m.score));
  f.push_back(std::to_string(m.sLevel));
  std::string r;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (i) r += ',';
    r += '"' + f[i] + '"';
  }
  r += "\r\n";
  return r;
}

SlotLogContents readSlotLog(const std::string& text) {
  SlotLogContents out;
  std::size_t pos = 0;
  int lineNo = 0;
  std::vector<std::string> f;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size();
    std::string line = text.substr(pos, nl - pos);
    pos = nl + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    SlotMeasurement m;
    int heard = 0, mhz = 0;
    bool ok = splitQuoted(line, f) && f.size() == 14 && parseIsoUtc(f[0], m.slot.start) &&
              toInt(f[1], mhz) && (m.slot.band = bandFromMHz(mhz)) >= 0 && toInt(f[2], m.slot.beacon) &&
              m.slot.beacon >= 1 && m.slot.beacon <= 18 && toInt(f[4], heard) && (heard == 0 || heard == 1) &&
              toInt(f[5], m.dashes) && m.dashes >= 0 && m.dashes <= 4 && toDouble(f[12], m.score) &&
              toInt(f[13], m.sLevel) && m.sLevel >= 0 && m.sLevel <= 9;
    if (ok) {
      m.callsign = f[3];
      m.heard = heard == 1;
      for (int d = 0; d < 4 && ok; ++d) {
        double v = 0.0;
        if (f[6 + d].empty()) continue;
        ok = toDouble(f[6 + d], v);
        m.dashSnrDb[d] = v;
      }
      if (ok && !f[10].empty()) ok = toDouble(f[10], m.toneHz);
      if (ok && !f[11].empty()) ok = toDouble(f[11], m.offsetMs);
    }
    if (ok)
      out.records.push_back(m);
    else
      out.badLines.push_back(lineNo);
  }
  return out;
}

}  // namespace harkola
