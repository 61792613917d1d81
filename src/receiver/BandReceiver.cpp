#include "receiver/BandReceiver.h"

#include <algorithm>
#include <cmath>

#include "common/Bands.h"

namespace harkola {

namespace {
constexpr double kBelowCarrierHz = 700.0 + 300.0;  // the channel, and room for its filter edges
constexpr double kAboveCarrierHz = 2200.0 + 300.0;
constexpr double kDcClearHz = 20e3;

using Seconds = std::chrono::duration<double>;
SysTime plus(SysTime t, double s) { return t + std::chrono::duration_cast<SysTime::duration>(Seconds(s)); }

bool covers(double rate, double centre, double carrier) {
  // A narrow stream is a receiver's own channel, flat to near its edges.
  const double half = (rate >= kWideRate ? kUsableShare : 0.9) * rate / 2.0;
  return carrier - kBelowCarrierHz >= centre - half && carrier + kAboveCarrierHz <= centre + half;
}
}  // namespace

std::vector<int> bandsCovered(double rate, double centreHz) {
  std::vector<int> out;
  for (const BandInfo& b : kBands)
    if (covers(rate, centreHz, static_cast<double>(b.hz))) out.push_back(b.index);
  return out;
}

double suggestedCentre(double rate) {
  double best = static_cast<double>(kBands[0].hz);
  std::size_t bestCount = 0;
  for (int i = 0; i < kBandCount; ++i)
    for (int j = i; j < kBandCount; ++j) {
      const double centre = (kBands[i].hz + kBands[j].hz) / 2.0;
      const std::size_t n = bandsCovered(rate, centre).size();
      if (n > bestCount) {
        bestCount = n;
        best = centre;
      }
    }
  auto nearCarrier = [](double c) {
    for (const BandInfo& b : kBands)
      if (std::abs(static_cast<double>(b.hz) - c) < kDcClearHz) return true;
    return false;
  };
  if (nearCarrier(best)) {
    for (double shift : {2.5 * kDcClearHz, -2.5 * kDcClearHz, 1.5 * kDcClearHz, -1.5 * kDcClearHz})
      if (bandsCovered(rate, best + shift).size() == bestCount && !nearCarrier(best + shift)) return best + shift;
  }
  return best;
}

BandReceiver::BandReceiver(std::vector<int> bands, bool measure) : m_wanted(std::move(bands)), m_measure(measure) {}
BandReceiver::~BandReceiver() = default;

const BandChannel* BandReceiver::channel(int band) const {
  for (std::size_t i = 0; i < m_served.size(); ++i)
    if (m_served[i] == band) return m_channels[i].get();
  return nullptr;
}

void BandReceiver::build(const IqBlock& block) {
  m_built = true;
  m_rate = block.rate;
  m_centre = block.centreHz;
  m_config = block.config;
  m_served.clear();
  m_channels.clear();
  m_fast.reset();
  m_anchors.clear();
  m_pushed = m_outputs = 0;
  for (int b : bandsCovered(block.rate, block.centreHz))
    if (std::find(m_wanted.begin(), m_wanted.end(), b) != m_wanted.end()) m_served.push_back(b);
  std::vector<double> offsets;
  for (int b : m_served) offsets.push_back(static_cast<double>(bandInfo(b).hz) - block.centreHz);
  if (block.rate >= kWideRate && !m_served.empty()) {
    m_fast = std::make_unique<FastChannelizer>(block.rate, offsets, m_measure);
    for (std::size_t i = 0; i < m_served.size(); ++i)
      m_channels.push_back(std::make_unique<BandChannel>(m_fast->outputRate(), -m_fast->residualHz(i)));
  } else {
    for (double f : offsets) m_channels.push_back(std::make_unique<BandChannel>(block.rate, f));
  }
  m_stage.assign(m_served.size(), {});
  for (auto& c : m_channels) c->setFixedGain(m_fixedGain);
}

void BandReceiver::setFixedGain(double gain) {
  m_fixedGain = gain;
  for (auto& c : m_channels) c->setFixedGain(gain);
}

SysTime BandReceiver::timeOfPosition(long long pos) const {
  auto it = std::upper_bound(m_anchors.begin(), m_anchors.end(), pos,
                             [](long long p, const Anchor& a) { return p < a.pos; });
  if (it != m_anchors.begin()) --it;
  return plus(it->time, static_cast<double>(pos - it->pos) / m_rate);
}

void BandReceiver::push(const IqBlock& block, BandAudioSink& sink) {
  if (block.samples.empty() || !(block.rate > 0)) return;
  if (!m_built || block.rate != m_rate || block.centreHz != m_centre || block.config != m_config) build(block);
  if (m_channels.empty()) return;
  if (!m_fast) {
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
      m_audio.clear();
      const SysTime end = m_channels[i]->push(block.samples.data(), block.samples.size(), block.time, m_audio);
      if (!m_audio.empty()) sink.onAudio(m_served[i], m_audio.data(), m_audio.size(), end);
    }
    return;
  }
  m_anchors.push_back({m_pushed, block.time});
  m_pushed += static_cast<long long>(block.samples.size());
  for (auto& s : m_stage) s.clear();
  m_fast->push(block.samples.data(), block.samples.size(), m_stage);
  const std::size_t made = m_stage.empty() ? 0 : m_stage[0].size();
  if (made == 0) return;
  // Output o stands for input position o * N / kBins, late by the filter's delay.
  const double decimation = static_cast<double>(m_fast->transformSize()) / FastChannelizer::kBins;
  const SysTime first = plus(timeOfPosition(static_cast<long long>(m_outputs * decimation)),
                             -m_fast->delay() * decimation / m_rate);
  m_outputs += static_cast<long long>(made);
  for (std::size_t i = 0; i < m_channels.size(); ++i) {
    m_audio.clear();
    const SysTime end = m_channels[i]->push(m_stage[i].data(), m_stage[i].size(), first, m_audio);
    if (!m_audio.empty()) sink.onAudio(m_served[i], m_audio.data(), m_audio.size(), end);
  }
  // Anchors older than two transforms are no longer asked for.
  const long long keepFrom = static_cast<long long>(m_outputs * decimation) - 2LL * m_fast->transformSize();
  while (m_anchors.size() > 1 && m_anchors[1].pos <= keepFrom) m_anchors.pop_front();
}

}  // namespace harkola
