#pragma once
// Which receiver input the program listens to and how it is set, kept in Receiver.dat
// beside the other data files: lines of "key","value" in the data files' format. A
// missing file, a missing key or a value that makes no sense gives that setting's
// default (the sound card, as always); unknown keys are ignored. The KiwiSDR password
// is kept as typed (the file is the user's own).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/SettingsFile.h"

namespace harkola {

enum class ReceiverKind { SoundCard, Soapy, RtlTcp, Kiwi, IqFile };

struct ReceiverSettings {
  ReceiverKind kind = ReceiverKind::SoundCard;
  std::vector<int> bands{0, 1, 2, 3, 4};  // the bands the receiver serves
  // SoapySDR and rtl_tcp
  std::string soapyArgs;
  double rate = 2.4e6;
  double centreHz = 0.0;         // 0: chosen for the bands (centreFor)
  std::optional<double> gainDb;  // none: automatic
  bool directSampling = false;   // RTL-SDR: HF through the Q branch
  std::string rtlHost = "127.0.0.1";
  int rtlPort = 1234;
  // KiwiSDR: one channel per band
  std::string kiwiHost;
  int kiwiPort = 8073;
  std::string kiwiPassword;
  // An I/Q recording played in real time (a demonstration without a receiver)
  std::string iqFile;
  std::string iqFormat = "wav";

  bool operator==(const ReceiverSettings&) const = default;
};

ReceiverSettings parseReceiverSettings(std::string_view text);
std::string formatReceiverSettings(const ReceiverSettings& s);
inline constexpr SettingsFile<ReceiverSettings> kReceiverSettingsFile{"Receiver.dat", parseReceiverSettings,
                                                                      formatReceiverSettings};
inline ReceiverSettings loadReceiverSettings(const std::filesystem::path& dataFolder) {
  return kReceiverSettingsFile.load(dataFolder);
}

// "soundcard", "soapy", "rtl_tcp", "kiwi", "iq" and back.
std::string receiverKindName(ReceiverKind k);
std::optional<ReceiverKind> receiverKindFromName(std::string_view name);

// The centre for a stream of `rate` that serves `bands`: where it covers them all with
// no carrier near its centre, else 1/4 of the rate above the first band's carrier.
double centreFor(double rate, const std::vector<int>& bands);

}  // namespace harkola

namespace harkola {
// A receiver named on the command line: "saved" (as Receiver.dat says), "soapy:ARGS",
// "rtl_tcp[:HOST[:PORT]]", "kiwi:HOST[:PORT]", "iq:FILE"; what the words do not say
// comes from `saved`. False with the reason.
bool receiverFromChoice(const std::string& choice, const ReceiverSettings& saved, ReceiverSettings& out,
                      std::string& error);
}  // namespace harkola
