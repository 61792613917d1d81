#pragma once
// A SoapySDR device that plays a synthetic wide-band stream instead of a radio: it
// keeps what the program set (rate, centre, gain, direct sampling) for the caller to
// check and hands out complex float only; how the samples come (scripted with injected
// faults, or in real time paced by the clock) is the subclass's readStream. Shared by
// the device registered inside the test program and the loadable module of the
// receiver's desktop bench (bench/receiver/PlayerModule.cpp).

#include <SoapySDR/Device.hpp>
#include <string>

namespace harkola::testiq {

struct PlayerSettings {
  double rate = 0.0, centreHz = 0.0, gainDb = -1.0;
  std::string directSampling;  // as written to the "direct_samp" setting
};

class PlayerDevice : public SoapySDR::Device {
 public:
  static constexpr std::size_t kMtu = 1 << 17;  // samples per read at most

  explicit PlayerDevice(std::string driver) : m_driver(std::move(driver)) {}
  const PlayerSettings& settings() const { return m_set; }

  std::string getDriverKey() const override { return m_driver; }
  std::string getHardwareKey() const override { return "five-band player"; }
  void setSampleRate(int, size_t, double rate) override { m_set.rate = rate; }
  double getSampleRate(int, size_t) const override { return m_set.rate; }
  void setFrequency(int, size_t, double hz, const SoapySDR::Kwargs&) override { m_set.centreHz = hz; }
  double getFrequency(int, size_t) const override { return m_set.centreHz; }
  bool hasGainMode(int, size_t) const override { return true; }
  void setGain(int, size_t, double db) override { m_set.gainDb = db; }
  SoapySDR::ArgInfoList getSettingInfo() const override;
  void writeSetting(const std::string& key, const std::string& value) override;
  SoapySDR::Stream* setupStream(int direction, const std::string& format, const std::vector<size_t>& channels,
                                const SoapySDR::Kwargs& args) override;
  void closeStream(SoapySDR::Stream*) override {}
  size_t getStreamMTU(SoapySDR::Stream*) const override { return kMtu; }

 protected:
  PlayerSettings m_set;

 private:
  std::string m_driver;
};

// The enumeration's answer for a player: one device labelled `label`, unless the
// arguments ask for another driver.
SoapySDR::KwargsList findPlayer(const SoapySDR::Kwargs& args, const std::string& driver, const std::string& label);

}  // namespace harkola::testiq
