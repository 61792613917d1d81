#include "clock/SlotLog.h"

#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "clock/BeaconSchedule.h"
#include "common/Bands.h"
#include "common/Calendar.h"
#include "common/TextFields.h"

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

constexpr double kTens[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// A figure: empty is NaN (true), a finite number its value (true), anything else false.
[[gnu::always_inline]] inline bool parseFigure(std::string_view s, double& out) {
  if (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.back() == ' ' || s.back() == '\t' ||
                     s.back() == '\r' || s.back() == '\n'))
    s = trimField(s);
  if (s.empty()) {
    out = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (s.front() == '+') s.remove_prefix(1);
  // The usual case, "-17.5": at most 15 digits, so that digits / 10^k is the correctly
  // rounded value, as from_chars gives it.

  std::size_t i = !s.empty() && s.front() == '-' ? 1 : 0;
  const std::size_t first = i;
  std::uint64_t m = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) m = m * 10 + static_cast<unsigned>(s[i] - '0');
  std::size_t whole = i - first, fraction = 0;
  if (i < s.size() && s[i] == '.' && whole > 0) {
    const std::size_t f0 = ++i;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) m = m * 10 + static_cast<unsigned>(s[i] - '0');
    fraction = i - f0;
    if (fraction == 0) i = s.size() + 1;  // "5.": left to from_chars
  }
  if (i == s.size() && whole > 0 && whole + fraction <= 15) {
    const double v = static_cast<double>(m) / kTens[fraction];
    out = first ? -v : v;
    return true;
  }
  const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(out);
}

// bandFromMHz without a search (a search's exit, different on every line, costs more).
constexpr auto kBandOfMHz = [] {
  std::array<signed char, 32> t{};
  t.fill(-1);
  for (const auto& b : kBands) t[static_cast<std::size_t>(b.mhz)] = static_cast<signed char>(b.index);
  return t;
}();
[[gnu::always_inline]] inline int bandOfMHz(int mhz) {
  return mhz >= 0 && mhz < 32 ? kBandOfMHz[static_cast<std::size_t>(mhz)] : -1;
}

// Reads a line as the program writes it, every field in quotes and nothing between them
// but commas, in one pass: digits, "-17.5", an empty figure. False for anything else,
// which the general reading then decides; what this reads, that reads alike.
class WrittenLine {
 public:
  // The line must end with a quote: every scan below stops there at the latest.
  explicit WrittenLine(std::string_view line) : m_p(line.data()), m_end(line.data() + line.size()) {}

  // Past the opening quote of the next field, which is not the line's last character:
  // what follows can be read up to the last quote.
  [[gnu::always_inline]] bool open() {
    if (m_end - m_p < 2 || *m_p != '"') return false;
    ++m_p;
    return true;
  }
  // The closing quote and the comma, or the end of the line after the last field.
  [[gnu::always_inline]] bool close(bool last) {
    if (*m_p != '"') return false;
    ++m_p;
    if (last) return m_p == m_end;
    return m_p < m_end && *m_p++ == ',';
  }
  [[gnu::always_inline]] bool empty() const { return *m_p == '"'; }
  [[gnu::always_inline]] bool whole(int& out) {
    int v = 0, n = 0;
    for (unsigned d; (d = static_cast<unsigned>(*m_p - '0')) < 10 && n < 9; ++m_p, ++n) v = v * 10 + static_cast<int>(d);
    out = v;
    return n > 0;
  }
  // Empty (NaN), or [-]digits[.digits] with at most 15 digits. Without kValue only
  // the form is checked and `out` is left alone.
  template <bool kValue>
  [[gnu::always_inline]] bool figure(double& out) {
    if (*m_p == '"') {
      if constexpr (kValue) out = std::numeric_limits<double>::quiet_NaN();
      return true;
    }
    const bool negative = *m_p == '-';
    m_p += negative;
    std::uint64_t m = 0;
    int digits = 0, fraction = 0;
    for (unsigned d; (d = static_cast<unsigned>(*m_p - '0')) < 10; ++m_p, ++digits) m = m * 10 + d;
    if (*m_p == '.') {
      ++m_p;
      for (unsigned d; (d = static_cast<unsigned>(*m_p - '0')) < 10; ++m_p, ++fraction) m = m * 10 + d;
      if (fraction == 0) return false;
    }
    if (digits == 0 || digits + fraction > 15) return false;
    if constexpr (kValue) {
      const double v = static_cast<double>(m) / kTens[fraction];
      out = negative ? -v : v;
    }
    return true;
  }
  // One or two digits (a beacon number), without a branch on which.
  [[gnu::always_inline]] bool upToTwoDigits(int& out) {
    if (m_end - m_p < 2) return whole(out);
    const unsigned d0 = static_cast<unsigned>(m_p[0] - '0'), d1 = static_cast<unsigned>(m_p[1] - '0');
    const bool two = d1 < 10;
    out = static_cast<int>(two ? d0 * 10 + d1 : d0);
    m_p += 1 + two;
    return d0 < 10;
  }
  // Text up to the next quote.
  [[gnu::always_inline]] std::string_view text() {
    const char* b = m_p;
    if (m_end - m_p >= 8) {
      // The first quote of the next eight bytes, if any, at once.
      std::uint64_t x;
      std::memcpy(&x, m_p, 8);
      x ^= 0x2222222222222222u;
      const std::uint64_t quotes = (x - 0x0101010101010101u) & ~x & 0x8080808080808080u;
      if (quotes) {
        m_p += std::countr_zero(quotes) / 8;
        return std::string_view(b, static_cast<std::size_t>(m_p - b));
      }
      m_p += 8;
    }
    while (*m_p != '"') ++m_p;
    return std::string_view(b, static_cast<std::size_t>(m_p - b));
  }
  // A field of exactly `n` characters (the slot start): empty when its closing quote is
  // elsewhere.
  [[gnu::always_inline]] std::string_view fixed(std::size_t n) {
    if (static_cast<std::size_t>(m_end - m_p) <= n || m_p[n] != '"') return {};
    m_p += n;
    return std::string_view(m_p - n, n);
  }

