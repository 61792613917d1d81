#pragma once
// The JSON the commands print (--json, --trace), written by the JSON library: compact,
// keys in the order given, one object or array per line.

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace harkola::cli {

using Json = nlohmann::ordered_json;

// Text from the data files or logs, as UTF-8 (see utf8Text).
Json jsonText(std::string_view text);
// `v` as printf writes it with `format` ("%.1f", "%.9g"), read back: a whole number
// when the text has neither point nor exponent ("-0" is 0), null for NaN or infinity.
// The library then writes the shortest form that reads back as that value, which is
// the printed text itself except for exponent forms.
Json printedNumber(double v, const char* format);
// The line: compact JSON and "\n".
std::string jsonLine(const Json& j);

}  // namespace harkola::cli
