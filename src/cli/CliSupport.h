#pragma once
// Small helpers shared by the harkola-cli commands.

#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "common/PublicDecs.h"
#include "cli/Commands.h"

namespace harkola::cli {

// Options of the form --name VALUE and --flag, plus positional words.
class ParsedArgs {
 public:
  // `withValue`: options that take a value; `flags`: options that take none. Anything
  // else starting with "-" is an error. Returns false with a message in `error`.
  bool parse(const Args& args, const std::set<std::string>& withValue,
             const std::set<std::string>& flags, std::string& error);
  bool has(const std::string& name) const { return m_values.count(name) || m_flags.count(name); }
  std::optional<std::string> value(const std::string& name) const;
  const std::vector<std::string>& positional() const { return m_positional; }

 private:
  std::map<std::string, std::string> m_values;
  std::set<std::string> m_flags;
  std::vector<std::string> m_positional;
};

// Loads the home record and the beacon table of `folder` (the current folder when
// empty) into d, read-only: when a file is missing or unreadable the built-in default is
// used instead and nothing is written. Distance and azimuth are computed. When a folder
// is named and `warn` is given, a folder that does not exist, or a data file in it that
// is missing or unreadable, is reported there (the defaults are still used).
void loadDataReadOnly(const std::string& folder, PublicDecs& d, std::ostream* warn = nullptr);

// Parses an integer option; false when it is not a whole number in [lo, hi].
bool parseIntOption(const std::string& text, int lo, int hi, int& out);

}  // namespace harkola::cli
