#include "audio/SignalGenerator.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace harkola {

namespace {
void addSaturating(std::int16_t& s, double v) {
  s = static_cast<std::int16_t>(std::clamp(std::lround(s + v), -32768L, 32767L));
}
}  // namespace

void addTone(std::vector<std::int16_t>& samples, std::size_t first, std::size_t count,
             const ToneSpec& tone) {
  const std::size_t end = std::min(samples.size(), first + count);
  const double periodMs = tone.onMs + tone.offMs;
  for (std::size_t i = first; i < end; ++i) {
    const double t = static_cast<double>(i - first) / tone.sampleRate;
    if (tone.onMs > 0 && std::fmod(t * 1000.0, periodMs) >= tone.onMs) continue;
    addSaturating(samples[i], tone.amplitude * std::sin(2.0 * M_PI * tone.hz * t));
  }
}

void addNoise(std::vector<std::int16_t>& samples, double amplitude, std::uint32_t seed) {
  // The raw mt19937 sequence is fixed by the standard (distributions are not).
  std::mt19937 gen(seed);
  for (auto& s : samples) {
    const double u = static_cast<double>(gen()) / 4294967295.0 * 2.0 - 1.0;
    addSaturating(s, amplitude * u);
  }
}

}  // namespace harkola
