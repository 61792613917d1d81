#include "audio/BeaconKeying.h"

#include <cctype>

namespace harkola {

std::string morseOf(char c) {
  static const char* const letters[26] = {
      ".-",   "-...", "-.-.", "-..",  ".",   "..-.", "--.",  "....", "..",   ".---", "-.-",  ".-..", "--",
      "-.",   "---",  ".--.", "--.-", ".-.", "...",  "-",    "..-",  "...-", ".--",  "-..-", "-.--", "--.."};
  static const char* const digits[10] = {"-----", ".----", "..---", "...--", "....-",
                                          ".....", "-....", "--...", "---..", "----."};
  const unsigned char u = static_cast<unsigned char>(c);
  if (std::isalpha(u)) return letters[std::toupper(u) - 'A'];
  if (std::isdigit(u)) return digits[u - '0'];
  if (c == '/') return "-..-.";
  return {};
}

BeaconKeying beaconKeying(const std::string& callsign) {
  BeaconKeying k;
  double t = 0.0;  // end of the last key-down
  auto keyDown = [&](double gap, double length, int dash) {
    if (!k.on.empty()) k.off.push_back({t, gap, -1});
    const double start = k.on.empty() ? 0.0 : t + gap;
    k.on.push_back({start, length, dash});
    t = start + length;
  };
  bool firstInChar = true;
  for (char c : callsign) {
    const std::string code = morseOf(c);
    if (code.empty()) continue;
    firstInChar = true;
    for (char e : code) {
      const double gap = (firstInChar ? 3.0 : 1.0) * kDitSeconds;
      keyDown(gap, (e == '-' ? 3.0 : 1.0) * kDitSeconds, -1);
      firstInChar = false;
    }
  }
  for (int d = 0; d < kLadderSteps; ++d)
    keyDown((d == 0 ? kGapBeforeDashesDits : kGapBetweenDashesDits) * kDitSeconds, kDashSeconds, d);
  k.length = t;
  return k;
}

}  // namespace harkola
