// Detection per band through the wide-band chain against the same slots heard as
// audio: every slot's five scenes (one per band, realistic channel as the detector's
// own statistics use) are rendered once, fed to a detector as audio, and placed into
// one I/Q stream whose band channels feed the five-band detector. Paired, so the
// difference is the receiver's own.
//   receiver_stats [SLOTS_PER_STEP=30] [RATE=20e6] [SNR,SNR,...]
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>

#include "BeaconAudio.h"
#include "WideIq.h"
#include "clock/BeaconSchedule.h"
#include "receiver/FiveBandDetector.h"

using namespace harkola;
using namespace harkola::testaudio;

namespace {

Scene scene(double snr, int beacon, std::uint32_t seed, const std::vector<std::string>& calls) {
  std::mt19937 rng(seed * 7919u + 17u);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  Scene s;
  s.seed = seed;
  s.channel.qsbDepthDb = 6.0;
  s.channel.qsbHz = 0.03 + 0.47 * u(rng);
  s.beacon = Beacon{calls[beacon - 1], snr, 650.0 + 300.0 * u(rng), -0.5 + u(rng)};
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const int slots = argc > 1 ? std::atoi(argv[1]) : 30;
  const double rate = argc > 2 ? std::atof(argv[2]) : 20e6;
  std::vector<double> snrs = {-22, -20, -18, -16};
  if (argc > 3) {
    snrs.clear();
    std::stringstream ss(argv[3]);
    for (std::string t; std::getline(ss, t, ',');) snrs.push_back(std::atof(t.c_str()));
  }
  const std::vector<std::string> calls = shippedCallsigns();
  const std::vector<int> bands = bandsCovered(rate, suggestedCentre(rate));
  std::printf("%d slots per step at %.1f MS/s, bands:", slots, rate / 1e6);
  for (int b : bands) std::printf(" %d", bandMHz(b));
  std::printf("\n%8s %10s %10s %10s %12s %12s\n", "SNR dB", "audio %", "I/Q %", "diff pp", "other band", "SNR err dB");
  for (double snr : snrs) {
    long audioHeard = 0, iqHeard = 0, n = 0, wrong = 0;
    double err2 = 0;
    long errN = 0;
    for (int k = 0; k < slots; ++k) {
      testiq::WideScene wide;
      wide.rate = rate;
      wide.audio.assign(kBandCount, {});
      std::vector<Scene> scenes(kBandCount);
      for (int b : bands) {
        scenes[b] = scene(snr, beaconOnBand(2, b), static_cast<std::uint32_t>(1000 * k + 10 * b + 1), calls);
        wide.audio[b] = render(scenes[b], 2.0, 14.0);
        SensitiveDetector alone(calls);
        const auto m = detectSlot(alone, scenes[b], beaconOnBand(2, b), b);
        audioHeard += m && m->heard;
      }
      auto synth = testiq::makeSynth(wide, static_cast<std::uint32_t>(k + 1));
      BandReceiver rx(bands, true);
      FiveBandDetector det(calls);
      IqBlock blk;
      blk.rate = rate;
      blk.centreHz = synth->centreHz();
      blk.samples.resize(1 << 17);
      const SysTime first = sceneSlotStart() - std::chrono::seconds(2);
      for (blk.index = 0; blk.index < static_cast<long long>(14.0 * rate); blk.index += 1 << 17) {
        blk.time = first + std::chrono::duration_cast<SysTime::duration>(
                               std::chrono::duration<double>(static_cast<double>(blk.index) / rate));
        synth->produce(blk.samples.data(), blk.samples.size());
        rx.push(blk, det);
        det.tick(blk.time);
        for (const SlotMeasurement& m : det.takeMeasurements()) {
          if (m.slot.start != sceneSlotStart()) continue;
          iqHeard += m.heard;
          if (m.callsign != calls[beaconOnBand(2, m.slot.band) - 1]) ++wrong;
          if (m.heard && m.dashSnrDb[0]) {
            err2 += (*m.dashSnrDb[0] - snr) * (*m.dashSnrDb[0] - snr);
            ++errN;
          }
        }
      }
      n += static_cast<long>(bands.size());
    }
    std::printf("%8.1f %10.1f %10.1f %+10.1f %12ld %12.2f\n", snr, 100.0 * audioHeard / n, 100.0 * iqHeard / n,
                100.0 * (iqHeard - audioHeard) / n, wrong, errN ? std::sqrt(err2 / errN) : 0.0);
    std::fflush(stdout);
  }
  return 0;
}