  const char* where() const { return m_p; }

 private:
  const char* m_p;
  const char* m_end;
};

#if defined(__SSE2__)
// Bit 16 * kBlock + i: byte i of the block `v` equals `c`.
template <int kBlock>
[[gnu::always_inline]] inline std::uint64_t bytesEqual(__m128i v, char c) {
  return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(c)))))
         << (16 * kBlock);
}

// The figures of a written line, its fields 6..13 from the opening quote at `from` to
// the line's end, checked at once with bit masks of the line's last 64 bytes: branches
// on the figures' lengths, one or two per figure read byte by byte, cost more than all
// of this. True only for what the reading byte by byte accepts too (a figure of 15
// characters at most, [-]digits[.digit]); false decides nothing.
bool writtenFigures(std::string_view line, std::size_t from) {
  const std::size_t n = line.size();
  if (n < 64 || from < n - 64 || n - from < 23) return false;  // eight fields take 23 bytes at least
  const char* base = line.data() + n - 64;
  std::uint64_t quote = 0, comma = 0, digit = 0, minus = 0, dot = 0;
  auto block = [&]<int k>(std::integral_constant<int, k>) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + 16 * k));
    quote |= bytesEqual<k>(v, '"');
    comma |= bytesEqual<k>(v, ',');
    minus |= bytesEqual<k>(v, '-');
    dot |= bytesEqual<k>(v, '.');
    const __m128i d = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
    digit |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(d))) << (16 * k);
  };
  block(std::integral_constant<int, 0>{});
  block(std::integral_constant<int, 1>{});
  block(std::integral_constant<int, 2>{});
  block(std::integral_constant<int, 3>{});
  const unsigned first = static_cast<unsigned>(from - (n - 64));  // the opening quote
  const std::uint64_t region = ~std::uint64_t{0} << first, one = 1;
  quote &= region;
  comma &= region;
  // "f6","f7",...,"f13": eight fields, every quote opening or closing one.
  if (quote != (one << first | one << 63 | comma << 1 | comma >> 1) || (comma & comma << 2) ||
      (comma & (one << (first + 1) | one << 62)))
    return false;
  std::uint64_t c = comma;
  bool seven = true;
  for (int k = 0; k < 7; ++k) {
    seven &= c != 0;
    c &= c - 1;
  }
  if (!seven || c) return false;
  const std::uint64_t inside = region & ~(quote | comma);
  const std::uint64_t m = minus & inside, p = dot & inside;
  // Only figure characters; a minus first and a digit after it; a digit either side of
  // a dot, then the field's end; no run of 16 characters.
  std::uint64_t run = inside & inside >> 1;
  run &= run >> 2;
  run &= run >> 4;
  run &= run >> 8;
  return !((inside & ~(digit | minus | dot)) | (m & ~(comma << 2 | one << (first + 1))) | (m & ~(digit >> 1)) |
           (p & ~(digit << 1)) | (p & ~(digit >> 1)) | ((p << 2) & ~quote) | run);
}
#endif

