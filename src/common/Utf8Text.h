#pragma once
// The data files and logs are single-byte text. What leaves the program as JSON must
// be UTF-8: text that already is UTF-8 (a file saved by a modern editor) stays as it
// is; otherwise every byte is read as Latin-1 (ISO 8859-1), so "Per\xFA" becomes "Perú".

#include <string>
#include <string_view>

namespace harkola {

bool isUtf8(std::string_view text);
std::string utf8Text(std::string_view text);

}  // namespace harkola
