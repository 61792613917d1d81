#pragma once
// A fresh, empty folder under the system temp folder, removed with everything in it
// when the object goes. The name carries the process id and a random part, so tests
// running in parallel never share one.
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

namespace harkola::test {

struct TempFolder {
  explicit TempFolder(const std::string& prefix = "harkola-test") {
    std::random_device rd;
    path = std::filesystem::temp_directory_path() /
           (prefix + "-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(path);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::filesystem::path operator/(const std::string& name) const { return path / name; }

  std::filesystem::path path;
};

}  // namespace harkola::test
