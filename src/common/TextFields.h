#pragma once
// Reading the fields of the program's text files and replies: blanks and line ends
// around a field, fixed-width digit runs, whole numbers, case-blind words. Inline,
// because the log readers call them for every field of millions of lines.

#include <charconv>
#include <cstddef>
#include <string_view>

namespace harkola {

// `s` without blanks, tabs, CR and LF at either end.
[[gnu::always_inline]] inline std::string_view trimField(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

// The `n` decimal digits at `pos` as a number; false when any is missing or no digit.
[[gnu::always_inline]] inline bool digitsAt(std::string_view s, std::size_t pos, std::size_t n, int& out) {
  if (pos + n > s.size()) return false;
  out = 0;
  for (std::size_t i = pos; i < pos + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

// The 1..`most` decimal digits at `pos` as a number, `pos` moved past them. Returns how
// many digits were read: 0 when there is none, or when more than `most` follow.
inline std::size_t readDigits(std::string_view s, std::size_t& pos, std::size_t most, int& out) {
  std::size_t n = 0;
  out = 0;
  for (; pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && n < most; ++pos, ++n) out = out * 10 + (s[pos] - '0');
  return pos < s.size() && s[pos] >= '0' && s[pos] <= '9' ? 0 : n;
}

// A whole number in an int: blanks around and a leading '+' allowed, nothing else.
[[gnu::always_inline]] inline bool parseWholeNumber(std::string_view s, int& out) {
  s = trimField(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (!s.empty() && s.size() <= 9) {  // the usual case: digits only
    int v = 0;
    std::size_t i = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = v * 10 + (s[i] - '0');
    if (i == s.size()) {
      out = v;
      return true;
    }
  }
  const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// Equal but for the case of ASCII letters.
inline bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (up(a[i]) != up(b[i])) return false;
  }
  return true;
}

}  // namespace harkola
