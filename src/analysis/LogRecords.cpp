#include "analysis/LogRecords.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

#include "common/Bands.h"
#include "common/LocalTime.h"

namespace harkola {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\0'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

double numberKey(std::string_view s) {
  s = trimmed(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return 0;
  return v;
}

int hourSlotOf(std::string_view s) {
  if (s.empty() || s.size() > 2 || (s.size() == 2 && s[0] == '0')) return -1;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v <= 23 ? v : -1;
}

int bandIndexOf(std::string_view s) { return bandFromText(s); }

// One field of the image starting at pos (which is moved past it and its comma).
// Returns false when only blanks and line ends remain.
bool nextField(std::string_view img, std::size_t& pos, FieldSpan& out) {
  const std::size_t n = img.size();
  while (pos < n && (isBlank(img[pos]) || isLineEnd(img[pos]))) ++pos;
  if (pos >= n) return false;
  std::size_t start, end;
  if (img[pos] == '"') {
    start = ++pos;
    while (pos < n && img[pos] != '"' && !isLineEnd(img[pos])) ++pos;
    end = pos;
    while (pos < n && img[pos] != ',' && !isLineEnd(img[pos])) ++pos;  // text after the quote
  } else {
    start = pos;
    while (pos < n && img[pos] != ',' && !isLineEnd(img[pos])) ++pos;
    end = pos;
    while (end > start && isBlank(img[end - 1])) --end;
  }
  if (pos < n && img[pos] == ',') ++pos;
  out = FieldSpan{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end - start)};
  return true;
}

}  // namespace

std::int32_t sLevelOf(std::string_view text) {
  std::string_view s = trimmed(text);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return kNoSLevel;
  std::int64_t whole = 0;
  std::size_t i = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    whole = whole * 10 + (s[i] - '0');
    if (whole > 100000) return kNoSLevel;
  }
  const bool hadDigits = i > 0;
  int firstFraction = -1;  // first fraction digit, and whether any later digit is non-zero
  bool restNonZero = false;
  if (i < s.size() && s[i] == '.') {
    ++i;
    const std::size_t f0 = i;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
      if (i == f0)
        firstFraction = s[i] - '0';
      else if (s[i] != '0')
        restNonZero = true;
    }
    if (!hadDigits && i == f0) return kNoSLevel;
  } else if (!hadDigits) {
    return kNoSLevel;
  }
  if (i != s.size()) return kNoSLevel;
  // Round half to even on the magnitude (symmetric, as the sign is applied after).
  if (firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 == 1))) ++whole;
  const std::int64_t v = negative ? -whole : whole;
  if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
    return kNoSLevel;
  return static_cast<std::int32_t>(v);
}

std::array<std::string, 5> LogData::cells(std::size_t row) const {
  const LogRecord& r = records[row];
  return {shortDateText(dateOfSerial(r.day)), std::string(text(r.hour)), std::string(text(r.band)),
          std::string(text(r.callsign)), std::string(text(r.sText))};
}

std::vector<int> LogData::months() const {
  std::vector<int> list;
  if (records.empty()) return list;
  const LogDate first = dateOfSerial(records.front().day);
  const LogDate last = dateOfSerial(records.back().day);
  const long span = (static_cast<long>(last.year) * 12 + last.month) -
                    (static_cast<long>(first.year) * 12 + first.month) + 1;
  const long count = std::clamp(span, 1L, 12L);
  for (long k = 0; k < count; ++k) list.push_back(static_cast<int>((first.month - 1 + k) % 12) + 1);
  return list;
}

long LogData::callsignIdOf(std::string_view callsign) const {
  std::string key(callsign);
  for (char& c : key) c = upper(c);
  for (std::size_t i = 0; i < callsigns.size(); ++i)
    if (callsigns[i] == key) return static_cast<long>(i);
  return -1;
}

LogLoader::LogLoader(std::string image) {
  m_data.image = std::move(image);
  const std::string_view img = m_data.image;
  if (img.size() >= std::numeric_limits<std::uint32_t>::max()) {
    m_state = State::Failed;
    return;
  }
  // Non-blank lines (CR, LF and CR LF all end a line).
  bool content = false;
  for (const char c : img) {
    if (isLineEnd(c)) {
      m_lineCount += content;
      content = false;
    } else if (!isBlank(c)) {
      content = true;
    }
  }
  m_lineCount += content;
  // Probe: is the first field a date?
  std::size_t probe = 0;
  FieldSpan first;
  if (!nextField(img, probe, first)) {
    m_state = State::Failed;  // an empty file
    return;
  }
  LogDate d;
  m_fieldPath = parseLogDate(m_data.text(first), d);
  m_data.records.reserve(m_lineCount);
}

std::uint32_t LogLoader::internCallsign(std::string_view cs) {
  m_key.assign(cs);
  for (char& c : m_key) c = upper(c);
  const auto [it, added] =
      m_callsignIndex.try_emplace(m_key, static_cast<std::uint32_t>(m_data.callsigns.size()));
  if (added) m_data.callsigns.push_back(m_key);
  return it->second;
}

