#pragma once
// A heard log loaded for analysis: five fields per record (date, hour, band, callsign,
// S level), sorted by date, hour and band.
//
// A record is packed into 8 bytes: its day and the numbers of its hour, band, callsign
// and S-level texts. Each distinct text is kept once per log (a log of years holds a few
// dozen of each), so ten million records take about 80 MB. The loader reads the file
// once, in blocks, without keeping it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/LogDate.h"

namespace harkola {

inline constexpr const char* kFormatUnsuitableMessage = "The input data file format is unsuitable.";

// S level that is not a whole number in -32768..32767 after rounding.
inline constexpr std::int32_t kNoSLevel = std::numeric_limits<std::int32_t>::min();

// The distinct texts of one field, numbered from 0 in order of first appearance.
class TextTable {
 public:
  // The number of `text`; a new text gets the next number.
  std::uint32_t intern(std::string_view text);
  std::string_view text(std::uint32_t id) const {
    return std::string_view(m_pool).substr(m_start[id], m_start[id + 1] - m_start[id]);
  }
  std::uint32_t size() const { return static_cast<std::uint32_t>(m_start.size() - 1); }

 private:
  void rehash(std::size_t slots);
  std::string m_pool;
  std::vector<std::uint32_t> m_start{0};  // text i is m_pool[m_start[i], m_start[i + 1])
  std::vector<std::uint32_t> m_slots;     // open addressing: id + 1, 0 = free
};

// One record: its day serial (LogDate.h) and the numbers of its texts in the tables of
// its LogData.
struct LogFields {
  std::int32_t day = 0;
  std::uint32_t hour = 0, band = 0, callsign = 0, sLevel = 0;
};

struct LogData {
  // Packed records, sorted: see fields().
  std::vector<std::uint64_t> records;
  // Records whose text numbers do not fit the packed form (more than 255 distinct hour
  // or S-level texts, 15 band texts or 524287 callsign spellings).
  std::vector<std::array<std::uint32_t, 4>> wide;

  TextTable hours, bands, callsignTexts, sTexts;
  // What each text means to the summaries, by text number.
  std::vector<std::int8_t> hourSlot;    // 0..23 when the hour text is exactly that number, else -1
  std::vector<std::int8_t> bandIndex;   // 0..4 for "14".."28", else -1
  std::vector<std::int32_t> sLevel;     // sLevelOf() of the S-level text
  std::vector<std::uint32_t> callsignGroup;  // index into `callsigns`
  // Every distinct callsign of the log in upper case, by first appearance.
  std::vector<std::string> callsigns;

  std::size_t size() const { return records.size(); }
  LogFields fields(std::size_t row) const;
  // The five grid texts of a record: short date, hour, band, callsign, S level.
  std::array<std::string, 5> cells(std::size_t row) const;
  std::string cell(std::size_t row, int column) const;
  // The months offered for selection, in list order (1..12). Months run from the first
  // record's month to the last one's in time order, across year ends; a log that spans
  // twelve months or more offers all twelve, starting at the first record's month.
  std::vector<int> months() const;
  // The index in `callsigns` of a callsign (case-insensitive), or -1 when no record
  // carries it.
  long callsignIdOf(std::string_view callsign) const;
};

// Loads a log in steps so that a caller can show progress or stop between them.
//
// The first field of the file decides the reading: when it is a date, records are read
// field by field (quoted or unquoted fields, line ends count as separators); otherwise
// each line is split at its commas. Every record's first field must be a date; hour,
// band, callsign and S level are kept as they stand. Blank lines are no records.
class LogLoader {
 public:
  enum class State { Running, Done, Failed };
  static constexpr std::size_t kReadBlock = 256 * 1024;

  // A log held in memory, read whole, or `blockBytes` at a time as a file would be.
  explicit LogLoader(std::string image, std::size_t blockBytes = std::numeric_limits<std::size_t>::max());
  // A file, read as it goes. One that cannot be read leaves the loader Failed with
  // openError() saying why.
  explicit LogLoader(const std::filesystem::path& path, std::size_t blockBytes = kReadBlock);
  ~LogLoader();
  LogLoader(const LogLoader&) = delete;
  LogLoader& operator=(const LogLoader&) = delete;

  // Reads up to `maxRecords` further records; the last step also sorts.
  State step(std::size_t maxRecords);
  State state() const { return m_state; }
  std::size_t recordsRead() const { return m_data.records.size(); }
  std::uint64_t bytesRead() const { return m_base + m_pos; }
  // The size of the file when it was opened (of the image: its size).
  std::uint64_t totalBytes() const { return m_total; }
  // Non-blank lines in the file, the "Total records in file " figure; known once the
  // loader has stopped running.
  std::size_t lineCount() const { return m_lines.content + (m_lines.lineHasContent ? 1 : 0); }
  // The loaded, sorted log (valid once Done; leaves the loader empty).
  LogData take() { return std::move(m_data); }
  // Once Failed: the file's line (1-based) where the record that could not be read
  // starts, and that line's text (blanks around removed, long lines shortened); 0 and
  // empty when no line is to blame (an empty file, or one without any record).
  std::size_t failedLine() const { return m_failedLine; }
  const std::string& failedLineText() const { return m_failedText; }
  // Why a file could not be opened or read ("NAME does not exist."); empty otherwise.
  const std::string& openError() const { return m_openError; }
  // The message for a refused file: the general one, and the line that could not be
  // read (or, for a file that could not be read, openError()).
  std::string failureMessage() const;

