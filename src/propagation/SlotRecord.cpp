#include "propagation/SlotRecord.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "common/Bands.h"
#include "common/TextFields.h"

namespace harkola {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

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
  const std::string_view date = trimField(f[0]);
  int y = 0, mo = 0, d = 0;
  if (date.size() == 9 && date[2] == '-' && date[6] == '-' && digitsAt(date, 0, 2, d) && digitsAt(date, 7, 2, y)) {
    for (int m = 0; m < 12; ++m)
      if (equalNoCase(date.substr(3, 3), kMonths[m])) mo = m + 1;
    y += y < 70 ? 2000 : 1900;
  } else if (date.size() == 10 && date[4] == '-' && date[7] == '-' && digitsAt(date, 0, 4, y) &&
             digitsAt(date, 5, 2, mo) && digitsAt(date, 8, 2, d)) {
  } else {
    return false;
  }
  using namespace std::chrono;
  const year_month_day ymd{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
  int hour = 0;
  if (!ymd.ok() || !parseWholeNumber(f[1], hour) || hour < 0 || hour > 23) return false;
  SlotResult r;
  r.fromHeardLog = true;
  r.heard = true;
  int mhz = 0;
  r.band = parseWholeNumber(f[2], mhz) ? bandFromMHz(mhz) : -1;
  if (r.band < 0) return false;
  const std::string_view call = trimField(f[3]);
  for (std::size_t i = 0; i < callsigns.size() && i < 18; ++i)
    if (equalNoCase(call, callsigns[i])) r.beacon = static_cast<int>(i) + 1;
  if (r.beacon == 0) return false;
  if (!parseWholeNumber(f[4], r.sLevel) || r.sLevel < 1 || r.sLevel > 9) return false;
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
