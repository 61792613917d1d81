#pragma once
// A heard log loaded for analysis: five fields per record (date, hour, band, callsign,
// S level), sorted by date, hour and band.
//
// The file image is kept whole and records point into it, so a log of a million records
// needs about 50 bytes per record besides the file itself.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/LogDate.h"

namespace harkola {

inline constexpr const char* kFormatUnsuitableMessage = "The input data file format is unsuitable.";

// A field of the file image: offset and length in bytes.
struct FieldSpan {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// S level that is not a whole number in -32768..32767 after rounding.
inline constexpr std::int32_t kNoSLevel = std::numeric_limits<std::int32_t>::min();

struct LogRecord {
  std::int32_t day = 0;     // day serial (LogDate.h)
  std::int32_t sLevel = kNoSLevel;
  double hourKey = 0;       // the hour and band read as numbers, for sorting only
  double bandKey = 0;
  std::uint32_t callsignId = 0;  // index into LogData::callsigns
  std::int8_t hourSlot = -1;     // 0..23 when the hour text is exactly that number, else -1
  std::int8_t bandIndex = -1;    // 0..4 when the band text is "14".."28", else -1
  std::uint8_t month = 0;        // 1..12
  FieldSpan hour, band, callsign, sText;
};

struct LogData {
  std::string image;
  std::vector<LogRecord> records;
  // Every distinct callsign of the log in upper case, by first appearance.
  std::vector<std::string> callsigns;

  std::string_view text(FieldSpan f) const { return std::string_view(image).substr(f.offset, f.length); }
  // The five grid texts of a record: short date, hour, band, callsign, S level.
  std::array<std::string, 5> cells(std::size_t row) const;
  // The months offered for selection, in list order (1..12). Months run from the first
  // record's month to the last one's in time order, across year ends; a log that spans
  // twelve months or more offers all twelve, starting at the first record's month.
  std::vector<int> months() const;
  // The id of a callsign (case-insensitive), or -1 when no record carries it.
  long callsignIdOf(std::string_view callsign) const;
};

// Loads a log in steps so that a window can show progress between them.
//
// The first field of the file decides the reading: when it is a date, records are read
// field by field (quoted or unquoted fields, line ends count as separators); otherwise
// each line is split at its commas. Every record's first field must be a date; hour,
// band, callsign and S level are kept as they stand. Blank lines are no records.
class LogLoader {
 public:
  enum class State { Running, Done, Failed };

  explicit LogLoader(std::string image);
  // Non-blank lines in the file: the "Total records in file " figure.
  std::size_t lineCount() const { return m_lineCount; }
  // Reads up to `maxRecords` further records; the last step also sorts.
  State step(std::size_t maxRecords);
  State state() const { return m_state; }
  std::size_t recordsRead() const { return m_data.records.size(); }
  // The loaded, sorted log (valid once Done; leaves the loader empty).
  LogData take() { return std::move(m_data); }
  // Once Failed: the file's line (1-based) where the record that could not be read
  // starts, and that line's text (blanks around removed, long lines shortened); 0 and
  // empty when no line is to blame (an empty file, or one without any record).
  std::size_t failedLine() const { return m_failedLine; }
  const std::string& failedLineText() const { return m_failedText; }
  // The message for a refused file: the general one, and the line that could not be read.
  std::string failureMessage() const;

 private:
  bool readFieldRecord();
  bool readLineRecord();
  bool fillRecord(LogRecord& r, std::string_view date);
  std::uint32_t internCallsign(std::string_view cs);
  void finish();
  void fail(std::size_t recordStart);

  LogData m_data;
  std::size_t m_failedLine = 0;
  std::string m_failedText;
  std::size_t m_pos = 0;
  std::size_t m_lineCount = 0;
  bool m_fieldPath = true;
  State m_state = State::Running;
  std::string m_lastDate;
  std::int32_t m_lastSerial = 0;
  std::uint8_t m_lastMonth = 0;
  std::unordered_map<std::string, std::uint32_t> m_callsignIndex;  // upper case -> id
  std::string m_key;
};

// Loads a whole image in one go; on failure returns false and `data` is left empty.
bool loadLog(std::string image, LogData& data);
// Reads a file into memory; false when it cannot be opened or read.
bool readLogFile(const std::filesystem::path& path, std::string& image);

// VB-style conversion of a text to a 16-bit whole number: blanks around, optional sign,
// digits with an optional fraction, rounded half to even. kNoSLevel when not a number
// or out of range.
std::int32_t sLevelOf(std::string_view text);

}  // namespace harkola
