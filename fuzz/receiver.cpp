// What the receiver input reads from outside, on arbitrary bytes: an I/Q recording's
// header and samples (through a channel, so damaged samples meet the filters), a SigMF
// description, KiwiSDR messages and frames, an rtl_tcp header, the settings file and a
// command-line receiver.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "receiver/BandReceiver.h"
#include "receiver/IqFile.h"
#include "receiver/KiwiProtocol.h"
#include "receiver/ReceiverSettings.h"
#include "receiver/RtlTcpProtocol.h"

namespace {
struct Discard : harkola::BandAudioSink {
  void onAudio(int, const std::int16_t*, std::size_t, harkola::SysTime) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace harkola;
  const std::string text(reinterpret_cast<const char*>(data), size);
  IqFileSource src;
  std::string error;
  IqFileInfo given;
  given.centreHz = 14.1e6;
  src.setBlockSamples(1000);
  if (src.open(std::make_unique<std::istringstream>(text), size, given, error) && src.rate() <= 48000) {
    BandReceiver rx({0});
    Discard sink;
    IqBlock b;
    while (src.read(b) == ReadStatus::Block) rx.push(b, sink);
  }
  IqFileInfo info;
  readSigMF(text, info, error);
  SysTime t;
  parseIsoInstant(text, t);
  kiwi::SndFrame f;
  kiwi::parseSnd(data, size, f);
  for (const kiwi::Event& e : kiwi::parseMsg(text)) kiwi::describe(e);
  if (size >= rtltcp::kHeaderBytes) rtltcp::parseHeader(data);
  const ReceiverSettings s = parseReceiverSettings(text);
  parseReceiverSettings(formatReceiverSettings(s));
  ReceiverSettings out;
  receiverFromChoice(text, s, out, error);
  return 0;
}
