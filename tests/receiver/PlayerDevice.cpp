#include "PlayerDevice.h"

#include <SoapySDR/Formats.hpp>
#include <stdexcept>

namespace harkola::testiq {

SoapySDR::ArgInfoList PlayerDevice::getSettingInfo() const {
  SoapySDR::ArgInfo a;
  a.key = "direct_samp";
  return {a};
}

void PlayerDevice::writeSetting(const std::string& key, const std::string& value) {
  if (key == "direct_samp") m_set.directSampling = value;
}

SoapySDR::Stream* PlayerDevice::setupStream(int direction, const std::string& format, const std::vector<size_t>&,
                                            const SoapySDR::Kwargs&) {
  if (direction != SOAPY_SDR_RX) throw std::runtime_error("receive only");
  if (format != SOAPY_SDR_CF32) throw std::runtime_error("CF32 only");
  return reinterpret_cast<SoapySDR::Stream*>(this);
}

SoapySDR::KwargsList findPlayer(const SoapySDR::Kwargs& args, const std::string& driver, const std::string& label) {
  const auto d = args.find("driver");
  if (d != args.end() && d->second != driver) return {};
  return {{{"driver", driver}, {"label", label}}};
}

}  // namespace harkola::testiq
