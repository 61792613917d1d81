#include "receiver/IqFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include <nlohmann/json.hpp>

#include "common/LocalTime.h"

namespace harkola {

namespace {

constexpr std::uint64_t kMaxMetaBytes = 1 << 20;

std::uint32_t le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

bool readExactly(std::istream& in, unsigned char* dst, std::size_t n) {
  in.read(reinterpret_cast<char*>(dst), static_cast<std::streamsize>(n));
  return static_cast<std::size_t>(in.gcount()) == n;
}

bool civilInstant(int y, int mo, int d, int h, int mi, double s, SysTime& out) {
  using namespace std::chrono;
  const year_month_day ymd{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
  if (!ymd.ok() || y < 1970 || y > 2200 || h < 0 || h > 23 || mi < 0 || mi > 59 || !(s >= 0.0) || s >= 61.0)
    return false;
  out = sys_days{ymd} + hours{h} + minutes{mi} +
        duration_cast<system_clock::duration>(duration<double>(s));
  return true;
}

bool goodRate(double r) { return std::isfinite(r) && r >= kMinIqRate && r <= kMaxIqRate; }
bool goodCentre(double f) { return std::isfinite(f) && f >= 0.0 && f <= 10e9; }

}  // namespace

bool parseIsoInstant(const std::string& text, SysTime& out) {
  int y, mo, d, h, mi, n = 0;
  double s = 0;
  if (text.size() < 20 || text.size() > 40) return false;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%n", &y, &mo, &d, &h, &mi, &s, &n) != 6) return false;
  if (static_cast<std::size_t>(n) != text.size() - 1 || text.back() != 'Z') return false;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    const char c = text[i];
    if (!((c >= '0' && c <= '9') || c == '-' || c == ':' || c == 'T' || c == '.')) return false;
  }
  return civilInstant(y, mo, d, h, mi, s, out);
}

bool parseUtcText(const std::string& text, SysTime& out) {
  LocalTime t;
  if (!parseLocalTime(text, t)) return false;
  return civilInstant(t.year, t.month, t.day, t.hour, t.minute, t.second + t.millisecond / 1000.0, out);
}

bool readWavIqHeader(std::istream& in, std::uint64_t fileSize, WavIqHeader& out, std::string& error) {
  unsigned char riff[12];
  if (!readExactly(in, riff, 12) || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) {
    error = "is not a WAV file";
    return false;
  }
  std::uint64_t pos = 12;
  bool haveFmt = false;
  int tag = 0, channels = 0, bits = 0;
  double rate = 0;
  while (true) {
    unsigned char head[8];
    if (!readExactly(in, head, 8)) {
      error = haveFmt ? "has no audio data" : "has no format chunk";
      return false;
    }
    pos += 8;
    const std::uint64_t size = le32(head + 4);
    if (std::memcmp(head, "data", 4) == 0) {
      if (!haveFmt) {
        error = "has its data before its format";
        return false;
      }
      out.dataOffset = pos;
      std::uint64_t bytes = size;
      const std::uint64_t avail = fileSize > pos ? fileSize - pos : 0;
      if (bytes > avail) {
        // 0xFFFFFFFF: a recorder that never closed the file; take what is there.
        if (size != 0xFFFFFFFFu)
          out.warning = "the recording is shorter than its header says (" + std::to_string(avail) + " of " +
                        std::to_string(size) + " bytes)";
        bytes = avail;
      }
      out.dataBytes = bytes - bytes % bytesPerSample(out.format);
      break;
    }
    if (size > fileSize - std::min(fileSize, pos)) {
      error = "has a chunk longer than the file";
      return false;
    }
    if (std::memcmp(head, "fmt ", 4) == 0) {
      if (size < 16 || size > 4096) {
        error = "has a damaged format chunk";
        return false;
      }
      std::vector<unsigned char> f(size);
      if (!readExactly(in, f.data(), size)) {
        error = "has a damaged format chunk";
        return false;
      }
      tag = le16(f.data());
      channels = le16(f.data() + 2);
      rate = le32(f.data() + 4);
      bits = le16(f.data() + 14);
      if (tag == 0xFFFE && size >= 26) tag = le16(f.data() + 24);  // the sub-format's tag
      haveFmt = true;
      if (channels != 2) {
        error = "has " + std::to_string(channels) + " channel(s); an I/Q recording has two (I and Q)";
        return false;
      }
      if (tag == 1 && bits == 16) out.format = IqFormat::CS16;
      else if (tag == 1 && bits == 8) out.format = IqFormat::CU8;
      else if (tag == 3 && bits == 32) out.format = IqFormat::CF32;
      else {
        error = "holds " + std::to_string(bits) + "-bit samples of format " + std::to_string(tag) +
                "; readable are 8-bit and 16-bit PCM and 32-bit float";
        return false;
      }
      if (!goodRate(rate)) {
        error = "has the sample rate " + std::to_string(static_cast<long long>(rate)) + " Hz";
        return false;
      }
      out.rate = rate;
    } else if (std::memcmp(head, "auxi", 4) == 0 && size >= 40 && size <= 4096) {
      std::vector<unsigned char> a(size);
      if (!readExactly(in, a.data(), size)) {
        error = "has a damaged auxi chunk";
        return false;
      }
      // Start time as eight 16-bit fields (year, month, weekday, day, hour, minute,
      // second, millisecond), the stop time likewise, then the centre frequency in Hz.
      const unsigned char* t = a.data();
      SysTime start;
      if (civilInstant(le16(t), le16(t + 2), le16(t + 6), le16(t + 8), le16(t + 10),
                       le16(t + 12) + le16(t + 14) / 1000.0, start))
        out.start = start;
      const double centre = le32(a.data() + 32);
      if (centre > 0 && goodCentre(centre)) out.centreHz = centre;
    } else {
      in.seekg(static_cast<std::streamoff>(size), std::ios::cur);
      if (!in) {
        error = "has a damaged chunk";
        return false;
      }
    }
    pos += size;
    if (size % 2) {  // chunks are padded to even length
      in.seekg(1, std::ios::cur);
      ++pos;
    }
  }
  return true;
}

bool readSigMF(const std::string& text, IqFileInfo& info, std::string& error) {
  const nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
  if (j.is_discarded() || !j.is_object()) {
    error = "is not a SigMF description (no JSON object)";
    return false;
  }
  const auto global = j.find("global");
  if (global != j.end() && global->is_object()) {
    if (const auto t = global->find("core:datatype"); t != global->end() && !info.format) {
      const auto f = t->is_string() ? iqFormatFromName(t->get<std::string>()) : std::nullopt;
      if (!f) {
        error = "names a sample type this program cannot read (readable: ci16_le, cu8, ci8, cf32_le)";
        return false;
      }
      info.format = f;
    }
    if (const auto r = global->find("core:sample_rate"); r != global->end() && !info.rate) {
      if (!r->is_number() || !goodRate(r->get<double>())) {
        error = "has an unusable core:sample_rate";
        return false;
      }
      info.rate = r->get<double>();
    }
  }
  const auto captures = j.find("captures");
  if (captures != j.end() && captures->is_array() && !captures->empty() && (*captures)[0].is_object()) {
    const auto& c = (*captures)[0];
    if (const auto f = c.find("core:frequency"); f != c.end() && !info.centreHz) {
      if (!f->is_number() || !goodCentre(f->get<double>())) {
        error = "has an unusable core:frequency";
        return false;
      }
      info.centreHz = f->get<double>();
    }
    if (const auto d = c.find("core:datetime"); d != c.end() && !info.start) {
      SysTime t;
      if (!d->is_string() || !parseIsoInstant(d->get<std::string>(), t)) {
        error = "has an unusable core:datetime (ISO 8601 UTC, e.g. 2017-10-28T00:00:00Z)";
        return false;
      }
      info.start = t;
    }
  }
  return true;
}

bool IqFileSource::open(const std::filesystem::path& path, const IqFileInfo& given, std::string& error) {
  std::error_code ec;
  std::filesystem::path data = path;
  std::filesystem::path meta;
  if (path.extension() == ".sigmf-meta") {
    meta = path;
    data = std::filesystem::path(path).replace_extension(".sigmf-data");
  } else {
    for (const auto& candidate : {std::filesystem::path(path).replace_extension(".sigmf-meta"),
                                  std::filesystem::path(path.string() + ".sigmf-meta")})
      if (std::filesystem::is_regular_file(candidate, ec)) {
        meta = candidate;
        break;
      }
  }
  if (!std::filesystem::is_regular_file(data, ec)) {
    error = "Cannot read the recording " + data.string() + ": no such file.";
    return false;
  }
  const std::uint64_t size = std::filesystem::file_size(data, ec);
  IqFileInfo info = given;
  if (!meta.empty()) {
    std::ifstream m(meta, std::ios::binary);
    std::string text;
    const std::uint64_t metaSize = std::filesystem::file_size(meta, ec);
    if (!m || ec || metaSize > kMaxMetaBytes) {
      error = "Cannot read the SigMF description " + meta.string() + ".";
      return false;
    }
    text.resize(metaSize);
    m.read(text.data(), static_cast<std::streamsize>(metaSize));
    std::string why;
    if (!readSigMF(text, info, why)) {
      error = "The SigMF description " + meta.string() + " " + why + ".";
      return false;
    }
  }
  auto in = std::make_unique<std::ifstream>(data, std::ios::binary);
  if (!*in) {
    error = "Cannot open the recording " + data.string() + ".";
    return false;
  }
  if (!open(std::move(in), size, info, error)) {
    error = "The recording " + data.string() + " " + error;
    return false;
  }
  return true;
}

bool IqFileSource::open(std::unique_ptr<std::istream> in, std::uint64_t size, const IqFileInfo& given,
                        std::string& error) {
  m_in = std::move(in);
  m_done = 0;
  m_health = {};
  m_warning.clear();
  IqFileInfo info = given;
  std::uint64_t offset = 0, bytes = size;
  if (!info.format) {
    WavIqHeader h;
    if (!readWavIqHeader(*m_in, size, h, error)) {
      error += ".";
      return false;
    }
    info.format = h.format;
    if (!info.rate) info.rate = h.rate;
    if (!info.centreHz) info.centreHz = h.centreHz;
    if (!info.start) info.start = h.start;
    offset = h.dataOffset;
    bytes = h.dataBytes;
    m_warning = h.warning;
  }
  if (!info.rate || !goodRate(*info.rate)) {
    error = "needs its sample rate (--rate, 1000 to 200000000 samples per second).";
    return false;
  }
  if (!info.centreHz || !goodCentre(*info.centreHz)) {
    error = "needs its centre frequency (--centre, in Hz).";
    return false;
  }
  m_format = *info.format;
  m_rate = *info.rate;
  m_centre = *info.centreHz;
  m_start = info.start.value_or(SysTime{});
  m_total = bytes / bytesPerSample(m_format);
  m_in->clear();
  m_in->seekg(static_cast<std::streamoff>(offset));
  if (!*m_in) {
    error = "cannot be read.";
    return false;
  }
  if (m_blockSamples == 0) m_blockSamples = std::max<std::size_t>(256, static_cast<std::size_t>(m_rate / 20));
  return true;
}

ReadStatus IqFileSource::read(IqBlock& block) {
  if (!m_in || m_done >= m_total) return ReadStatus::End;
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(m_blockSamples, m_total - m_done));
  const std::size_t bps = bytesPerSample(m_format);
  m_bytes.resize(n * bps);
  m_in->read(reinterpret_cast<char*>(m_bytes.data()), static_cast<std::streamsize>(n * bps));
  const std::size_t got = static_cast<std::size_t>(m_in->gcount()) / bps;
  if (got == 0) {
    m_total = m_done;
    return ReadStatus::End;
  }
  block.samples.resize(got);
  convertIq(m_format, m_bytes.data(), got, block.samples.data());
  block.rate = m_rate;
  block.centreHz = m_centre;
  block.index = static_cast<long long>(m_done);
  block.time = m_start + std::chrono::duration_cast<SysTime::duration>(
                             std::chrono::duration<double>(static_cast<double>(m_done) / m_rate));
  block.config = 0;
  m_done += got;
  m_health.samples += static_cast<long long>(got);
  return ReadStatus::Block;
}

}  // namespace harkola
