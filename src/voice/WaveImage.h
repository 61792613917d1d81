#pragma once
// Reading the header of a RIFF WAVE image held in memory (the voice clips), so that a
// clip can be checked before it is played and its length known without a device.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace harkola {

struct WaveInfo {
  bool valid = false;
  std::string error;            // why the image was refused; empty when valid
  std::uint16_t formatTag = 0;  // 1 = PCM
  std::uint16_t channels = 0;
  std::uint32_t sampleRate = 0;  // samples per second
  std::uint16_t bitsPerSample = 0;
  std::size_t dataOffset = 0;  // first byte of the samples within the image
  std::size_t dataBytes = 0;   // bytes of samples (never past the end of the image)

  std::size_t frames() const;
  double seconds() const;
  // PCM, mono, 11025 samples per second, 8 bits: the format of the announcement clips.
  bool isClipFormat() const;
};

// Walks the chunks of `image`: "RIFF" size "WAVE", then "fmt " and "data" in any order
// with other chunks (odd sizes padded to even) between them. Never reads past the end:
// a truncated data chunk is cut to what is there; a truncated header is refused.
WaveInfo readWaveInfo(std::span<const std::uint8_t> image);

}  // namespace harkola
