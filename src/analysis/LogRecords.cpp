#include "analysis/LogRecords.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <numeric>

#include "common/Bands.h"

namespace harkola {

namespace {

constexpr std::array<int, kBandCount> kBandKeys = [] {
  std::array<int, kBandCount> keys{};
  for (const auto& b : kBands) keys[static_cast<std::size_t>(b.index)] = b.text[0] << 8 | b.text[1];
  return keys;
}();
static_assert([] {
  for (const auto& b : kBands)
    if (std::string_view(b.text).size() != 2) return false;
  return true;
}());

// Behind the data of a block: line ends, so that scans for a field's end stop there
// without a bound check, and room for reading a field eight bytes at a time.
constexpr std::size_t kPad = 16;
// The largest block read from a file at once.
constexpr std::size_t kMaxFileBlock = std::size_t{16} << 20;

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

[[gnu::always_inline]] inline int hourSlotOf(std::string_view s) {
  if (s.empty() || s.size() > 2 || (s.size() == 2 && s[0] == '0')) return -1;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v <= 23 ? v : -1;
}

[[gnu::always_inline]] inline std::uint64_t load8(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

// Bit 7 of the lowest byte of `w` that equals `c` (and possibly of higher bytes).
[[gnu::always_inline]] inline std::uint64_t bytesEqual(std::uint64_t w, char c) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  const std::uint64_t v = w ^ (kOnes * static_cast<unsigned char>(c));
  return (v - kOnes) & ~v & (kOnes * 0x80);
}

// The first '"', CR or LF at or after p (the block's line ends stop the scan).
[[gnu::always_inline]] inline std::size_t findQuoteOrLineEnd(const char* s, std::size_t p) {
  if constexpr (std::endian::native == std::endian::little) {
    for (;; p += 8) {
      const std::uint64_t w = load8(s + p);
      const std::uint64_t m = bytesEqual(w, '"') | bytesEqual(w, '\r') | bytesEqual(w, '\n');
      if (m) return p + static_cast<std::size_t>(std::countr_zero(m) >> 3);
    }
  } else {
    while (s[p] != '"' && !isLineEnd(s[p])) ++p;
    return p;
  }
}

[[gnu::always_inline]] inline std::size_t findCommaOrLineEnd(const char* s, std::size_t p) {
  while (s[p] != ',' && !isLineEnd(s[p])) ++p;
  return p;
}

// Skips blanks and line ends up to n, counting the lines; false when only those remain.
[[gnu::always_inline]] inline bool skipToField(const char* s, std::size_t& p, std::size_t n, auto& lines) {
  for (; p < n; ++p) {
    const char c = s[p];
    if (c == '\n') {
      lines.lineEnd();
    } else if (c == '\r') {
      if (p + 1 < n && s[p + 1] == '\n') ++p;
      lines.lineEnd();
    } else if (!isBlank(c)) {
      return true;
    }
  }
  return false;
}

// Positions of the ranks of the texts' numeric values: equal values share a rank.
std::vector<std::uint32_t> numericRanks(const TextTable& t) {
  std::vector<std::pair<double, std::uint32_t>> keyed(t.size());
  for (std::uint32_t i = 0; i < t.size(); ++i) keyed[i] = {numberKey(t.text(i)), i};
  std::sort(keyed.begin(), keyed.end());
  std::vector<std::uint32_t> rank(t.size());
  std::uint32_t r = 0;
  for (std::size_t i = 0; i < keyed.size(); ++i) {
    if (i && keyed[i].first != keyed[i - 1].first) ++r;
    rank[keyed[i].second] = r;
  }
  return rank;
}

// Sorts by date, hour and band, each as a number, keeping the file order of equal
// keys. Logs are written in time order, so the days are usually in order already and
// only the records of each day need sorting.
void sortRecords(LogData& d) {
  auto& recs = d.records;
  const std::vector<std::uint32_t> hourRank = numericRanks(d.hours), bandRank = numericRanks(d.bands);
  const std::uint64_t bandRanks = bandRank.empty() ? 1 : *std::max_element(bandRank.begin(), bandRank.end()) + 1;
  const std::uint64_t hourRanks = hourRank.empty() ? 1 : *std::max_element(hourRank.begin(), hourRank.end()) + 1;
  auto day = [](std::uint64_t r) { return r >> packed::kDayShift; };
  auto within = [&](std::uint64_t r) {
    LogFields f;
    if (r & packed::kWide) {
      const auto& w = d.wide[static_cast<std::size_t>(r & packed::kWideIndex)];
      f.hour = w[0];
      f.band = w[1];
    } else {
      f.hour = static_cast<std::uint32_t>(r >> 31) & 0xFF;
      f.band = static_cast<std::uint32_t>(r >> 27) & 0xF;
    }
    return std::uint64_t{hourRank[f.hour]} * bandRanks + bandRank[f.band];
  };
  auto before = [&](std::uint64_t a, std::uint64_t b) {
    return day(a) != day(b) ? day(a) < day(b) : within(a) < within(b);
  };

  const std::size_t buckets = hourRanks * bandRanks <= 4096 ? static_cast<std::size_t>(hourRanks * bandRanks) : 0;
  std::vector<std::uint32_t> count(buckets + 1);
  std::vector<std::uint64_t> spare;
  bool daysInOrder = true;
  for (std::size_t a = 0, b; a < recs.size(); a = b) {
    b = a + 1;
    bool inOrder = true;
    for (; b < recs.size() && day(recs[b]) == day(recs[a]); ++b)
      if (inOrder && within(recs[b]) < within(recs[b - 1])) inOrder = false;
    if (b < recs.size() && day(recs[b]) < day(recs[a])) daysInOrder = false;
    if (inOrder) continue;
    if (buckets == 0) {
      std::stable_sort(recs.begin() + static_cast<std::ptrdiff_t>(a), recs.begin() + static_cast<std::ptrdiff_t>(b),
                       before);
      continue;
    }
    // Counting sort of the day's records by hour and band.
    std::fill(count.begin(), count.end(), 0);
    for (std::size_t i = a; i < b; ++i) ++count[within(recs[i]) + 1];
    std::partial_sum(count.begin(), count.end(), count.begin());
    spare.resize(b - a);
    for (std::size_t i = a; i < b; ++i) spare[count[within(recs[i])]++] = recs[i];
    std::copy(spare.begin(), spare.end(), recs.begin() + static_cast<std::ptrdiff_t>(a));
  }
  if (!daysInOrder) std::stable_sort(recs.begin(), recs.end(), before);
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

// ---- TextTable ------------------------------------------------------------------------

namespace {
std::uint64_t textHash(std::string_view t) {
  std::uint64_t h = 1469598103934665603ULL;
  for (const char c : t) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  return h ^ (h >> 29);
}
}  // namespace

std::uint32_t TextTable::intern(std::string_view t) {
  if (m_slots.empty()) rehash(64);
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = static_cast<std::size_t>(textHash(t)) & mask;
  for (; m_slots[i]; i = (i + 1) & mask)
    if (text(m_slots[i] - 1) == t) return m_slots[i] - 1;
  const std::uint32_t id = size();
  m_pool.append(t);
  m_start.push_back(static_cast<std::uint32_t>(m_pool.size()));
  m_slots[i] = id + 1;
  if (2 * std::size_t{size()} > m_slots.size()) rehash(2 * m_slots.size());
  return id;
}

void TextTable::rehash(std::size_t slots) {
  m_slots.assign(slots, 0);
  for (std::uint32_t id = 0; id < size(); ++id) {
    std::size_t i = static_cast<std::size_t>(textHash(text(id))) & (slots - 1);
    while (m_slots[i]) i = (i + 1) & (slots - 1);
    m_slots[i] = id + 1;
  }
}

// ---- LogData --------------------------------------------------------------------------

std::string LogData::cell(std::size_t row, int column) const {
  const LogFields f = fields(row);
  switch (column) {
    case 0: return shortDateText(dateOfSerial(f.day));
    case 1: return std::string(hours.text(f.hour));
    case 2: return std::string(bands.text(f.band));
    case 3: return std::string(callsignTexts.text(f.callsign));
    default: return std::string(sTexts.text(f.sLevel));
  }
}

std::array<std::string, 5> LogData::cells(std::size_t row) const {
  return {cell(row, 0), cell(row, 1), cell(row, 2), cell(row, 3), cell(row, 4)};
}

std::vector<int> LogData::months() const {
  std::vector<int> list;
  if (records.empty()) return list;
  const LogDate first = dateOfSerial(fields(0).day);
  const LogDate last = dateOfSerial(fields(records.size() - 1).day);
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

// ---- LogLoader ------------------------------------------------------------------------

LogLoader::LogLoader(std::string image, std::size_t blockBytes)
    : m_image(std::move(image)), m_block(std::max<std::size_t>(blockBytes, 1)), m_total(m_image.size()) {
  if (m_image.size() >= kMaxLogBytes) m_state = State::Failed;
}

LogLoader::LogLoader(const std::filesystem::path& path, std::size_t blockBytes)
    : m_block(std::max<std::size_t>(blockBytes, 1)) {
  auto refuse = [&](const char* why) {
    m_openError = path.string() + why;
    m_state = State::Failed;
  };
  std::error_code ec;
  // Only regular files: the end of a folder or a device is no size to go by.
  if (!std::filesystem::is_regular_file(path, ec)) {
    refuse(std::filesystem::exists(path, ec) ? " is not a file." : " does not exist.");
    return;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size >= kMaxLogBytes) {
    refuse(ec ? " cannot be read." : " is too large for a heard log.");
    return;
  }
  m_file = std::fopen(path.c_str(), "rb");
  if (!m_file) {
    refuse(" cannot be read.");
    return;
  }
  std::setvbuf(m_file, nullptr, _IONBF, 0);  // blocks go straight into m_buf
  m_total = size;
  m_path = path.string();
}

LogLoader::~LogLoader() {
  if (m_file) std::fclose(m_file);
}

std::size_t LogLoader::readSource(char* to, std::size_t n) {
  if (!m_file) {
    const std::size_t got = std::min(n, m_image.size() - m_imageRead);
    std::memcpy(to, m_image.data() + m_imageRead, got);
    m_imageRead += got;
    return got;
  }
  const std::size_t got = std::fread(to, 1, n, m_file);
  if (got < n && std::ferror(m_file)) {
    m_openError = m_path + " cannot be read.";
    m_state = State::Failed;
    m_data = LogData{};
    return 0;
  }
  return got;
}

// Drops what has been read (before m_pos) and reads on until the block holds a line
// end past those it held, or the source ends. False when nothing more was read.
bool LogLoader::refill() {
  if (m_eof) return false;
  const std::size_t kept = m_end - m_pos;
  const std::size_t oldLimit = m_limit - m_pos;
  if (kept) std::memmove(m_buf.data(), m_buf.data() + m_pos, kept);
  m_base += m_pos;
  m_pos = 0;
  m_end = kept;
  m_limit = 0;
  for (;;) {
    const std::size_t want = std::min(m_block, m_file ? kMaxFileBlock : m_image.size() - m_imageRead);
    if (m_buf.size() < m_end + want + kPad) m_buf.resize(m_end + want + kPad);
    const std::size_t got = want ? readSource(m_buf.data() + m_end, want) : 0;
    if (m_state == State::Failed) return false;
    m_end += got;
    if (got == 0) {
      m_eof = true;
      if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
      }
      m_limit = m_end;
      break;
    }
    // The last line end whose line is known to be over: a CR at the very end may
    // still be followed by its LF.
    std::size_t k = m_end;
    while (k > oldLimit && !(m_buf[k - 1] == '\n' || (m_buf[k - 1] == '\r' && k < m_end))) --k;
    if (k > oldLimit) {
      m_limit = k;
      break;
    }
  }
  std::fill(m_buf.begin() + static_cast<std::ptrdiff_t>(m_end),
            m_buf.begin() + static_cast<std::ptrdiff_t>(m_end + kPad), '\n');
  return true;
}

// Reads the file's first field: is it a date? False while more must be read.
bool LogLoader::probe() {
  std::size_t p = m_pos;
  LineTally ignored;
  if (!skipToField(m_buf.data(), p, m_limit, ignored)) {
    if (!atEnd()) return false;
    m_state = State::Failed;  // an empty file
    return true;
  }
  const char* s = m_buf.data();
  std::size_t b = p, e;
  if (s[p] == '"') {
    b = p + 1;
    e = findQuoteOrLineEnd(s, b);
  } else {
    e = findCommaOrLineEnd(s, p);
    while (e > b && isBlank(s[e - 1])) --e;
  }
  LogDate d;
  m_fieldPath = parseLogDate(std::string_view(s + b, e - b), d);
  m_probed = true;
  return true;
}

LogLoader::State LogLoader::step(std::size_t maxRecords) {
  if (m_state != State::Running) return m_state;
  if (m_counting) {
    countRest(maxRecords > std::numeric_limits<std::size_t>::max() / 64 ? maxRecords : maxRecords * 64);
    return m_state;
  }
  while (!m_probed) {
    if (probe()) {
      if (m_state != State::Running) return m_state;
    } else if (!refill()) {
      return m_state;
    }
  }
  for (std::size_t done = 0; done < maxRecords && m_state == State::Running && !m_counting;) {
    const std::size_t start = m_pos;
    const LineTally lines = m_lines;
    switch (m_fieldPath ? parseFieldRecord() : parseLineRecord()) {
      case Parse::Ok:
        ++done;
        break;
      case Parse::More:  // the record goes on behind the block: read it again
        m_pos = start;
        m_lines = lines;
        refill();
        break;
      case Parse::End:
        finish();
        break;
      case Parse::Bad:
        fail();
        break;
    }
  }
  return m_state;
}

LogLoader::Parse LogLoader::parseFieldRecord() {
  const char* s = m_buf.data();
  const std::size_t n = m_limit;
  std::size_t p = m_pos;
  Span f[5];
  for (int k = 0; k < 5; ++k) {
    if (!skipToField(s, p, n, m_lines)) {
      if (!atEnd()) return Parse::More;
      m_pos = p;
      return k == 0 ? Parse::End : Parse::Bad;  // else the file ends inside a record
    }
    if (k == 0) {
      m_recordLine = m_lines.breaks + 1;
      m_recordText = p;
    }
    m_lines.lineHasContent = true;
    if (s[p] == '"') {
      f[k].begin = ++p;
      p = findQuoteOrLineEnd(s, p);
      f[k].end = p;
      p = findCommaOrLineEnd(s, p);  // text after the closing quote is ignored
    } else {
      f[k].begin = p;
      p = findCommaOrLineEnd(s, p);
      std::size_t e = p;
      while (e > f[k].begin && isBlank(s[e - 1])) --e;
      f[k].end = e;
    }
    if (s[p] == ',') ++p;
  }
  m_pos = p;
  return store(f) ? Parse::Ok : Parse::Bad;
}

LogLoader::Parse LogLoader::parseLineRecord() {
  const char* s = m_buf.data();
  const std::size_t n = m_limit;
  std::size_t p = m_pos, lineStart = p;
  for (;; ++p) {
    if (p >= n) {
      if (!atEnd()) return Parse::More;
      m_pos = p;
      return Parse::End;
    }
    const char c = s[p];
    if (c == '\n' || c == '\r') {
      if (c == '\r' && p + 1 < n && s[p + 1] == '\n') ++p;
      m_lines.lineEnd();
      lineStart = p + 1;
    } else if (!isBlank(c)) {
      break;
    }
  }
  m_recordLine = m_lines.breaks + 1;
  m_recordText = p;
  m_lines.lineHasContent = true;
  std::size_t end = p;
  while (!isLineEnd(s[end])) ++end;
  m_pos = end;
  Span f[5];
  std::size_t q = lineStart;
  for (int k = 0; k < 5; ++k) {
    if (q > end) return Parse::Bad;  // fewer than five fields
    const void* comma = std::memchr(s + q, ',', end - q);
    const std::size_t e = comma ? static_cast<std::size_t>(static_cast<const char*>(comma) - s) : end;
    f[k] = Span{q, e};
    q = e + 1;
  }
  return store(f) ? Parse::Ok : Parse::Bad;
}

std::uint32_t LogLoader::callsignId(std::size_t begin, std::size_t length) {
  const char* s = m_buf.data() + begin;
  std::uint64_t word = 0;
  CallsignSlot* slot = nullptr;
  if (length <= 8) {
    word = load8(s) & (length == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * length)) - 1);
    slot = &m_callsignCache[((word ^ length) * 0x9E3779B97F4A7C15ULL) >> 56];
    if (slot->length == length + 1 && slot->word == word) return slot->id;
  }
  const std::string_view text(s, length);
  const std::uint32_t id = m_data.callsignTexts.intern(text);
  if (id == m_data.callsignGroup.size()) {  // a new spelling: which callsign is it?
    std::string key(text);
    for (char& c : key) c = upper(c);
    const auto [it, added] = m_groupOf.try_emplace(key, static_cast<std::uint32_t>(m_data.callsigns.size()));
    if (added) m_data.callsigns.push_back(key);
    m_data.callsignGroup.push_back(it->second);
  }
  if (slot) *slot = CallsignSlot{word, static_cast<std::uint32_t>(length + 1), id};
  return id;
}

bool LogLoader::store(const Span (&f)[5]) {
  const char* s = m_buf.data();
  auto text = [s](const Span& x) { return std::string_view(s + x.begin, x.end - x.begin); };
  // Records come in runs of one date: compare with the last one, sixteen bytes at once.
  const std::size_t dateLength = f[0].end - f[0].begin;
  const std::uint64_t w0 = load8(s + f[0].begin), w1 = load8(s + f[0].begin + 8);
  auto masked = [](std::uint64_t w, std::size_t bytes) {
    return bytes >= 8 ? w : w & ((std::uint64_t{1} << (8 * bytes)) - 1);
  };
  const bool sameDate = m_haveDate && dateLength <= 16 && dateLength == m_lastDateLength &&
                        masked(w0, dateLength) == m_lastDateWords[0] &&
                        masked(w1, dateLength > 8 ? dateLength - 8 : 0) == m_lastDateWords[1];
  if (!sameDate) {
    LogDate d;
    if (!parseLogDate(text(f[0]), d)) return false;
    m_lastSerial = daySerial(d);
    m_haveDate = dateLength <= 16;
    m_lastDateLength = dateLength;
    m_lastDateWords = {masked(w0, dateLength), masked(w1, dateLength > 8 ? dateLength - 8 : 0)};
  }
  LogData& d = m_data;
  if (d.hours.size() == 0) {  // the usual texts get the numbers of their values
    for (int h = 0; h < 24; ++h) d.hours.intern(std::to_string(h));
    for (const auto& b : kBands) d.bands.intern(b.text);
    for (int v = 0; v < 10; ++v) d.sTexts.intern(std::to_string(v));
  }
  const std::string_view hour = text(f[1]), band = text(f[2]), sText = text(f[4]);
  const int slot = hourSlotOf(hour);
  const std::uint32_t h = slot >= 0 ? static_cast<std::uint32_t>(slot) : d.hours.intern(hour);
  // bandFromText() without its string comparisons: every band's text has two characters.
  int bandIndex = -1;
  if (band.size() == 2) {
    const int key = band[0] << 8 | band[1];
    for (int i = 0; i < kBandCount; ++i)
      if (key == kBandKeys[static_cast<std::size_t>(i)]) bandIndex = i;
  }
  const std::uint32_t b = bandIndex >= 0 ? static_cast<std::uint32_t>(bandIndex) : d.bands.intern(band);
  const std::uint32_t v =
      sText.size() == 1 && sText[0] >= '0' && sText[0] <= '9' ? static_cast<std::uint32_t>(sText[0] - '0')
                                                              : d.sTexts.intern(sText);
  const std::uint32_t c = callsignId(f[3].begin, f[3].end - f[3].begin);
  std::uint64_t r = static_cast<std::uint64_t>(m_lastSerial + packed::kDayBias) << packed::kDayShift;
  if (h < 256 && b < 16 && v < 256 && c < (1u << 19)) {
    r |= std::uint64_t{h} << 31 | std::uint64_t{b} << 27 | std::uint64_t{v} << 19 | c;
  } else {
    r |= packed::kWide | d.wide.size();
    d.wide.push_back({h, b, c, v});
  }
  if (d.records.capacity() == 0) {
    // Room for as many records as the file could hold (a record takes at least ten
    // bytes): pages never written cost no memory, and the vector never moves.
    d.records.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(m_total / 10 + 16, 1u << 28)));
  }
  d.records.push_back(r);
  return true;
}