// kValues false: the same checks, the figures and the S level left unread.
template <bool kValues>
bool readWrittenLine(std::string_view line, SlotLogRecord& r) {
  if (line.size() < 2 || line.back() != '"') return false;
  WrittenLine w(line);
  int mhz = 0, heard = 0;
  if (!w.open()) return false;
  const std::string_view start = w.fixed(20);
  if (start.size() != 20 || !parseIsoUtc(start, r.startUtc) || !w.close(false)) return false;
  if (!w.open() || !w.whole(mhz) || (r.band = bandOfMHz(mhz)) < 0 || !w.close(false)) return false;
  if (!w.open() || !w.upToTwoDigits(r.beacon) || r.beacon < 1 || r.beacon > 18 || !w.close(false)) return false;
  if (!w.open()) return false;
  r.callsign = w.text();
  if (!w.close(false)) return false;
  if (!w.open() || !w.whole(heard) || heard > 1 || !w.close(false)) return false;
  r.heard = heard == 1;
  if (!w.open()) return false;
  r.dashes = 0;  // an empty field is 0
  if (!w.empty() && (!w.whole(r.dashes) || r.dashes > 4)) return false;
  if (!w.close(false)) return false;
#if defined(__SSE2__)
  if constexpr (!kValues)
    if (writtenFigures(line, static_cast<std::size_t>(w.where() - line.data()))) return true;
#endif
  double* figures[] = {&r.dashSnrDb[0], &r.dashSnrDb[1], &r.dashSnrDb[2], &r.dashSnrDb[3],
                       &r.toneHz,       &r.offsetMs,     &r.score};
  for (double* v : figures)
    if (!w.open() || !w.figure<kValues>(*v) || !w.close(false)) return false;
  double s = 0;
  if (!w.open() || !w.figure<kValues>(s) || !w.close(true)) return false;
  if constexpr (kValues) {
    const float level = static_cast<float>(s);
    r.sLevel = level >= 0 && level < 10 ? static_cast<int>(level) : 0;
  }
  return true;
}

}  // namespace

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

std::string isoUtc(SysTime t) {
  return isoUtcText(std::chrono::floor<std::chrono::seconds>(t).time_since_epoch().count());
}

