#pragma once
// The classic detector: every block is transformed (1024 points, the block in the first
// half) and the bins around the 800 Hz tone are tested against the noise on either
// side; each bin above the threshold is a morse peak. The slot's beacon counts as heard
// while more than MorseThreshold peaks have been seen in the slot, and its S level comes
// from the average amplified peak:
//   S = floor(sqrt(|MorsePeakSum / MorseHits|) / 100) + SMeterOffset, clamped to 1..9.
//
// It answers for the running slot as it goes (never late). The counters are mirrored in
// PublicDecs (MorseHits, MorsePeakSum) after every block for the analyser's labels;
// nothing else writes them. The settings (MorseThreshold, SMeterOffset, NoiseFilter) are
// read from PublicDecs at each call, as the analyser's sliders leave them.

#include "audio/AudioFFT.h"
#include "audio/FrameAnalysis.h"
#include "clock/SlotDetector.h"
#include "common/PublicDecs.h"

namespace harkola {

class ClassicDetector : public SlotDetector {
 public:
  explicit ClassicDetector(PublicDecs& d) : d(d) {}

  void beginSlot(const SlotRef& slot) override;
  // Blocks longer than 512 samples are analysed 512 at a time; a shorter rest is kept
  // for the next call, so any block size gives the same frames.
  void addBlock(const std::int16_t* samples, std::size_t count, SysTime end) override;
  SlotDecision decide(SysTime now) override;

  const MorseCount& count() const { return m_count; }
  const FrameResult& lastFrame() const { return m_last; }

 protected:
  MorseCount m_count;

 private:
  void analyseBuffered();

  PublicDecs& d;
  SlotRef m_slot;
  FrameResult m_last;
  AudioFFT m_fft;
  SampleBlock m_block{};  // samples 512..1023 stay 0
  std::size_t m_fill = 0;
  SpectrumFrame m_spectrum{};
};

}  // namespace harkola