bool LogLoader::fillRecord(LogRecord& r, std::string_view date) {
  if (date != m_lastDate || m_lastMonth == 0) {
    LogDate d;
    if (!parseLogDate(date, d)) return false;
    m_lastDate.assign(date);
    m_lastSerial = daySerial(d);
    m_lastMonth = static_cast<std::uint8_t>(d.month);
  }
  r.day = m_lastSerial;
  r.month = m_lastMonth;
  const std::string_view hour = m_data.text(r.hour), band = m_data.text(r.band);
  r.hourKey = numberKey(hour);
  r.bandKey = numberKey(band);
  r.hourSlot = static_cast<std::int8_t>(hourSlotOf(hour));
  r.bandIndex = static_cast<std::int8_t>(bandIndexOf(band));
  r.sLevel = sLevelOf(m_data.text(r.sText));
  r.callsignId = internCallsign(m_data.text(r.callsign));
  return true;
}

bool LogLoader::readFieldRecord() {
  const std::string_view img = m_data.image;
  FieldSpan date;
  LogRecord r;
  if (!nextField(img, m_pos, date) || !nextField(img, m_pos, r.hour) ||
      !nextField(img, m_pos, r.band) || !nextField(img, m_pos, r.callsign) ||
      !nextField(img, m_pos, r.sText))
    return false;  // the file ends inside a record
  if (!fillRecord(r, m_data.text(date))) return false;
  m_data.records.push_back(r);
  return true;
}

bool LogLoader::readLineRecord() {
  const std::string_view img = m_data.image;
  const std::size_t n = img.size();
  // The next non-blank line.
  std::size_t start = m_pos, end = m_pos;
  for (;;) {
    end = start;
    while (end < n && !isLineEnd(img[end])) ++end;
    if (!trimmed(img.substr(start, end - start)).empty()) break;
    if (end >= n) return false;
    start = end + 1;
  }
  m_pos = end + 1;
  FieldSpan f[5];
  std::size_t p = start;
  for (int k = 0; k < 5; ++k) {
    if (p > end) return false;  // fewer than five fields
    std::size_t q = p;
    while (q < end && img[q] != ',') ++q;
    f[k] = FieldSpan{static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(q - p)};
    p = q + 1;
  }
  LogRecord r;
  r.hour = f[1];
  r.band = f[2];
  r.callsign = f[3];
  r.sText = f[4];
  if (!fillRecord(r, m_data.text(f[0]))) return false;
  m_data.records.push_back(r);
  return true;
}

static bool onlyBlanksFrom(std::string_view img, std::size_t pos) {
  for (; pos < img.size(); ++pos)
    if (!isBlank(img[pos]) && !isLineEnd(img[pos])) return false;
  return true;
}

LogLoader::State LogLoader::step(std::size_t maxRecords) {
  if (m_state != State::Running) return m_state;
  for (std::size_t k = 0; k < maxRecords; ++k) {
    if (onlyBlanksFrom(m_data.image, m_pos)) {
      finish();
      return m_state;
    }
    const std::size_t recordStart = m_pos;
    if (!(m_fieldPath ? readFieldRecord() : readLineRecord())) {
      fail(recordStart);
      return m_state;
    }
  }
  return m_state;
}

void LogLoader::fail(std::size_t recordStart) {
  const std::string_view img = m_data.image;
  std::size_t pos = std::min(recordStart, img.size());
  while (pos < img.size() && (isBlank(img[pos]) || isLineEnd(img[pos]))) ++pos;
  std::size_t line = 1;
  for (std::size_t k = 0; k < pos; ++k)
    if (img[k] == '\n' || (img[k] == '\r' && (k + 1 >= img.size() || img[k + 1] != '\n'))) ++line;
  std::size_t lineEnd = pos;
  while (lineEnd < img.size() && !isLineEnd(img[lineEnd])) ++lineEnd;
  constexpr std::size_t kShown = 80;
  std::string_view text = trimmed(img.substr(pos, lineEnd - pos));
  m_failedText.assign(text.substr(0, kShown));
  if (text.size() > kShown) m_failedText += "...";
  m_failedLine = line;
  m_state = State::Failed;
  m_data = LogData{};
}

std::string LogLoader::failureMessage() const {
  std::string msg = kFormatUnsuitableMessage;
  if (m_failedLine == 0) return msg;
  return msg + "\n\nLine " + std::to_string(m_failedLine) + " could not be read as a heard-log record:\n" +
         m_failedText;
}

void LogLoader::finish() {
  auto& recs = m_data.records;
  std::stable_sort(recs.begin(), recs.end(), [](const LogRecord& a, const LogRecord& b) {
    if (a.day != b.day) return a.day < b.day;
    if (a.hourKey != b.hourKey) return a.hourKey < b.hourKey;
    return a.bandKey < b.bandKey;
  });
  m_callsignIndex = {};
  m_state = recs.empty() ? State::Failed : State::Done;
}

bool loadLog(std::string image, LogData& data) {
  LogLoader loader(std::move(image));
  while (loader.step(std::numeric_limits<std::size_t>::max()) == LogLoader::State::Running) {
  }
  if (loader.state() != LogLoader::State::Done) {
    data = LogData{};
    return false;
  }
  data = loader.take();
  return true;
}

bool readLogFile(const std::filesystem::path& path, std::string& image) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) return false;
  in.seekg(0, std::ios::beg);
  image.resize(static_cast<std::size_t>(size));
  in.read(image.data(), size);
  return static_cast<bool>(in) || in.gcount() == size;
}

}  // namespace harkola
