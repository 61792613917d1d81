#pragma once
// I/Q recordings as a receiver input: WAV files with two channels (I, Q; 8-bit, 16-bit
// or 32-bit float), and headerless cs16/cu8/cs8/cf32 files. What a file does not say
// (rate, centre frequency, the UTC time of its first sample) comes from the command
// line, from a SigMF description (`NAME.sigmf-meta` beside `NAME.sigmf-data` or beside
// the file), or from the WAV's "auxi" chunk that SDR recorders write; the command line
// wins over the files.
//
// The recording is read a block at a time: memory does not grow with its length.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "receiver/IqFormat.h"
#include "receiver/IqSource.h"

namespace harkola {

// Rates accepted: from narrow-band receivers to wide-band SDRs.
inline constexpr double kMinIqRate = 1000.0;
inline constexpr double kMaxIqRate = 200e6;

struct IqFileInfo {
  std::optional<IqFormat> format;  // none: read the WAV header
  std::optional<double> rate;
  std::optional<double> centreHz;
  std::optional<SysTime> start;
};

// What a WAV header says. False with the reason when it is no two-channel I/Q WAV.
struct WavIqHeader {
  IqFormat format = IqFormat::CS16;
  double rate = 0.0;
  std::uint64_t dataOffset = 0;
  std::uint64_t dataBytes = 0;          // whole samples only, cut to the file's length
  std::optional<double> centreHz;       // from an "auxi" chunk
  std::optional<SysTime> start;         // from an "auxi" chunk (taken as UTC)
  std::string warning;                  // the data chunk is shorter than it says
};
bool readWavIqHeader(std::istream& in, std::uint64_t fileSize, WavIqHeader& out, std::string& error);

// Fills what `info` lacks from the text of a SigMF description (core:datatype,
// core:sample_rate, the first capture's core:frequency and core:datetime). False with
// the reason when the text is no JSON object or a value is unusable.
bool readSigMF(const std::string& text, IqFileInfo& info, std::string& error);

// "2017-10-28T00:00:00Z" or with a decimal fraction of the second; UTC.
bool parseIsoInstant(const std::string& text, SysTime& out);
// The instant of a UTC calendar reading "YYYY-MM-DD HH:MM:SS[.fff]".
bool parseUtcText(const std::string& text, SysTime& out);

class IqFileSource : public IqSource {
 public:
  // Opens the recording. `given` holds the command line's values; what stays unknown
  // after the header and a SigMF description is an error, except the start time (then
  // `defaultStart`) and the centre (an error too: the bands cannot be found without it).
  bool open(const std::filesystem::path& path, const IqFileInfo& given, std::string& error);
  // The same from a stream (tests, fuzzing); no SigMF look-up.
  bool open(std::unique_ptr<std::istream> in, std::uint64_t size, const IqFileInfo& given, std::string& error);

  // Samples per block (default 1/20 s of the rate, at least 256).
  void setBlockSamples(std::size_t n) { m_blockSamples = n; }

  ReadStatus read(IqBlock& block) override;
  std::string error() const override { return m_error; }
  const SourceHealth& health() const override { return m_health; }

  double rate() const { return m_rate; }
  double centreHz() const { return m_centre; }
  SysTime start() const { return m_start; }
  IqFormat format() const { return m_format; }
  std::uint64_t sampleCount() const { return m_total; }
  const std::string& warning() const { return m_warning; }

 private:
  bool finishOpen(const IqFileInfo& info, std::string& error);

  std::unique_ptr<std::istream> m_in;
  IqFormat m_format = IqFormat::CS16;
  double m_rate = 0.0, m_centre = 0.0;
  SysTime m_start{};
  std::uint64_t m_total = 0, m_done = 0;
  std::size_t m_blockSamples = 0;
  std::vector<unsigned char> m_bytes;
  SourceHealth m_health;
  std::string m_error, m_warning;
};

}  // namespace harkola
