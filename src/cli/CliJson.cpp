#include "cli/CliJson.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/Utf8Text.h"

namespace harkola::cli {

Json jsonText(std::string_view text) { return utf8Text(text); }

Json printedNumber(double v, const char* format) {
  if (!std::isfinite(v)) return nullptr;
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v);
  const std::string_view t(buf);
  const bool whole = t.find_first_not_of("-0123456789") == std::string_view::npos;
  if (whole && t.size() <= 18) return std::strtoll(buf, nullptr, 10);
  return std::strtod(buf, nullptr);
}

std::string jsonLine(const Json& j) {
  return j.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace harkola::cli