 private:
  enum class Parse { Ok, Bad, More, End };
  struct Span {
    std::size_t begin, end;
  };
  // Line ends passed and non-blank lines completed so far.
  struct LineTally {
    std::size_t breaks = 0;
    std::size_t content = 0;
    bool lineHasContent = false;
    void lineEnd() {
      ++breaks;
      content += lineHasContent;
      lineHasContent = false;
    }
  };

  bool atEnd() const { return m_eof && m_limit == m_end; }
  bool refill();
  bool probe();
  Parse parseFieldRecord();
  Parse parseLineRecord();
  bool store(const Span (&f)[5]);
  std::uint32_t callsignId(std::size_t begin, std::size_t length);
  void fail();
  void countRest(std::size_t maxBytes);
  void finish();
  std::size_t readSource(char* to, std::size_t n);

  // The source: a file, or an image handed out in blocks.
  std::FILE* m_file = nullptr;
  std::string m_image;
  std::size_t m_imageRead = 0;
  std::size_t m_block;
  std::uint64_t m_total = 0;
  std::string m_path;
  std::string m_openError;

  // The block being read: m_buf[0, m_end) holds the file from offset m_base; records
  // are read up to m_limit, just past a line end (or the end of the file), so that no
  // line is cut. Behind m_end lie line ends that stop every scan.
  std::vector<char> m_buf;
  std::uint64_t m_base = 0;
  std::size_t m_pos = 0, m_end = 0, m_limit = 0;
  bool m_eof = false;

  LogData m_data;
  State m_state = State::Running;
  bool m_probed = false;
  bool m_fieldPath = true;
  bool m_counting = false;  // failed: counting the lines of the rest of the file
  LineTally m_lines;
  std::size_t m_recordLine = 0, m_recordText = 0;
  std::size_t m_failedLine = 0;
  std::string m_failedText;

  bool m_haveDate = false;
  std::size_t m_lastDateLength = 0;
  std::array<std::uint64_t, 2> m_lastDateWords{};
  std::int32_t m_lastSerial = 0;
  struct CallsignSlot {
    std::uint64_t word = 0;
    std::uint32_t length = 0, id = 0;
  };
  std::array<CallsignSlot, 256> m_callsignCache{};
  std::unordered_map<std::string, std::uint32_t> m_groupOf;  // upper case -> group
};

// Loads a whole image in one go; on failure returns false, `data` is left empty and
// `error` (when given) holds the loader's failure message.
bool loadLog(std::string image, LogData& data, std::string* error = nullptr);
// The same for a file; `error` names the file when it cannot be read.
bool loadLogFile(const std::filesystem::path& path, LogData& data, std::string* error = nullptr);
// Larger files are refused (" is too large for a heard log.").
inline constexpr std::uint64_t kMaxLogBytes = std::numeric_limits<std::uint32_t>::max();

// VB-style conversion of a text to a 16-bit whole number: blanks around, optional sign,
// digits with an optional fraction, rounded half to even. kNoSLevel when not a number
// or out of range.
std::int32_t sLevelOf(std::string_view text);

// The packed form of a record: day + 2^22 in bits 40..63; then either the wide flag
// (bit 39) with an index into LogData::wide, or hour (31..38), band (27..30), S level
// (19..26) and callsign (0..18) text numbers.
namespace packed {
inline constexpr int kDayShift = 40;
inline constexpr std::int64_t kDayBias = std::int64_t{1} << 22;
inline constexpr std::uint64_t kWide = std::uint64_t{1} << 39;
inline constexpr std::uint64_t kWideIndex = kWide - 1;
}  // namespace packed

inline LogFields LogData::fields(std::size_t row) const {
  const std::uint64_t r = records[row];
  LogFields f;
  f.day = static_cast<std::int32_t>(static_cast<std::int64_t>(r >> packed::kDayShift) - packed::kDayBias);
  if (r & packed::kWide) {
    const auto& w = wide[static_cast<std::size_t>(r & packed::kWideIndex)];
    f.hour = w[0];
    f.band = w[1];
    f.callsign = w[2];
    f.sLevel = w[3];
  } else {
    f.hour = static_cast<std::uint32_t>(r >> 31) & 0xFF;
    f.band = static_cast<std::uint32_t>(r >> 27) & 0xF;
    f.sLevel = static_cast<std::uint32_t>(r >> 19) & 0xFF;
    f.callsign = static_cast<std::uint32_t>(r) & 0x7FFFF;
  }
  return f;
}

}  // namespace harkola
