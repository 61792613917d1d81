#pragma once
// Recordings read as a stream: the header is checked against the file before anything
// is allocated, samples are read a piece at a time, and mixing to mono and resampling
// to the analyser's rate work on those pieces. Memory stays the same whatever the
// length of the recording, and the samples are bit for bit those of reading the whole
// file at once (readWav, mixToMono, resample in WavFile.h are built on these).

#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "audio/ReplaySession.h"

namespace harkola {

// Sample rates accepted from a recording: what sound cards and recorders use. Others
// are refused with a message (a damaged header could otherwise ask for a resampling
// whose cost has no bound).
inline constexpr int kMinRecordingRate = 4000;
inline constexpr int kMaxRecordingRate = 384000;

// A 16-bit PCM WAV file (format tag 1, or the extensible form with PCM inside), read
// frame by frame.
class WavReader {
 public:
  // Reads and checks the header. False with a message for the user in `error` when the
  // file is missing, not a regular file, not a WAV file, holds another sample format or
  // a rate outside kMinRecordingRate..kMaxRecordingRate, or a chunk claims more bytes
  // than the file holds before the audio data.
  bool open(const std::filesystem::path& path, std::string& error);
  // The same from a stream (tests and fuzzing); `name` stands for the file in messages.
  bool open(std::unique_ptr<std::istream> in, const std::string& name, std::string& error);

  int sampleRate() const { return m_rate; }
  int channels() const { return m_channels; }
  // Whole frames that will be read.
  std::uint64_t frameCount() const { return m_frames; }
  // Set by open() when the data chunk is shorter than its header says (a recording that
  // was cut off): how much was there. Empty otherwise.
  const std::string& warning() const { return m_warning; }

  // Copies up to `maxFrames` frames (interleaved samples) into dst; fewer, 0 at the end.
  std::size_t readFrames(std::int16_t* dst, std::size_t maxFrames);

 private:
  std::unique_ptr<std::istream> m_in;
  int m_rate = 0;
  int m_channels = 0;
  std::uint64_t m_frames = 0;
  std::uint64_t m_framesLeft = 0;
  std::string m_warning;
  std::vector<unsigned char> m_bytes;
};

// Band-limited resampling (windowed-sinc, polyphase over the reduced rate ratio), fed
// piece by piece. Output sample n is at input position n * fromRate / toRate; input
// beyond either end counts as silence. Equal rates pass the input through. Cost is
// linear in the input: the filter of each phase is computed when first used.
class Resampler {
 public:
  // Rates must be positive.
  Resampler(int fromRate, int toRate);
  // Appends to `out` every output sample that the input so far determines.
  void push(const std::int16_t* in, std::size_t count, std::vector<std::int16_t>& out);
  // The input has ended: appends the rest of the output (ceil(inputs * toRate / fromRate)
  // samples in all).
  void finish(std::vector<std::int16_t>& out);

 private:
  const float* phase(long ph);
  void produce(std::vector<std::int16_t>& out);

  bool m_passThrough;
  long m_P = 1, m_Q = 1;  // input steps per Q outputs; phases
  int m_half = 0, m_taps = 0;
  double m_fc = 0;
  std::vector<std::vector<float>> m_phases;  // filled on first use
  std::vector<std::int16_t> m_buf;           // input from absolute index m_bufStart on
  long long m_bufStart = 0;
  long long m_inCount = 0;   // input samples pushed so far
  long long m_next = 0;      // the next output sample
  bool m_ended = false;
};

// The mono average of each frame, rounded to the nearest sample.
void mixFrames(const std::int16_t* frames, std::size_t frameCount, int channels,
               std::vector<std::int16_t>& mono);

// A recording as the analyser hears it: mono at 11025 Hz, read on demand.
class WavSampleSource : public SampleSource {
 public:
  // Takes an opened reader.
  explicit WavSampleSource(WavReader reader);
  std::size_t read(std::int16_t* dst, std::size_t count) override;

 private:
  WavReader m_reader;
  Resampler m_resampler;
  std::vector<std::int16_t> m_frames, m_mono, m_out;
  std::size_t m_outPos = 0;
  bool m_finished = false;
};

}  // namespace harkola