void LogLoader::fail() {
  const char* s = m_buf.data();
  std::size_t end = m_recordText;
  while (!isLineEnd(s[end])) ++end;
  constexpr std::size_t kShown = 80;
  const std::string_view text = trimmed(std::string_view(s + m_recordText, end - m_recordText));
  m_failedText.assign(text.substr(0, kShown));
  if (text.size() > kShown) m_failedText += "...";
  m_failedLine = m_recordLine;
  m_data = LogData{};
  m_counting = true;  // the lines of the rest still count towards lineCount()
  countRest(0);
}

// Counts the lines from m_pos on, about `maxBytes` of them (0: only what the block holds).
void LogLoader::countRest(std::size_t maxBytes) {
  for (;;) {
    const char* s = m_buf.data();
    const std::size_t n = m_limit;
    for (std::size_t p = m_pos; p < n; ++p) {
      const char c = s[p];
      if (c == '\n' || (c == '\r' && !(p + 1 < n && s[p + 1] == '\n')))
        m_lines.lineEnd();
      else if (!isBlank(c) && c != '\r')
        m_lines.lineHasContent = true;
    }
    maxBytes -= std::min(maxBytes, n - m_pos);
    m_pos = n;
    if (atEnd()) {
      m_counting = false;
      m_state = State::Failed;
      return;
    }
    if (maxBytes == 0 || !refill()) return;
  }
}

