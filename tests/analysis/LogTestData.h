#pragma once
// Small log images for the analysis tests.

#include <initializer_list>
#include <string>

namespace harkola::test {

struct Rec {
  const char* date;
  const char* hour;
  const char* band;
  const char* call;
  const char* s;
};

// Quoted fields, CR LF, as the heard log writes them.
inline std::string logImage(std::initializer_list<Rec> recs) {
  std::string img;
  for (const auto& r : recs)
    img += std::string("\"") + r.date + "\",\"" + r.hour + "\",\"" + r.band + "\",\"" + r.call +
           "\",\"" + r.s + "\"\r\n";
  return img;
}

}  // namespace harkola::test
