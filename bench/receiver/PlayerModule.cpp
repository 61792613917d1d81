// A SoapySDR module for running the desktop program at a wide-band receiver's rate
// without a receiver: the device "harkolaplay" plays all five beacon bands, every
// slot's scheduled beacons placed on the wall clock, at whatever rate and centre the
// program sets, in real time. Found through SOAPY_SDR_PLUGIN_PATH like an installed
// module (bench/receiver/desktop-20msps.sh).
//
// As a device's transfers do, a thread fills buffers of kMtu samples as the clock makes
// them due into a ring of `buffers` (16 = 105 ms at 20 MS/s, about a HackRF's); a buffer
// that finds the ring full because the reader has not taken the older ones is lost,
// and the next read answers SOAPY_SDR_OVERFLOW. Reads carry the time of their first
// sample, so the program places what follows a loss. When the stream stops the module
// logs what it played, what it lost, and how far its own synthesis ever fell behind
// the clock (a player that cannot keep up would hide overflows, not cause them).
//
// Device arguments: seconds=N (beacons for N s from the start, default 120; noise
// after), snr=A,B,C,D,E (dB in 2.5 kHz per band, default -15,-5,0,10,20), buffers=N,
// counts=FILE (once a second the line "SECONDS_PLAYED OVERFLOWS SAMPLES_LOST", replaced
// whole, so that a bench can take the counts over a stretch of the run).
#include <pthread.h>

#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>
#include <SoapySDR/Logger.hpp>
#include <SoapySDR/Registry.hpp>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <cstdio>
#include <deque>
#include <mutex>
#include <sstream>
#include <thread>

#include "BeaconAudio.h"
#include "PlayerDevice.h"
#include "WideIq.h"
#include "clock/BeaconSchedule.h"

namespace harkola::testiq {
namespace {

using Steady = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

class RealTimePlayer : public PlayerDevice {
 public:
  explicit RealTimePlayer(const SoapySDR::Kwargs& args) : PlayerDevice("harkolaplay") {
    auto get = [&](const char* key) {
      const auto it = args.find(key);
      return it == args.end() ? std::string() : it->second;
    };
    if (const std::string s = get("seconds"); !s.empty()) m_seconds = std::max(10.0, std::stod(s));
    if (const std::string s = get("buffers"); !s.empty()) m_buffers = std::max<std::size_t>(2, std::stoul(s));
    m_countsFile = get("counts");
    if (const std::string s = get("snr"); !s.empty()) {
      std::stringstream in(s);
      std::string t;
      for (int b = 0; b < kBandCount && std::getline(in, t, ','); ++b) m_snr[b] = std::stod(t);
    }
  }
  ~RealTimePlayer() override { stop(); }

  int activateStream(SoapySDR::Stream*, int, long long, size_t) override {
    stop();
    if (!(m_set.rate > 0)) return SOAPY_SDR_NOT_SUPPORTED;
    prepare();
    m_quit = false;
    m_thread = std::thread([this] { produce(); });
    pthread_setname_np(m_thread.native_handle(), "harkolaplay");
    return 0;
  }
  int deactivateStream(SoapySDR::Stream*, int, long long) override {
    stop();
    return 0;
  }

  int readStream(SoapySDR::Stream*, void* const* buffs, size_t n, int& flags, long long& timeNs,
                 long timeoutUs) override {
    std::unique_lock lock(m_lock);
    if (!m_ready.wait_for(lock, std::chrono::microseconds(timeoutUs),
                          [&] { return m_overflowPending || !m_ring.empty() || m_quit; }))
      return SOAPY_SDR_TIMEOUT;
    if (m_overflowPending) {
      m_overflowPending = false;
      return SOAPY_SDR_OVERFLOW;
    }
    if (m_ring.empty()) return SOAPY_SDR_TIMEOUT;
    Filled& f = m_ring.front();
    const std::size_t take = std::min(n, f.samples.size() - f.taken);
    std::memcpy(buffs[0], f.samples.data() + f.taken, take * sizeof(IqSample));
    flags = SOAPY_SDR_HAS_TIME;
    timeNs = std::llround(static_cast<double>(f.index + static_cast<long long>(f.taken)) * 1e9 / m_set.rate);
    f.taken += take;
    if (f.taken == f.samples.size()) {
      m_free.push_back(std::move(f.samples));
      m_ring.pop_front();
    }
    return static_cast<int>(take);
  }

 private:
  struct Filled {
    long long index = 0;  // of the first sample in the stream
    std::vector<IqSample> samples;
    std::size_t taken = 0;
  };