void LogLoader::finish() {
  LogData& d = m_data;
  d.hourSlot.resize(d.hours.size());
  for (std::uint32_t i = 0; i < d.hours.size(); ++i) d.hourSlot[i] = static_cast<std::int8_t>(hourSlotOf(d.hours.text(i)));
  d.bandIndex.resize(d.bands.size());
  for (std::uint32_t i = 0; i < d.bands.size(); ++i) d.bandIndex[i] = static_cast<std::int8_t>(bandFromText(d.bands.text(i)));
  d.sLevel.resize(d.sTexts.size());
  for (std::uint32_t i = 0; i < d.sTexts.size(); ++i) d.sLevel[i] = sLevelOf(d.sTexts.text(i));
  sortRecords(d);
  m_groupOf = {};
  m_buf = {};
  m_state = d.records.empty() ? State::Failed : State::Done;
}

std::string LogLoader::failureMessage() const {
  std::string msg = kFormatUnsuitableMessage;
  if (m_failedLine == 0) return msg;
  return msg + "\n\nLine " + std::to_string(m_failedLine) + " could not be read as a heard-log record:\n" +
         m_failedText;
}

namespace {
bool runLoader(LogLoader& loader, LogData& data, std::string* error) {
  while (loader.step(std::numeric_limits<std::size_t>::max()) == LogLoader::State::Running) {
  }
  if (loader.state() != LogLoader::State::Done) {
    if (error) *error = loader.openError().empty() ? loader.failureMessage() : loader.openError();
    data = LogData{};
    return false;
  }
  data = loader.take();
  return true;
}
}  // namespace

bool loadLog(std::string image, LogData& data, std::string* error) {
  LogLoader loader(std::move(image));
  return runLoader(loader, data, error);
}

bool loadLogFile(const std::filesystem::path& path, LogData& data, std::string* error) {
  LogLoader loader(path);
  return runLoader(loader, data, error);
}

}  // namespace harkola
