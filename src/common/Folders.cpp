#include "common/Folders.h"

#include <cstdlib>
#include <filesystem>

namespace harkola {

std::string defaultLogFolder() {
  if (const char* env = std::getenv("HARKOLA_LOG_FOLDER"); env && *env) return env;
#ifdef _WIN32
  return "c:\\Harkola Log";
#else
  const char* home = std::getenv("HOME");
  return (std::filesystem::path(home && *home ? home : ".") / "Harkola Log").string();
#endif
}

std::string heardLogPath(const std::string& logFolder, const std::string& titleText) {
  return (std::filesystem::path(logFolder) / (titleText + "Heard Log.csv")).string();
}

}  // namespace harkola
