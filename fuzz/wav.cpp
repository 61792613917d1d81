// The WAV reader on arbitrary bytes, then mixing to mono and resampling to the
// analyser's rate twice: streamed in pieces (as the replay reads) and all at once. The
// two must give the same samples.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "audio/AudioFFT.h"
#include "audio/WavFile.h"
#include "audio/WavStream.h"

namespace {
std::unique_ptr<std::istream> streamOf(const std::uint8_t* data, std::size_t size) {
  return std::make_unique<std::istringstream>(
      std::string(reinterpret_cast<const char*>(data), size));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace harkola;
  std::string error;
  WavReader whole;
  if (!whole.open(streamOf(data, size), "fuzz.wav", error)) return 0;
  WavAudio audio;
  audio.sampleRate = whole.sampleRate();
  audio.channels = whole.channels();
  audio.samples.resize(static_cast<std::size_t>(whole.frameCount()) * audio.channels);
  audio.samples.resize(whole.readFrames(audio.samples.data(), whole.frameCount()) * audio.channels);
  const std::vector<std::int16_t> expected = toAnalyserFormat(audio);

  WavReader streamed;
  if (!streamed.open(streamOf(data, size), "fuzz.wav", error)) std::abort();
  WavSampleSource source(std::move(streamed));
  std::vector<std::int16_t> got;
  std::int16_t block[kBlockSamples];
  // Odd piece sizes, so pieces fall across the reader's and the resampler's buffers.
  for (std::size_t piece = 1 + size % 97;; piece = piece % 700 + 131) {
    const std::size_t n = source.read(block, std::min<std::size_t>(piece, kBlockSamples));
    got.insert(got.end(), block, block + n);
    if (n == 0) break;
  }
  if (got != expected) std::abort();
  return 0;
}
