#pragma once
// The common text format of the data files and logs: every field a string in double
// quotes, fields separated by commas without spaces, CR LF after each record line.
// Reading is field by field, so line ends separate fields just as commas do and the
// record structure comes from the field count alone.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace harkola {

// Reads fields one at a time from a whole file image.
//  - A quoted field is taken without its quotes; anything after the closing quote up
//    to the next comma or line end is ignored.
//  - A quoted field with no closing quote runs to the line end.
//  - An unquoted field runs to the next comma or line end, surrounding blanks removed.
//  - CR, LF and CR LF all end a line; blank lines yield no field.
//  - Zero bytes (padding of old stored defaults) are ignored.
class FieldReader {
 public:
  explicit FieldReader(std::string_view text);
  // True when no further field exists (only line ends, blanks or zero bytes remain).
  bool atEnd();
  // The next field; empty when atEnd().
  std::string next();

 private:
  std::string_view m_text;
  std::size_t m_pos = 0;
};

// Every field of the text, in order.
std::vector<std::string> readFields(std::string_view text);

// One record line: each field in double quotes, comma separated, ended by CR LF.
std::string formatRecord(const std::vector<std::string>& fields);

// A decimal number as the data files store it ("73", "-0.5", " 12 "): optional blanks,
// an optional sign, digits with an optional fraction. False for anything else,
// including an empty field, so callers can tell a damaged file from a zero.
bool parseNumber(std::string_view text, double& value);

// The largest data file read: real ones hold a few kilobytes; anything much larger is
// damaged and is refused before it is parsed.
inline constexpr std::uintmax_t kMaxDataFileBytes = 1 << 20;

// Whole-file helpers. readWholeFile returns false when the file cannot be opened, is not
// a regular file, or is larger than kMaxDataFileBytes.
bool readWholeFile(const std::filesystem::path& path, std::string& bytes);
// Replaces the file; returns false when it cannot be written completely.
bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace harkola
