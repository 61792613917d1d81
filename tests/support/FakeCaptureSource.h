#pragma once
// A capture source the test feeds by hand, in chunks of any size, and can pull away in
// the middle of a session as an unplugged sound card goes.
#include <vector>

#include "audio/CaptureSource.h"

namespace harkola::test {

class FakeCaptureSource : public CaptureSource {
 public:
  bool start(QString&) override { return running = true; }
  void stop() override { running = false; }
  bool isRunning() const override { return running; }
  using CaptureSource::feed;
  void play(const std::vector<std::int16_t>& s) { feed(s.data(), s.size()); }
  void unplug() {
    stop();
    emit inputLost("The sound input \"USB Audio\" is no longer available.");
  }
  bool running = false;
};

}  // namespace harkola::test
