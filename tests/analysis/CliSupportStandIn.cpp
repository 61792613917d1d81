// Stand-in for the shared command-line helpers while they are not in this tree: option
// parsing as documented in CliSupport.h, and a beacon table of the usual 18 callsigns.
#include "cli/CliSupport.h"

namespace harkola::cli {

bool ParsedArgs::parse(const Args& args, const std::set<std::string>& withValue,
                       const std::set<std::string>& flags, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 1 && a[0] == '-') {
      if (withValue.count(a)) {
        if (i + 1 >= args.size()) {
          error = a + " needs a value";
          return false;
        }
        m_values[a] = args[++i];
      } else if (flags.count(a)) {
        m_flags.insert(a);
      } else {
        error = "unknown option " + a;
        return false;
      }
    } else {
      m_positional.push_back(a);
    }
  }
  return true;
}

std::optional<std::string> ParsedArgs::value(const std::string& name) const {
  const auto it = m_values.find(name);
  if (it == m_values.end()) return std::nullopt;
  return it->second;
}

void loadDataReadOnly(const std::string&, PublicDecs& d) {
  static const char* calls[] = {"4U1UN", "VE8AT", "W6WX", "KH6WO", "ZL6B", "VK6RBP",
                                "JA2IGY", "RR9O", "VR2B", "4S7B", "ZS6DN", "5Z4B",
                                "4X6TU", "OH2B", "CS3B", "LU4AA", "OA4B", "YV5B"};
  for (int b = 1; b <= kBeaconCount; ++b) d.BeaconTable[b][3] = calls[b - 1];
}

}  // namespace harkola::cli
