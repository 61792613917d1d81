#include "voice/WaveImage.h"

#include <algorithm>

namespace harkola {

namespace {

std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
bool tagIs(const std::uint8_t* p, const char* tag) { return std::equal(p, p + 4, tag); }

WaveInfo refuse(std::string why) {
  WaveInfo w;
  w.error = std::move(why);
  return w;
}

}  // namespace

std::size_t WaveInfo::frames() const {
  const std::size_t frameBytes = std::size_t(channels) * ((bitsPerSample + 7u) / 8u);
  return frameBytes == 0 ? 0 : dataBytes / frameBytes;
}

double WaveInfo::seconds() const {
  return sampleRate == 0 ? 0.0 : double(frames()) / double(sampleRate);
}

bool WaveInfo::isClipFormat() const {
  return valid && formatTag == 1 && channels == 1 && sampleRate == 11025 && bitsPerSample == 8;
}

WaveInfo readWaveInfo(std::span<const std::uint8_t> image) {
  if (image.size() < 12 || !tagIs(image.data(), "RIFF") || !tagIs(image.data() + 8, "WAVE"))
    return refuse("not a RIFF WAVE image");

  WaveInfo w;
  bool haveFormat = false;
  bool haveData = false;
  std::size_t pos = 12;
  while (pos + 8 <= image.size() && !(haveFormat && haveData)) {
    const std::uint8_t* head = image.data() + pos;
    const std::size_t size = le32(head + 4);
    const std::size_t body = pos + 8;
    const std::size_t available = image.size() - body;
    if (tagIs(head, "fmt ")) {
      if (size < 16 || available < 16) return refuse("format chunk too short");
      w.formatTag = le16(head + 8);
      w.channels = le16(head + 10);
      w.sampleRate = le32(head + 12);
      w.bitsPerSample = le16(head + 22);
      haveFormat = true;
    } else if (tagIs(head, "data")) {
      w.dataOffset = body;
      w.dataBytes = std::min(size, available);
      haveData = true;
    }
    if (size > available) break;  // the last chunk is cut short
    pos = body + size + (size & 1u);
  }
  if (!haveFormat) return refuse("no format chunk");
  if (!haveData) return refuse("no data chunk");
  if (w.channels == 0 || w.sampleRate == 0 || w.bitsPerSample == 0)
    return refuse("empty format");
  w.valid = true;
  return w;
}

}  // namespace harkola