  // Every band's audio from the slot boundary before the start on, rendered slot by
  // slot with that slot's beacon, then the synthesizer from the start's instant on.
  void prepare() {
    using namespace testaudio;
    const std::vector<std::string> calls = shippedCallsigns();
    const auto wall = std::chrono::system_clock::now();
    const std::int64_t nowS = std::chrono::duration_cast<std::chrono::seconds>(wall.time_since_epoch()).count();
    const std::int64_t first = slotStartUtc(nowS);
    const int slots = static_cast<int>(m_seconds / 10.0) + 2;
    WideScene scene;
    scene.rate = m_set.rate;
    scene.centreHz = m_set.centreHz;
    scene.audio.assign(kBandCount, {});
    for (int b = 0; b < kBandCount; ++b) {
      for (int k = 0; k < slots; ++k) {
        const std::int64_t at = first + 10 * k;
        Scene s;
        s.seed = static_cast<std::uint32_t>(at * 5 + b);
        s.beacon = Beacon{calls[beaconOnBand(slotNumberAtUtc(at), b) - 1], m_snr[b], 700.0 + 50.0 * b, 0.1};
        const std::vector<std::int16_t> a = render(s, 0.0, 10.0);
        scene.audio[b].insert(scene.audio[b].end(), a.begin(), a.end());
      }
    }
    // The stream starts a little after now, once the synthesizer is built: cut the
    // audio there.
    const auto start = wall + std::chrono::seconds(5);
    const double lead = Seconds(start - std::chrono::system_clock::time_point(std::chrono::seconds(first))).count();
    const auto cut = static_cast<long>(lead * kRate);
    for (auto& a : scene.audio) a.erase(a.begin(), a.begin() + std::min<long>(cut, static_cast<long>(a.size())));
    m_synth = makeSynth(scene);
    const auto left = start - std::chrono::system_clock::now();
    if (left > left.zero()) std::this_thread::sleep_for(left);
    else SoapySDR::logf(SOAPY_SDR_WARNING, "harkolaplay: started %.3f s late: beacons off the slot grid by that",
                        -Seconds(left).count());
    m_start = Steady::now();
    m_played = m_lost = m_overflows = 0;
    m_behind = 0.0;
    m_ring.clear();
    m_free.clear();
  }

  void produce() {
    std::vector<IqSample> next(kMtu);
    long long index = 0;
    auto countsDue = Steady::now();
    while (!m_quit) {
      if (!m_countsFile.empty() && Steady::now() >= countsDue) {
        countsDue += std::chrono::seconds(1);
        writeCounts();
      }
      m_synth->produce(next.data(), next.size());
      const auto due = m_start + std::chrono::duration_cast<Steady::duration>(
                                     Seconds(static_cast<double>(index + static_cast<long long>(kMtu)) / m_set.rate));
      std::unique_lock lock(m_lock);
      const auto now = Steady::now();
      if (now < due) {
        m_stop.wait_until(lock, due, [&] { return m_quit.load(); });
        if (m_quit) break;
      } else {
        m_behind = std::max(m_behind, Seconds(now - due).count());
      }
      if (m_ring.size() >= m_buffers) {
        m_overflowPending = true;
        ++m_overflows;
        m_lost += static_cast<long long>(kMtu);
      } else {
        m_ring.push_back({index, std::move(next), 0});
        next = {};
        if (!m_free.empty()) {
          next = std::move(m_free.back());
          m_free.pop_back();
        }
        next.resize(kMtu);
      }
      m_played += static_cast<long long>(kMtu);
      index += static_cast<long long>(kMtu);
      lock.unlock();
      m_ready.notify_one();
    }
  }

  void writeCounts() {
    long long played, overflows, lost;
    {
      std::lock_guard lock(m_lock);
      played = m_played;
      overflows = m_overflows;
      lost = m_lost;
    }
    const std::string part = m_countsFile + ".part";
    if (std::FILE* f = std::fopen(part.c_str(), "w")) {
      std::fprintf(f, "%.3f %lld %lld\n", static_cast<double>(played) / m_set.rate, overflows, lost);
      if (std::fclose(f) == 0) std::rename(part.c_str(), m_countsFile.c_str());
    }
  }

  void stop() {
    if (!m_thread.joinable()) return;
    {
      std::lock_guard lock(m_lock);
      m_quit = true;
    }
    m_stop.notify_all();
    m_ready.notify_all();
    m_thread.join();
    SoapySDR::logf(SOAPY_SDR_INFO,
                   "harkolaplay: played %.1f s at %.3f MS/s; %lld overflows, %lld samples lost; "
                   "synthesis at most %.3f s behind the clock",
                   static_cast<double>(m_played) / m_set.rate, m_set.rate / 1e6, m_overflows, m_lost, m_behind);
  }

  double m_seconds = 120.0;
  std::size_t m_buffers = 16;
  std::string m_countsFile;
  double m_snr[kBandCount] = {-15, -5, 0, 10, 20};
  std::unique_ptr<WideSynth> m_synth;
  Steady::time_point m_start{};
  std::thread m_thread;
  std::atomic<bool> m_quit{false};
  std::mutex m_lock;  // guards the members below
  std::condition_variable m_ready, m_stop;
  std::deque<Filled> m_ring;
  std::vector<std::vector<IqSample>> m_free;
  bool m_overflowPending = false;
  long long m_played = 0, m_lost = 0, m_overflows = 0;
  double m_behind = 0.0;
};

SoapySDR::KwargsList find(const SoapySDR::Kwargs& args) {
  return findPlayer(args, "harkolaplay", "Harkola five-band player");
}
SoapySDR::Device* make(const SoapySDR::Kwargs& args) { return new RealTimePlayer(args); }

const SoapySDR::Registry registerPlayer("harkolaplay", &find, &make, SOAPY_SDR_ABI_VERSION);

}  // namespace
}  // namespace harkola::testiq
