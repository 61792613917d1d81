#include "receiver/SoapySource.h"

#include <cmath>
#include <exception>

#include <SoapySDR/Device.hpp>
#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>
#include <SoapySDR/Version.hpp>

namespace harkola {

std::vector<SoapyDeviceInfo> findSoapyDevices() {
  std::vector<SoapyDeviceInfo> out;
  try {
    for (const SoapySDR::Kwargs& k : SoapySDR::Device::enumerate()) {
      SoapyDeviceInfo d;
      d.args = SoapySDR::KwargsToString(k);
      const auto label = k.find("label");
      d.label = label != k.end() ? label->second : d.args;
      out.push_back(std::move(d));
    }
  } catch (const std::exception&) {
    // A module that fails while looking lists nothing.
  }
  return out;
}

SoapySource::SoapySource() = default;
SoapySource::~SoapySource() { close(); }

void SoapySource::close() {
  if (m_device) {
    try {
      if (m_stream) {
        m_device->deactivateStream(m_stream);
        m_device->closeStream(m_stream);
      }
      SoapySDR::Device::unmake(m_device);
    } catch (const std::exception&) {
    }
  }
  m_device = nullptr;
  m_stream = nullptr;
}

bool SoapySource::open(const SoapySettings& s) {
  close();
  m_health = {};
  m_error.clear();
  try {
    m_device = SoapySDR::Device::make(s.args);
  } catch (const std::exception& e) {
    m_error = "Cannot open the SoapySDR device \"" + s.args + "\": " + e.what();
    return false;
  }
  if (!m_device) {
    m_error = "No SoapySDR device answers to \"" + s.args + "\".";
    return false;
  }
  try {
    if (s.directSampling) {
      for (const auto& a : m_device->getSettingInfo())
        if (a.key == "direct_samp") m_device->writeSetting("direct_samp", "2");
    }
    m_device->setSampleRate(SOAPY_SDR_RX, 0, s.rate);
    m_device->setFrequency(SOAPY_SDR_RX, 0, s.centreHz);
    if (s.gainDb) {
      if (m_device->hasGainMode(SOAPY_SDR_RX, 0)) m_device->setGainMode(SOAPY_SDR_RX, 0, false);
      m_device->setGain(SOAPY_SDR_RX, 0, *s.gainDb);
    } else if (m_device->hasGainMode(SOAPY_SDR_RX, 0)) {
      m_device->setGainMode(SOAPY_SDR_RX, 0, true);
    }
    m_rate = m_device->getSampleRate(SOAPY_SDR_RX, 0);
    m_centre = m_device->getFrequency(SOAPY_SDR_RX, 0);
    if (!(m_rate > 0)) throw std::runtime_error("the device reports no sample rate");
    m_stream = m_device->setupStream(SOAPY_SDR_RX, SOAPY_SDR_CF32);
    m_mtu = std::max<std::size_t>(m_device->getStreamMTU(m_stream), 1024);
    if (m_device->activateStream(m_stream) != 0) throw std::runtime_error("the stream does not start");
    m_description = m_device->getDriverKey() + " " + m_device->getHardwareKey();
  } catch (const std::exception& e) {
    m_error = "The SoapySDR device \"" + s.args + "\" refused its settings: " + e.what();
    close();
    return false;
  }
  m_clock = std::make_unique<BlockClock>(m_rate);
  m_index = 0;
  m_firstTimeNs.reset();
  return true;
}

ReadStatus SoapySource::read(IqBlock& block) {
  if (!m_device || !m_stream) return ReadStatus::End;
  block.samples.resize(m_mtu);
  void* buffs[] = {block.samples.data()};
  int flags = 0;
  long long timeNs = 0;
  const int n = m_device->readStream(m_stream, buffs, m_mtu, flags, timeNs, static_cast<long>(kReadTimeout * 1e6));
  const SysTime arrival = m_now();
  if (n == SOAPY_SDR_TIMEOUT) {
    ++m_health.timeouts;
    return ReadStatus::Timeout;
  }
  if (n == SOAPY_SDR_OVERFLOW) {
    ++m_health.overflows;
    // Without hardware time nobody knows how much was lost.
    if (!m_firstTimeNs) m_clock->restart();
    return ReadStatus::Overflow;
  }
  if (n < 0) {
    m_error = std::string("The SoapySDR device failed: ") + SoapySDR::errToStr(n);
    return ReadStatus::Failed;
  }
  block.samples.resize(static_cast<std::size_t>(n));
  if (flags & SOAPY_SDR_HAS_TIME) {
    if (!m_firstTimeNs) m_firstTimeNs = timeNs - static_cast<long long>(std::llround(m_index * 1e9 / m_rate));
    const long long at = std::llround(static_cast<double>(timeNs - *m_firstTimeNs) * m_rate / 1e9);
    if (at > m_index) m_index = at;  // a gap of known length
  }
  block.rate = m_rate;
  block.centreHz = m_centre;
  block.index = m_index;
  block.time = m_clock->place(m_index, block.samples.size(), arrival);
  m_index += n;
  m_health.samples += n;
  return ReadStatus::Block;
}

}  // namespace harkola