bool parseIsoUtc(std::string_view t, std::int64_t& out) {
  // The written form, "2026-12-07T08:00:10Z", without the general checks.
  if (t.size() == 20 && t[4] == '-' && t[7] == '-' && t[10] == 'T' && t[13] == ':' && t[16] == ':' &&
      t[19] == 'Z') {
    int y, mo, d, h, mi, s;
    // A log holds thousands of slots of one day: the day of the last date is kept.
    thread_local std::uint64_t lastDate8 = 0;
    thread_local std::uint16_t lastDate2 = 0;
    thread_local std::int64_t lastDays = 0;
    std::uint64_t date8;
    std::uint16_t date2;
    std::memcpy(&date8, t.data(), 8);
    std::memcpy(&date2, t.data() + 8, 2);
    if (date8 == lastDate8 && date2 == lastDate2 && date8 != 0 && digitsAt(t, 11, 2, h) && digitsAt(t, 14, 2, mi) &&
        digitsAt(t, 17, 2, s) && h <= 23 && mi <= 59 && s <= 60) {
      out = lastDays * 86400 + h * 3600 + mi * 60 + s;
      return true;
    }
    if (digitsAt(t, 0, 4, y) && digitsAt(t, 5, 2, mo) && digitsAt(t, 8, 2, d) && digitsAt(t, 11, 2, h) &&
        digitsAt(t, 14, 2, mi) && digitsAt(t, 17, 2, s) && mo >= 1 && mo <= 12 && d >= 1 && h <= 23 && mi <= 59 &&
        s <= 60) {
      if (d > daysInMonth(y, mo)) return false;
      const std::int64_t days = daysSinceEpoch(y, mo, d);
      lastDate8 = date8;
      lastDate2 = date2;
      lastDays = days;
      out = days * 86400 + h * 3600 + mi * 60 + s;
      return true;
    }
  }
  t = trimField(t);
  int y, mo, d, h, mi, s;
  if (t.size() < 19 || !digitsAt(t, 0, 4, y) || t[4] != '-' || !digitsAt(t, 5, 2, mo) || t[7] != '-' ||
      !digitsAt(t, 8, 2, d) || (t[10] != 'T' && t[10] != ' ') || !digitsAt(t, 11, 2, h) || t[13] != ':' ||
      !digitsAt(t, 14, 2, mi) || t[16] != ':' || !digitsAt(t, 17, 2, s))
    return false;
  std::size_t i = 19;
  if (i < t.size() && (t[i] == '.' || t[i] == ',')) {
    ++i;
    const std::size_t first = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    if (i == first) return false;
  }
  const std::string_view zone = t.substr(i);
  if (!(zone.empty() || zone == "Z" || zone == "+00:00" || zone == "+0000" || zone == "-00:00")) return false;
  using namespace std::chrono;
  const year_month_day ymd{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
  if (!ymd.ok() || h > 23 || mi > 59 || s > 60) return false;
  out = sys_days{ymd}.time_since_epoch().count() * std::int64_t{86400} + h * 3600 + mi * 60 + s;
  return true;
}

bool sysTimeOfUtc(std::int64_t utcSeconds, SysTime& out) {
  // The clock counts finer than seconds in 64 bits, so its range ends in the year 2262.
  constexpr std::int64_t kMax = std::chrono::duration_cast<std::chrono::seconds>(SysTime::duration::max()).count();
  if (utcSeconds > kMax || utcSeconds < -kMax) return false;
  out = SysTime{std::chrono::seconds{utcSeconds}};
  return true;
}

bool parseIsoUtc(std::string_view text, SysTime& out) {
  std::int64_t utc = 0;
  return parseIsoUtc(text, utc) && sysTimeOfUtc(utc, out);
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

std::size_t splitRecordFields(std::string_view line, std::string_view* fields, std::size_t maxFields) {
  const std::size_t size = line.size();
  std::size_t n = 0, i = 0;
  for (;;) {
    while (i < size && line[i] == ' ') ++i;
    std::size_t begin = i, end;
    if (i < size && line[i] == '"') {
      begin = ++i;
      while (i < size && line[i] != '"') ++i;
      end = i;
      while (i < size && line[i] != ',') ++i;  // what follows the closing quote
    } else {
      while (i < size && line[i] != ',') ++i;
      end = i;
    }
    if (n < maxFields) fields[n] = line.substr(begin, end - begin);
    ++n;
    if (i >= size) break;
    ++i;  // past the comma
  }
  return n;
}

bool scanSlotLogLine(std::string_view line, SlotLogRecord& out) {
  return readWrittenLine<false>(line, out) || parseSlotLogLine(line, out);
}

bool parseSlotLogLine(std::string_view line, SlotLogRecord& out) {
  if (readWrittenLine<true>(line, out)) return true;
  std::string_view f[14];
  if (splitRecordFields(line, f, 14) < 14) return false;
  SlotLogRecord r;
  int mhz = 0, heard = 0;
  if (!parseIsoUtc(f[0], r.startUtc) || !parseWholeNumber(f[1], mhz) || (r.band = bandFromMHz(mhz)) < 0) return false;
  if (!parseWholeNumber(f[2], r.beacon) || r.beacon < 1 || r.beacon > 18) return false;
  if (!parseWholeNumber(f[4], heard) || (heard != 0 && heard != 1)) return false;
  r.heard = heard == 1;
  if (!trimField(f[5]).empty() && (!parseWholeNumber(f[5], r.dashes) || r.dashes < 0 || r.dashes > 4)) return false;
  for (std::size_t k = 0; k < 4; ++k)
    if (!parseFigure(f[6 + k], r.dashSnrDb[k])) return false;
  double s = 0;
  if (!parseFigure(f[10], r.toneHz) || !parseFigure(f[11], r.offsetMs) || !parseFigure(f[12], r.score) ||
      !parseFigure(f[13], s))
    return false;
  // The S level as the grid keeps it: a float, cut to a whole number.
  const float level = static_cast<float>(s);
  r.sLevel = level >= 0 && level < 10 ? static_cast<int>(level) : 0;
  r.callsign = f[3];
  out = r;
  return true;
}

SlotLogContents readSlotLog(const std::string& text) {
  SlotLogContents out;
  std::size_t pos = 0;
  int lineNo = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size();
    std::string_view line(text.data() + pos, nl - pos);
    pos = nl + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (trimField(line).empty()) continue;
    SlotLogRecord r;
    SlotMeasurement m;
    if (!parseSlotLogLine(line, r) || !sysTimeOfUtc(r.startUtc, m.slot.start)) {
      out.badLines.push_back(lineNo);
      continue;
    }
    m.slot.band = r.band;
    m.slot.beacon = r.beacon;
    m.callsign = std::string(r.callsign);
    m.heard = r.heard;
    m.dashes = r.dashes;
    for (std::size_t k = 0; k < 4; ++k)
      if (!std::isnan(r.dashSnrDb[k])) m.dashSnrDb[k] = r.dashSnrDb[k];
    auto known = [](double v) { return std::isnan(v) ? 0.0 : v; };
    m.toneHz = known(r.toneHz);
    m.offsetMs = known(r.offsetMs);
    m.score = known(r.score);
    m.sLevel = r.sLevel;
    out.records.push_back(std::move(m));
  }
  return out;
}

}  // namespace harkola
