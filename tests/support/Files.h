#pragma once
// A file's bytes in one string ("" when it cannot be read), and text appended to a file
// as a program writing a log appends it.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace harkola::test {

inline std::string fileText(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

inline void appendFile(const std::filesystem::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary | std::ios::app) << text;
}

}  // namespace harkola::test
