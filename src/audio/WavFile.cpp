#include "audio/WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numeric>

#include "audio/AudioFFT.h"
#include "audio/WavStream.h"

namespace harkola {

namespace {

void put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void put16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

}  // namespace

bool readWav(const std::filesystem::path& path, WavAudio& out, std::string& error,
             std::string* warning) {
  WavReader reader;
  if (!reader.open(path, error)) return false;
  WavAudio audio;
  audio.sampleRate = reader.sampleRate();
  audio.channels = reader.channels();
  // frameCount() is what the file holds, so this allocation is bounded by its size.
  audio.samples.resize(static_cast<std::size_t>(reader.frameCount()) * audio.channels);
  const std::size_t got = reader.readFrames(audio.samples.data(), reader.frameCount());
  audio.samples.resize(got * audio.channels);
  if (warning && !reader.warning().empty()) *warning = reader.warning();
  out = std::move(audio);
  return true;
}

bool writeWav(const std::filesystem::path& path, const WavAudio& audio, std::string& error) {
  const std::uint64_t dataBytes = audio.samples.size() * 2ull;
  if (audio.channels < 1 || audio.sampleRate < 1 || dataBytes > 0xFFFFFFFFull - 36) {
    error = "Cannot write " + path.string() + ": the audio does not fit a WAV file.";
    return false;
  }
  std::string h;
  h += "RIFF";
  put32(h, static_cast<std::uint32_t>(36 + dataBytes));
  h += "WAVEfmt ";
  put32(h, 16);
  put16(h, 1);
  put16(h, static_cast<std::uint16_t>(audio.channels));
  put32(h, static_cast<std::uint32_t>(audio.sampleRate));
  put32(h, static_cast<std::uint32_t>(audio.sampleRate * 2 * audio.channels));
  put16(h, static_cast<std::uint16_t>(2 * audio.channels));
  put16(h, 16);
  h += "data";
  put32(h, static_cast<std::uint32_t>(dataBytes));
  std::string body;
  body.reserve(dataBytes);
  for (std::int16_t s : audio.samples) put16(body, static_cast<std::uint16_t>(s));

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out || !out.write(h.data(), h.size()) || !out.write(body.data(), body.size()) ||
      !out.flush()) {
    error = "Cannot write " + path.string() + ".";
    return false;
  }
  return true;
}

std::vector<std::int16_t> mixToMono(const WavAudio& audio) {
  if (audio.channels <= 1) return audio.samples;
  std::vector<std::int16_t> mono;
  mono.reserve(audio.frameCount());
  mixFrames(audio.samples.data(), audio.frameCount(), audio.channels, mono);
  return mono;
}

std::vector<std::int16_t> resample(const std::vector<std::int16_t>& mono, int fromRate,
                                   int toRate) {
  if (fromRate == toRate || mono.empty() || fromRate <= 0 || toRate <= 0) return mono;
  Resampler r(fromRate, toRate);
  std::vector<std::int16_t> out;
  out.reserve(static_cast<std::size_t>(
      (static_cast<long long>(mono.size()) * toRate + fromRate - 1) / fromRate));
  r.push(mono.data(), mono.size(), out);
  r.finish(out);
  return out;
}

std::vector<std::int16_t> toAnalyserFormat(const WavAudio& audio) {
  return resample(mixToMono(audio), audio.sampleRate, kSampleRate);
}

}  // namespace harkola
