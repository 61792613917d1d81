#include "propagation/SlotRecord.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

namespace harkola {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

bool parseInt(std::string_view s, int& out) {
  s = trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// Empty -> NaN (true); a number -> its value (true); anything else false.
bool parseOptional(std::string_view s, float& out) {
  s = trim(s);
  if (s.empty()) {
    out = kNaN;
    return true;
  }
  if (s.front() == '+') s.remove_prefix(1);
  double v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) return false;
  out = static_cast<float>(v);
  return true;
}

int bandOfText(std::string_view s) {
  int mhz = 0;
  if (!parseInt(s, mhz)) return -1;
  switch (mhz) {
    case 14: return 0;
    case 18: return 1;
    case 21: return 2;
    case 24: return 3;
    case 28: return 4;
    default: return -1;
  }
}

bool digits(std::string_view s, std::size_t pos, std::size_t n, int& out) {
  if (pos + n > s.size()) return false;
  out = 0;
  for (std::size_t i = pos; i < pos + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (up(a[i]) != up(b[i])) return false;
  }
  return true;
}

}  // namespace

std::size_t splitRecordFields(std::string_view line, std::string_view* fields, std::size_t maxFields) {
  std::size_t n = 0;
  std::size_t i = 0;
  while (true) {
    std::string_view field;
    while (i < line.size() && line[i] == ' ') ++i;
    if (i < line.size() && line[i] == '"') {
      const std::size_t close = line.find('"', i + 1);
      const std::size_t end = close == std::string_view::npos ? line.size() : close;
      field = line.substr(i + 1, end - i - 1);
      i = line.find(',', end);
    } else {
      const std::size_t comma = line.find(',', i);
      field = line.substr(i, comma == std::string_view::npos ? std::string_view::npos : comma - i);
      i = comma;
    }
    if (n < maxFields) fields[n] = field;
    ++n;
    if (i == std::string_view::npos || i >= line.size()) break;
    ++i;  // past the comma
  }
  return n;
}

bool parseIsoUtc(std::string_view t, std::int64_t& out) {
  t = trim(t);
  int y, mo, d, h, mi, s;
  if (t.size() < 19 || !digits(t, 0, 4, y) || t[4] != '-' || !digits(t, 5, 2, mo) || t[7] != '-' ||
      !digits(t, 8, 2, d) || (t[10] != 'T' && t[10] != ' ') || !digits(t, 11, 2, h) || t[13] != ':' ||
      !digits(t, 14, 2, mi) || t[16] != ':' || !digits(t, 17, 2, s))
    return false;
  std::size_t i = 19;
  if (i < t.size() && (t[i] == '.' || t[i] == ',')) {
    ++i;
    const std::size_t first = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    if (i == first) return false;
  }
  const std::string_view zone = t.substr(i);
  if (!(zone.empty() || zone == "Z" || zone == "+00:00" || zone == "+0000" || zone == "-00:00"))
    return false;
  using namespace std::chrono;
  const year_month_day ymd{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
  if (!ymd.ok() || h > 23 || mi > 59 || s > 60) return false;
  out = duration_cast<seconds>(sys_days{ymd}.time_since_epoch()).count() + h * 3600 + mi * 60 + s;
  return true;
}

std::string isoUtcText(std::int64_t utc) {
  using namespace std::chrono;
  const std::int64_t days = utc >= 0 ? utc / 86400 : -((-utc + 86399) / 86400);
  const std::int64_t rest = utc - days * 86400;
  const year_month_day ymd{sys_days{std::chrono::days{days}}};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
  return buf;
}

bool parseSlotLogLine(std::string_view line, SlotResult& out) {
  std::string_view f[14];
  if (splitRecordFields(line, f, 14) < 14) return false;
  SlotResult r;
  int heard = 0;
  if (!parseIsoUtc(f[0], r.startUtc)) return false;
  r.band = bandOfText(f[1]);
  if (r.band < 0) return false;
  if (!parseInt(f[2], r.beacon) || r.beacon < 1 || r.beacon > 18) return false;
  if (!parseInt(f[4], heard) || (heard != 0 && heard != 1)) return false;
  r.heard = heard == 1;
  if (trim(f[5]).empty()) {
    r.dashes = 0;
  } else if (!parseInt(f[5], r.dashes) || r.dashes < 0 || r.dashes > 4) {
    return false;
  }
  for (int k = 0; k < 4; ++k)
    if (!parseOptional(f[6 + k], r.dashSnrDb[static_cast<std::size_t>(k)])) return false;
  if (!parseOptional(f[10], r.toneHz) || !parseOptional(f[11], r.offsetMs) || !parseOptional(f[12], r.score))
    return false;
  float s = 0;
  if (!parseOptional(f[13], s)) return false;
  r.sLevel = std::isnan(s) ? 0 : static_cast<int>(s);
  if (r.sLevel < 0 || r.sLevel > 9) r.sLevel = 0;
  out = r;
  return true;
}

bool parseHeardLogLine(std::string_view line, const std::vector<std::string>& callsigns, SlotResult& out) {
  std::string_view f[5];
  if (splitRecordFields(line, f, 5) < 5) return false;
  // Date: "07-Dec-26" (the log's own form) or "2026-12-07".
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::string_view date = trim(f[0]);
  int y = 0, mo = 0, d = 0;
  if (date.size() == 9 && date[2] == '-' && date[6] == '-' && digits(date, 0, 2, d) && digits(date, 7, 2, y)) {
    for (int m = 0; m < 12; ++m)
      if (equalNoCase(date.substr(3, 3), kMonths[m])) mo = m + 1;
    y += y < 70 ? 2000 : 1900;
  } else if (date.size() == 10 && date[4] == '-' && date[7] == '-' && digits(date, 0, 4, y) &&
             digits(date, 5, 2, mo) && digits(date, 8, 2, d)) {
  } else {
    return false;
  }
  using namespace std::chrono;
  const year_month_day ymd{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
  int hour = 0;
  if (!ymd.ok() || !parseInt(f[1], hour) || hour < 0 || hour > 23) return false;
  SlotResult r;
  r.fromHeardLog = true;
  r.heard = true;
  r.band = bandOfText(f[2]);
  if (r.band < 0) return false;
  const std::string_view call = trim(f[3]);
  for (std::size_t i = 0; i < callsigns.size() && i < 18; ++i)
    if (equalNoCase(call, callsigns[i])) r.beacon = static_cast<int>(i) + 1;
  if (r.beacon == 0) return false;
  if (!parseInt(f[4], r.sLevel) || r.sLevel < 1 || r.sLevel > 9) return false;
  r.dashSnrDb.fill(kNaN);
  r.toneHz = r.offsetMs = r.score = kNaN;
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = hour;
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1)) return false;
  r.startUtc = static_cast<std::int64_t>(t);
  out = r;
  return true;
}

}  // namespace harkola
