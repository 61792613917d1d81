#pragma once
// 16-bit PCM WAV files: reading (any rate and channel count), writing, and conversion
// to the analyser's format (mono, 11025 Hz). Used by the replay of recordings, the
// tests that make their own recordings, and a file-based capture source.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace harkola {

struct WavAudio {
  int sampleRate = 11025;           // frames per second
  int channels = 1;                 // samples per frame
  std::vector<std::int16_t> samples;  // interleaved, frame by frame
  std::size_t frameCount() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Reads a 16-bit PCM WAV file (format tag 1, or the extensible form with PCM inside).
// Returns false with a message for the user in `error` when the file is missing, is not
// a WAV file, holds another sample format or a sample rate outside 4000..384000 Hz, or
// its header is cut short or claims more than the file holds (WavReader in WavStream.h
// reads the same files piece by piece). A data chunk that is shorter than its header
// says (a recording that was cut off) is read as far as it goes and `warning` says how
// much was there.
bool readWav(const std::filesystem::path& path, WavAudio& out, std::string& error,
             std::string* warning = nullptr);

// Writes `audio` as a 16-bit PCM WAV file. False with a message when it cannot.
bool writeWav(const std::filesystem::path& path, const WavAudio& audio, std::string& error);

// The average of the channels of each frame, rounded to the nearest sample.
std::vector<std::int16_t> mixToMono(const WavAudio& audio);

// Band-limited resampling (windowed-sinc, polyphase over the reduced rate ratio).
// Equal rates return the input unchanged. Rates must be positive.
std::vector<std::int16_t> resample(const std::vector<std::int16_t>& mono, int fromRate, int toRate);

// Mono at 11025 Hz as the analyser captures it; mono 11025 Hz input is used as is.
std::vector<std::int16_t> toAnalyserFormat(const WavAudio& audio);

}  // namespace harkola
