#pragma once
// A SoapySDR device as a receiver input: whatever device module the user installed
// (RTL-SDR, HackRF, Airspy, SDRplay, a remote device ...) found by the library's
// enumeration, set to a sample rate, centre frequency and gain, read as complex float.
// Reads wait at most kReadTimeout; timeouts and overflows are counted and returned,
// never a hang. Block times: the device's hardware time places samples (gaps after an
// overflow included) where it gives one, the arrival time corrected by the sample count
// otherwise (BlockClock).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "receiver/BlockClock.h"
#include "receiver/IqSource.h"

namespace SoapySDR {
class Device;
class Stream;
}  // namespace SoapySDR

namespace harkola {

struct SoapyDeviceInfo {
  std::string label;  // for the user ("Generic RTL2832U OE:: 00000001")
  std::string args;   // to open it again ("driver=rtlsdr,serial=00000001")
};
// The devices the installed modules find now.
std::vector<SoapyDeviceInfo> findSoapyDevices();

struct SoapySettings {
  std::string args;            // device arguments, e.g. "driver=hackrf"
  double rate = 2.4e6;
  double centreHz = 14.2e6;
  std::optional<double> gainDb;  // none: the device's automatic gain
  bool directSampling = false;   // RTL-SDR: HF through the Q branch
};

class SoapySource : public IqSource {
 public:
  static constexpr double kReadTimeout = 0.5;  // seconds

  SoapySource();
  ~SoapySource() override;
  // Opens and starts the stream; false with the reason in error().
  bool open(const SoapySettings& s);
  void close();

  ReadStatus read(IqBlock& block) override;
  std::string error() const override { return m_error; }
  const SourceHealth& health() const override { return m_health; }
  // What the device reports (driver, hardware), for the set-up window.
  const std::string& description() const { return m_description; }
  double rate() const { return m_rate; }
  // The clock arrivals are read from (tests give a simulated one).
  void setClock(std::function<SysTime()> now) { m_now = std::move(now); }

 private:
  SoapySDR::Device* m_device = nullptr;
  SoapySDR::Stream* m_stream = nullptr;
  double m_rate = 0.0, m_centre = 0.0;
  std::size_t m_mtu = 0;
  std::unique_ptr<BlockClock> m_clock;
  long long m_index = 0;
  std::optional<long long> m_firstTimeNs;
  SourceHealth m_health;
  std::function<SysTime()> m_now = [] { return std::chrono::system_clock::now(); };
  std::string m_error, m_description;
};

}  // namespace harkola
