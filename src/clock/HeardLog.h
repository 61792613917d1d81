#pragma once
// The heard log: one record per slot, "date","hour","band","callsign","S" + CR LF,
// appended to "<TitleText>Heard Log.csv" in the log folder.

#include <cstdio>
#include <filesystem>
#include <string>

#include "common/LocalTime.h"

namespace harkola {

// The record line of a heard beacon (CR LF included).
std::string heardRecord(const LocalTime& when, int band, const std::string& callsign, int sLevel);

// Where records go. The real one is HeardLogFile; the replay command prints them.
class HeardLogSink {
 public:
  virtual ~HeardLogSink() = default;
  // Returns false when the record did not reach its destination.
  virtual bool write(const std::string& record) = 0;
};

// The heard log file. Every record is flushed to the disk before write() returns, so a
// crash or power cut loses nothing that the display reported as logged.
class HeardLogFile : public HeardLogSink {
 public:
  HeardLogFile() = default;
  ~HeardLogFile() override;
  HeardLogFile(const HeardLogFile&) = delete;
  HeardLogFile& operator=(const HeardLogFile&) = delete;

  // Opens for appending (created when missing), or empty when `truncate`.
  bool open(const std::filesystem::path& path, bool truncate = false);
  void close();
  bool isOpen() const { return m_file != nullptr; }
  const std::filesystem::path& path() const { return m_path; }
  bool write(const std::string& record) override;

 private:
  std::FILE* m_file = nullptr;
  std::filesystem::path m_path;
};

}  // namespace harkola
