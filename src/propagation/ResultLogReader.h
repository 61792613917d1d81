#pragma once
// Reads the slot log (or, with the classic detector, the heard log) into a grid in
// steps, so that a window can show progress between them and stay responsive with a
// log of a million records; afterwards the same reader picks up the records appended
// since (call step() again: it continues where it stopped).
//
// A missing file is not an error: the grid simply stays empty until the file appears.
// A line that is not a sound record is skipped and counted. A last line without its
// line end is left for the next step (the writer may be in the middle of it).

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "propagation/PropagationGrid.h"

namespace harkola {

class ResultLogReader {
 public:
  enum class Format { SlotLog, HeardLog };

  // `callsigns` (index = beacon number - 1) are needed for the heard log only.
  ResultLogReader(std::filesystem::path path, Format format, std::vector<std::string> callsigns = {});
  ~ResultLogReader();
  ResultLogReader(const ResultLogReader&) = delete;
  ResultLogReader& operator=(const ResultLogReader&) = delete;

  // Reads up to `maxLines` further lines into `grid`; returns true while lines remain
  // that could be read now (the caller schedules the next step), false at the end.
  bool step(PropagationGrid& grid, std::size_t maxLines);

  // Reads only the bytes [from, to) of the file, for reading a long history in parts on
  // threads of their own: `from` must start a line and `to` end one. Before the first
  // step only. A reader of the last part (to = the default) goes on following the file;
  // countAlso() then adds the counts of the parts before it.
  void setRange(std::uint64_t from, std::uint64_t to = UINT64_MAX);
  void countAlso(const ResultLogReader& part);

  // Heard-log records know their hour only. Records that arrive while following the
  // file were written just now, in the slot starting at `slotStartUtc`: with this set,
  // such a record of that same hour takes the slot's start as its time. 0 = unset.
  void setArrivalSlot(std::int64_t slotStartUtc) { m_arrivalSlot = slotStartUtc; }

  const std::filesystem::path& path() const { return m_path; }
  Format format() const { return m_format; }
  bool fileFound() const { return m_file != nullptr; }
  std::uint64_t bytesRead() const { return m_offset; }
  // The file's size when it was last looked at (for progress: bytesRead / totalBytes;
  // bytesRead counts from the start of the file, also for a part).
  std::uint64_t totalBytes() const { return m_size; }
  std::size_t records() const { return m_records; }
  std::size_t malformed() const { return m_malformed; }

 private:
  bool openIfPresent();

  std::filesystem::path m_path;
  Format m_format;
  std::vector<std::string> m_callsigns;
  std::FILE* m_file = nullptr;
  std::uint64_t m_offset = 0;  // where the lines consumed end (whole lines)
  std::uint64_t m_to = UINT64_MAX;  // where a part ends
  std::uint64_t m_size = 0;
  // Read but not yet consumed: [m_begin, m_end) of m_data, which is not zero-filled
  // (a log of years passes through it).
  std::unique_ptr<char[]> m_data;
  std::size_t m_capacity = 0, m_begin = 0, m_end = 0;
  std::size_t m_records = 0;
  std::size_t m_malformed = 0;
  std::int64_t m_arrivalSlot = 0;
};

}  // namespace harkola
