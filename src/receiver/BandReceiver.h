#pragma once
// One receiver stream into the audio of the bands it carries. A wide stream (a
// wide-band SDR: 100 kHz and up) goes through the fast-convolution channelizer, one
// transform for all its bands; a narrow one (a KiwiSDR channel, a 16 kHz recording)
// straight into the band's channel. Channels are rebuilt when the stream's rate or
// centre changes.

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "receiver/BandChannel.h"
#include "receiver/FastChannelizer.h"
#include "receiver/IqSource.h"

namespace harkola {

// Where each band's audio goes: `count` 11025 Hz samples ending at `end`.
class BandAudioSink {
 public:
  virtual ~BandAudioSink() = default;
  virtual void onAudio(int band, const std::int16_t* samples, std::size_t count, SysTime end) = 0;
};

// Streams from this rate up are channelized by fast convolution.
inline constexpr double kWideRate = 100e3;
// Share of a stream's rate around its centre that counts as usable (receivers roll off
// towards the edges).
inline constexpr double kUsableShare = 0.8;

// The bands (0..4) whose receiving channel (carrier - 700 .. carrier + 2200 Hz) lies in
// the usable part of a stream.
std::vector<int> bandsCovered(double rate, double centreHz);
// A centre for a wide stream that covers as many bands as its rate allows, with no
// band's carrier within 20 kHz of the centre (where receivers have their DC spur).
double suggestedCentre(double rate);

class BandReceiver {
 public:
  // `bands`: which bands (0..4) this stream should serve; those it does not cover are
  // left out (bands() says which are served). `measure`: FFTW measures its plans.
  explicit BandReceiver(std::vector<int> bands, bool measure = false);
  ~BandReceiver();

  void push(const IqBlock& block, BandAudioSink& sink);
  // Every channel at a fixed gain instead of its AGC (0: AGC), now and after rebuilds.
  void setFixedGain(double gain);
  // The bands served with the stream as it is now.
  const std::vector<int>& bands() const { return m_served; }
  // The band's channel, null when not served.
  const BandChannel* channel(int band) const;
  // Transform size of the channelizer (0 for a narrow stream).
  int transformSize() const { return m_fast ? m_fast->transformSize() : 0; }

 private:
  void build(const IqBlock& block);
  SysTime timeOfPosition(long long pos) const;

  std::vector<int> m_wanted, m_served;
  bool m_measure;
  double m_fixedGain = 0.0;
  bool m_built = false;
  double m_rate = 0.0, m_centre = 0.0;
  int m_config = 0;
  std::unique_ptr<FastChannelizer> m_fast;
  std::vector<std::unique_ptr<BandChannel>> m_channels;  // per served band
  std::vector<std::vector<IqSample>> m_stage;            // channelizer output per band
  std::vector<std::int16_t> m_audio;
  long long m_pushed = 0;       // samples into the channelizer
  long long m_outputs = 0;      // channelizer outputs taken per band
  struct Anchor {
    long long pos;
    SysTime time;
  };
  std::deque<Anchor> m_anchors;  // time of channelizer input positions, one per block
};

}  // namespace harkola
