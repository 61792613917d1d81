#include "data/DataFile.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace harkola {
namespace {

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string withoutZeroBytes(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    if (c != '\0') out += c;
  return out;
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (isBlank(s.front()) || s.front() == '\0')) s.remove_prefix(1);
  while (!s.empty() && (isBlank(s.back()) || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

}  // namespace

FieldReader::FieldReader(std::string_view text) : m_text(text) {}

bool FieldReader::atEnd() {
  // Line ends, blanks and zero bytes between fields carry no field; skipping them here
  // is what makes a blank line (or the padding after the last record) yield nothing.
  while (m_pos < m_text.size()) {
    const char c = m_text[m_pos];
    if (!isLineEnd(c) && !isBlank(c) && c != '\0') return false;
    ++m_pos;
  }
  return true;
}

std::string FieldReader::next() {
  if (atEnd()) return {};
  std::string field;
  if (m_text[m_pos] == '"') {
    const std::size_t start = ++m_pos;
    while (m_pos < m_text.size() && m_text[m_pos] != '"' && !isLineEnd(m_text[m_pos])) ++m_pos;
    field = withoutZeroBytes(m_text.substr(start, m_pos - start));
    if (m_pos < m_text.size() && m_text[m_pos] == '"') ++m_pos;
    // Whatever follows a closing quote up to the separator is not part of the field.
    while (m_pos < m_text.size() && m_text[m_pos] != ',' && !isLineEnd(m_text[m_pos])) ++m_pos;
  } else {
    const std::size_t start = m_pos;
    while (m_pos < m_text.size() && m_text[m_pos] != ',' && !isLineEnd(m_text[m_pos])) ++m_pos;
    field = std::string(trimBlanks(m_text.substr(start, m_pos - start)));
  }
  // Consume the separator: one comma, or one line end (CR LF, CR or LF).
  if (m_pos < m_text.size()) {
    if (m_text[m_pos] == ',') {
      ++m_pos;
    } else if (m_text[m_pos] == '\r') {
      ++m_pos;
      if (m_pos < m_text.size() && m_text[m_pos] == '\n') ++m_pos;
    } else if (m_text[m_pos] == '\n') {
      ++m_pos;
    }
  }
  return field;
}

std::vector<std::string> readFields(std::string_view text) {
  std::vector<std::string> fields;
  FieldReader reader(text);
  while (!reader.atEnd()) fields.push_back(reader.next());
  return fields;
}

std::string formatRecord(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) line += ',';
    line += '"';
    line += fields[i];
    line += '"';
  }
  line += "\r\n";
  return line;
}

bool parseNumber(std::string_view text, double& value) {
  text = trimBlanks(text);
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0 || i != text.size()) return false;
  // strtod reads exactly what was checked above; the decimal point is always '.'
  // because the core never changes the C locale.
  const std::string copy(text);
  errno = 0;
  const double v = std::strtod(copy.c_str(), nullptr);
  if (errno == ERANGE) return false;
  value = v;
  return true;
}

bool readWholeFile(const std::filesystem::path& path, std::string& bytes) {
  std::error_code ec;
  // Only regular files (or links to them): a folder or a device has no sensible size.
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxDataFileBytes) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string data;
  data.resize(static_cast<std::size_t>(size));
  in.read(data.data(), static_cast<std::streamsize>(size));
  if (in.bad() || static_cast<std::uintmax_t>(in.gcount()) != size) return false;
  // A file that grew since its size was taken is read no further than the limit allows.
  if (in.peek() != std::char_traits<char>::eof()) return false;
  bytes = std::move(data);
  return true;
}

bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

}  // namespace harkola
