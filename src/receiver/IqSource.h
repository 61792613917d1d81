#pragma once
// The receiver input: a stream of complex samples with its sample rate, centre frequency
// and the time of every block, from which the band channels are taken. A SoapySDR
// device, an rtl_tcp server, a KiwiSDR channel or an I/Q recording all look like this to
// the rest of the program.
//
// Contract:
// - Samples are complex float, full scale +-1.0 (whatever the device delivers is scaled).
// - `index` counts samples from the start of the stream, including samples the device
//   dropped when it knows how many (hardware time); a reader can see a gap as a jump.
// - `time` is the instant of samples[0] on the system clock (UTC), as the source's clock
//   model puts it (BlockClock for live sources; start + index / rate for recordings).
// - Rate and centre frequency may change between blocks (a retune); `config` counts
//   such changes so a consumer rebuilds its channels when it changes.
// - What goes wrong is returned, never thrown: a read that times out, an overflow, the
//   end of a recording, a lost link. read() never waits longer than the source's own
//   bounded timeout.

#include <chrono>
#include <complex>
#include <cstdint>
#include <string>
#include <vector>

namespace harkola {

using IqSample = std::complex<float>;
using SysTime = std::chrono::system_clock::time_point;

struct IqBlock {
  std::vector<IqSample> samples;
  double rate = 0.0;      // samples per second, nominal
  double centreHz = 0.0;  // the frequency at 0 Hz of the stream
  long long index = 0;    // stream position of samples[0]
  SysTime time{};         // instant of samples[0]
  int config = 0;         // changes when rate or centre change
};

enum class ReadStatus {
  Block,     // `block` holds new samples
  Timeout,   // nothing arrived in the source's timeout; try again
  Overflow,  // the device lost samples; the next block follows the gap
  End,       // a recording ended, or the source was stopped
  Failed,    // the source cannot go on; error() says why
};

// Counters a set-up window shows.
struct SourceHealth {
  long long samples = 0;
  long overflows = 0;
  long timeouts = 0;
  long reconnects = 0;
};

// A source read by its owner, block by block (a recording, a SoapySDR stream). Network
// sources deliver blocks as they arrive instead (see IqSink).
class IqSource {
 public:
  virtual ~IqSource() = default;
  // The next block into `block` (its storage is reused), or what happened instead.
  virtual ReadStatus read(IqBlock& block) = 0;
  // Words for the user after Failed ("cannot open ...").
  virtual std::string error() const = 0;
  virtual const SourceHealth& health() const = 0;
};

// Where blocks and events of a source go.
class IqSink {
 public:
  virtual ~IqSink() = default;
  virtual void onBlock(const IqBlock& block) = 0;
  // Overflow, timeout, a lost link: the counters and the words for the user.
  virtual void onEvent(ReadStatus status, const std::string& text) = 0;
};

}  // namespace harkola
