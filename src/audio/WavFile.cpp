#include "audio/WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numeric>

#include "audio/AudioFFT.h"

namespace harkola {

namespace {

std::uint32_t le32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
void put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void put16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

std::int16_t clampSample(double v) {
  return static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

}  // namespace

bool readWav(const std::filesystem::path& path, WavAudio& out, std::string& error,
             std::string* warning) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "Cannot open " + path.string() + ".";
    return false;
  }
  const std::string name = path.filename().string();
  unsigned char riff[12];
  if (!in.read(reinterpret_cast<char*>(riff), 12) || std::memcmp(riff, "RIFF", 4) != 0 ||
      std::memcmp(riff + 8, "WAVE", 4) != 0) {
    error = name + " is not a WAV file.";
    return false;
  }

  bool haveFormat = false;
  WavAudio audio;
  for (;;) {
    unsigned char head[8];
    if (!in.read(reinterpret_cast<char*>(head), 8)) {
      error = haveFormat ? name + " has no audio data (the file is cut short)."
                         : name + " has no format description (the file is cut short).";
      return false;
    }
    const std::uint32_t size = le32(head + 4);
    if (std::memcmp(head, "fmt ", 4) == 0) {
      if (size < 16) {
        error = name + " has a damaged format description.";
        return false;
      }
      std::vector<unsigned char> fmt(size);
      if (!in.read(reinterpret_cast<char*>(fmt.data()), size)) {
        error = name + " has a format description that is cut short.";
        return false;
      }
      std::uint16_t tag = le16(&fmt[0]);
      const std::uint16_t channels = le16(&fmt[2]);
      const std::uint32_t rate = le32(&fmt[4]);
      const std::uint16_t bits = le16(&fmt[14]);
      // WAVE_FORMAT_EXTENSIBLE: the real tag leads the sub-format GUID.
      if (tag == 0xFFFE && size >= 40) tag = le16(&fmt[24]);
      if (tag != 1 || bits != 16) {
        error = name + " is not 16-bit PCM audio (compressed or another sample format); "
                "convert it to 16-bit PCM WAV first.";
        return false;
      }
      if (channels == 0 || rate == 0 || rate > 1'000'000) {
        error = name + " has an impossible channel count or sample rate.";
        return false;
      }
      audio.channels = channels;
      audio.sampleRate = static_cast<int>(rate);
      haveFormat = true;
    } else if (std::memcmp(head, "data", 4) == 0) {
      if (!haveFormat) {
        error = name + " has audio data before its format description.";
        return false;
      }
      // Never trust the header's size for the allocation: a damaged one may claim 4 GB.
      const auto here = in.tellg();
      in.seekg(0, std::ios::end);
      const auto remaining = static_cast<std::uint64_t>(in.tellg() - here);
      in.seekg(here);
      // Streamed recordings may leave the size at 0 or at its maximum: read to the end.
      const bool unknownSize = size == 0 || size == 0xFFFFFFFFu;
      const std::uint64_t want = unknownSize ? remaining : size;
      std::vector<char> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(want, remaining)));
      in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      bytes.resize(static_cast<std::size_t>(in.gcount()));
      if (bytes.size() < want && warning)
        *warning = name + " is cut short: " + std::to_string(bytes.size()) + " of " +
                   std::to_string(want) + " bytes of audio were there.";
      const std::size_t frameBytes = 2u * audio.channels;
      const std::size_t frames = bytes.size() / frameBytes;
      audio.samples.resize(frames * audio.channels);
      for (std::size_t i = 0; i < audio.samples.size(); ++i)
        audio.samples[i] = static_cast<std::int16_t>(
            le16(reinterpret_cast<const unsigned char*>(bytes.data()) + 2 * i));
      out = std::move(audio);
      return true;
    } else {
      // Skip any other chunk (LIST, fact, ...); chunks are padded to even sizes.
      in.seekg(static_cast<std::streamoff>(size) + (size & 1), std::ios::cur);
      if (!in) {
        error = name + " is cut short before its audio data.";
        return false;
      }
    }
  }
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
  if (audio.channels == 1) return audio.samples;
  const std::size_t frames = audio.frameCount();
  std::vector<std::int16_t> mono(frames);
  for (std::size_t f = 0; f < frames; ++f) {
    long sum = 0;
    for (int c = 0; c < audio.channels; ++c) sum += audio.samples[f * audio.channels + c];
    mono[f] = clampSample(static_cast<double>(sum) / audio.channels);
  }
  return mono;
}

std::vector<std::int16_t> resample(const std::vector<std::int16_t>& mono, int fromRate,
                                   int toRate) {
  if (fromRate == toRate || mono.empty() || fromRate <= 0 || toRate <= 0) return mono;
  const long g = std::gcd(fromRate, toRate);
  const long P = fromRate / g;  // input steps per Q outputs
  const long Q = toRate / g;    // phases
  // Cut-off a little below the lower Nyquist frequency, in cycles per input sample.
  const double fc = 0.5 * std::min(1.0, static_cast<double>(toRate) / fromRate) * 0.92;
  const int zeroCrossings = 12;
  const int half = static_cast<int>(std::ceil(zeroCrossings / (2.0 * fc)));
  const int taps = 2 * half;

  // Output n sits at input position (n*P)/Q: integer part base, fraction phase/Q.
  // Tap t of a phase weighs input base - half + 1 + t.
  std::vector<float> table(static_cast<std::size_t>(Q) * taps);
  for (long ph = 0; ph < Q; ++ph) {
    const double frac = static_cast<double>(ph) / Q;
    double sum = 0;
    for (int t = 0; t < taps; ++t) {
      const double x = (t - half + 1) - frac;  // distance from the output position
      const double a = 2.0 * fc * x;
      const double sinc = x == 0 ? 1.0 : std::sin(M_PI * a) / (M_PI * a);
      const double w = 0.42 + 0.5 * std::cos(M_PI * x / half) + 0.08 * std::cos(2 * M_PI * x / half);
      const double v = std::fabs(x) >= half ? 0.0 : sinc * w;
      table[ph * taps + t] = static_cast<float>(v);
      sum += v;
    }
    // Unity gain at DC for every phase.
    for (int t = 0; t < taps; ++t) table[ph * taps + t] = static_cast<float>(table[ph * taps + t] / sum);
  }

  const long long inCount = static_cast<long long>(mono.size());
  const long long outCount = (inCount * Q + P - 1) / P;
  std::vector<std::int16_t> out(static_cast<std::size_t>(outCount));
  for (long long n = 0; n < outCount; ++n) {
    const long long pos = n * P;
    const long long base = pos / Q;
    const long ph = static_cast<long>(pos % Q);
    const float* h = &table[ph * taps];
    const long long first = base - half + 1;
    double acc = 0;
    if (first >= 0 && first + taps <= inCount) {
      const std::int16_t* x = &mono[static_cast<std::size_t>(first)];
      for (int t = 0; t < taps; ++t) acc += h[t] * x[t];
    } else {
      for (int t = 0; t < taps; ++t) {
        const long long i = first + t;
        if (i >= 0 && i < inCount) acc += h[t] * mono[static_cast<std::size_t>(i)];
      }
    }
    out[static_cast<std::size_t>(n)] = clampSample(acc);
  }
  return out;
}

std::vector<std::int16_t> toAnalyserFormat(const WavAudio& audio) {
  return resample(mixToMono(audio), audio.sampleRate, kSampleRate);
}

}  // namespace harkola
