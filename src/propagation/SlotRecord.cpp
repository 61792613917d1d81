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

SlotResult slotResultOf(const SlotLogRecord& r) {
  SlotResult out;
  out.startUtc = r.startUtc;
  out.band = r.band;
  out.beacon = r.beacon;
  out.heard = r.heard;
  out.dashes = r.dashes;
  for (std::size_t k = 0; k < 4; ++k) out.dashSnrDb[k] = static_cast<float>(r.dashSnrDb[k]);
  out.toneHz = static_cast<float>(r.toneHz);
  out.offsetMs = static_cast<float>(r.offsetMs);
  out.score = static_cast<float>(r.score);
  out.sLevel = r.sLevel;
  return out;
}

bool parseSlotLogLine(std::string_view line, SlotResult& out) {
  SlotLogRecord r;
  if (!parseSlotLogLine(line, r)) return false;
  out = slotResultOf(r);
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
