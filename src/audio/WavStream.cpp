#include "audio/WavStream.h"

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

std::int16_t clampSample(double v) {
  return static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

// The format description needs 16 bytes, the extensible form 40; the rest is skipped.
constexpr std::uint32_t kFormatBytesUsed = 40;

}  // namespace

bool WavReader::open(const std::filesystem::path& path, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = std::filesystem::exists(path, ec) ? path.string() + " is not a file."
                                              : "Cannot open " + path.string() + ".";
    return false;
  }
  auto in = std::make_unique<std::ifstream>(path, std::ios::binary);
  if (!*in) {
    error = "Cannot open " + path.string() + ".";
    return false;
  }
  return open(std::move(in), path.filename().string(), error);
}

bool WavReader::open(std::unique_ptr<std::istream> in, const std::string& name,
                     std::string& error) {
  *this = WavReader{};
  std::istream& s = *in;
  s.seekg(0, std::ios::end);
  const std::streamoff fileSize = s.tellg();
  s.seekg(0, std::ios::beg);
  if (fileSize < 0 || !s) {
    error = "Cannot read " + name + ".";
    return false;
  }
  auto remaining = [&]() -> std::uint64_t {
    const std::streamoff here = s.tellg();
    return here < 0 || here > fileSize ? 0 : static_cast<std::uint64_t>(fileSize - here);
  };

  unsigned char riff[12];
  if (!s.read(reinterpret_cast<char*>(riff), 12) || std::memcmp(riff, "RIFF", 4) != 0 ||
      std::memcmp(riff + 8, "WAVE", 4) != 0) {
    error = name + " is not a WAV file.";
    return false;
  }

  bool haveFormat = false;
  for (;;) {
    unsigned char head[8];
    if (!s.read(reinterpret_cast<char*>(head), 8)) {
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
      // The header's size is checked against the file before anything is read or
      // allocated: a damaged one may claim 4 GB.
      if (size > remaining()) {
        error = name + " has a format description that is cut short (it claims " +
                std::to_string(size) + " bytes, more than the file holds).";
        return false;
      }
      unsigned char fmt[kFormatBytesUsed] = {};
      const std::uint32_t used = std::min(size, kFormatBytesUsed);
      if (!s.read(reinterpret_cast<char*>(fmt), used) ||
          !s.seekg(static_cast<std::streamoff>(size - used), std::ios::cur)) {
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
      if (channels == 0) {
        error = name + " has an impossible channel count.";
        return false;
      }
      if (rate < static_cast<std::uint32_t>(kMinRecordingRate) ||
          rate > static_cast<std::uint32_t>(kMaxRecordingRate)) {
        error = name + " has a sample rate of " + std::to_string(rate) +
                " Hz; recordings from " + std::to_string(kMinRecordingRate) + " to " +
                std::to_string(kMaxRecordingRate) + " Hz can be used.";
        return false;
      }
      m_channels = channels;
      m_rate = static_cast<int>(rate);
      haveFormat = true;
    } else if (std::memcmp(head, "data", 4) == 0) {
      if (!haveFormat) {
        error = name + " has audio data before its format description.";
        return false;
      }
      const std::uint64_t available = remaining();
      // Streamed recordings may leave the size at 0 or at its maximum: read to the end.
      const bool unknownSize = size == 0 || size == 0xFFFFFFFFu;
      const std::uint64_t want = unknownSize ? available : size;
      const std::uint64_t have = std::min(want, available);
      if (have < want)
        m_warning = name + " is cut short: " + std::to_string(have) + " of " +
                    std::to_string(want) + " bytes of audio were there.";
      m_frames = m_framesLeft = have / (2u * static_cast<unsigned>(m_channels));
      m_in = std::move(in);
      return true;
    } else {
      // Skip any other chunk (LIST, fact, ...); chunks are padded to even sizes.
      const std::uint64_t skip = static_cast<std::uint64_t>(size) + (size & 1);
      if (skip > remaining() || !s.seekg(static_cast<std::streamoff>(skip), std::ios::cur)) {
        error = name + " has a damaged header: a chunk claims " + std::to_string(size) +
                " bytes, more than the file holds before its audio data.";
        return false;
      }
    }
  }
}

std::size_t WavReader::readFrames(std::int16_t* dst, std::size_t maxFrames) {
  if (!m_in || m_framesLeft == 0 || maxFrames == 0) return 0;
  const std::size_t frames = static_cast<std::size_t>(std::min<std::uint64_t>(maxFrames, m_framesLeft));
  const std::size_t samples = frames * static_cast<std::size_t>(m_channels);
  m_bytes.resize(2 * samples);
  m_in->read(reinterpret_cast<char*>(m_bytes.data()), static_cast<std::streamsize>(m_bytes.size()));
  const std::size_t got = static_cast<std::size_t>(m_in->gcount()) / (2u * m_channels);
  for (std::size_t i = 0; i < got * m_channels; ++i)
    dst[i] = static_cast<std::int16_t>(le16(&m_bytes[2 * i]));
  // A file that shrank while being read simply ends early.
  m_framesLeft = got < frames ? 0 : m_framesLeft - got;
  return got;
}

void mixFrames(const std::int16_t* frames, std::size_t frameCount, int channels,
               std::vector<std::int16_t>& mono) {
  if (channels == 1) {
    mono.insert(mono.end(), frames, frames + frameCount);
    return;
  }
  for (std::size_t f = 0; f < frameCount; ++f) {
    long sum = 0;
    for (int c = 0; c < channels; ++c) sum += frames[f * channels + c];
    mono.push_back(clampSample(static_cast<double>(sum) / channels));
  }
}

Resampler::Resampler(int fromRate, int toRate)
    : m_passThrough(fromRate == toRate || fromRate <= 0 || toRate <= 0) {
  if (m_passThrough) return;
  const long g = std::gcd(fromRate, toRate);
  m_P = fromRate / g;
  m_Q = toRate / g;
  // Cut-off a little below the lower Nyquist frequency, in cycles per input sample.
  m_fc = 0.5 * std::min(1.0, static_cast<double>(toRate) / fromRate) * 0.92;
  const int zeroCrossings = 12;
  m_half = static_cast<int>(std::ceil(zeroCrossings / (2.0 * m_fc)));
  m_taps = 2 * m_half;
  m_phases.resize(static_cast<std::size_t>(m_Q));
}

// Tap t of a phase weighs input base - half + 1 + t, where output n sits at input
// position (n*P)/Q: integer part base, fraction ph/Q.
const float* Resampler::phase(long ph) {
  std::vector<float>& row = m_phases[static_cast<std::size_t>(ph)];
  if (!row.empty()) return row.data();
  row.resize(static_cast<std::size_t>(m_taps));
  const int half = m_half;
  const double frac = static_cast<double>(ph) / m_Q;
  double sum = 0;
  for (int t = 0; t < m_taps; ++t) {
    const double x = (t - half + 1) - frac;  // distance from the output position
    const double a = 2.0 * m_fc * x;
    const double sinc = x == 0 ? 1.0 : std::sin(M_PI * a) / (M_PI * a);
    const double w = 0.42 + 0.5 * std::cos(M_PI * x / half) + 0.08 * std::cos(2 * M_PI * x / half);
    const double v = std::fabs(x) >= half ? 0.0 : sinc * w;
    row[t] = static_cast<float>(v);
    sum += v;
  }
  // Unity gain at DC for every phase.
  for (int t = 0; t < m_taps; ++t) row[t] = static_cast<float>(row[t] / sum);
  return row.data();
}

void Resampler::push(const std::int16_t* in, std::size_t count, std::vector<std::int16_t>& out) {
  if (m_passThrough) {
    out.insert(out.end(), in, in + count);
    return;
  }
  m_buf.insert(m_buf.end(), in, in + count);
  m_inCount += static_cast<long long>(count);
  produce(out);
}

void Resampler::finish(std::vector<std::int16_t>& out) {
  if (m_passThrough || m_ended) return;
  m_ended = true;
  produce(out);
}

void Resampler::produce(std::vector<std::int16_t>& out) {
  for (;; ++m_next) {
    const long long pos = m_next * m_P;
    const long long base = pos / m_Q;
    // Output n exists while its position lies inside the input; until the input has
    // ended it waits for the last input sample its filter reaches (base + half).
    if (m_ended ? base >= m_inCount : base + m_half >= m_inCount) break;
    const float* h = phase(static_cast<long>(pos % m_Q));
    const long long first = base - m_half + 1;
    double acc = 0;
    if (first >= m_bufStart && first + m_taps <= m_inCount) {
      const std::int16_t* x = &m_buf[static_cast<std::size_t>(first - m_bufStart)];
      for (int t = 0; t < m_taps; ++t) acc += h[t] * x[t];
    } else {
      for (int t = 0; t < m_taps; ++t) {
        const long long i = first + t;
        if (i >= m_bufStart && i < m_inCount)
          acc += h[t] * m_buf[static_cast<std::size_t>(i - m_bufStart)];
      }
    }
    out.push_back(clampSample(acc));
  }
  // Input before the next output's first tap is no longer needed; drop it in large
  // pieces so the buffer is not shifted for every sample.
  const long long needed = std::max(0LL, (m_next * m_P) / m_Q - m_half + 1);
  const long long drop = std::min(needed, m_inCount) - m_bufStart;
  if (drop > 0 && static_cast<std::size_t>(drop) * 2 >= m_buf.size()) {
    m_buf.erase(m_buf.begin(), m_buf.begin() + static_cast<std::ptrdiff_t>(drop));
    m_bufStart += drop;
  }
}

WavSampleSource::WavSampleSource(WavReader reader)
    : m_reader(std::move(reader)), m_resampler(m_reader.sampleRate(), kSampleRate) {}

std::size_t WavSampleSource::read(std::int16_t* dst, std::size_t count) {
  // About 64 K samples are read at a time, whatever the channel count.
  const std::size_t channels = static_cast<std::size_t>(std::max(1, m_reader.channels()));
  const std::size_t chunkFrames = std::max<std::size_t>(1, 65536 / channels);
  while (m_out.size() - m_outPos < count && !m_finished) {
    if (m_outPos > 0) {
      m_out.erase(m_out.begin(), m_out.begin() + static_cast<std::ptrdiff_t>(m_outPos));
      m_outPos = 0;
    }
    m_frames.resize(chunkFrames * channels);
    const std::size_t got = m_reader.readFrames(m_frames.data(), chunkFrames);
    if (got == 0) {
      m_resampler.finish(m_out);
      m_finished = true;
      break;
    }
    m_mono.clear();
    mixFrames(m_frames.data(), got, static_cast<int>(channels), m_mono);
    m_resampler.push(m_mono.data(), m_mono.size(), m_out);
  }
  const std::size_t n = std::min(count, m_out.size() - m_outPos);
  std::copy_n(m_out.begin() + static_cast<std::ptrdiff_t>(m_outPos), n, dst);
  m_outPos += n;
  return n;
}

}  // namespace harkola
