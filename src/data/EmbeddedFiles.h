#pragma once
#include <string_view>

namespace harkola {
// The bytes of a file compiled into the program from resources/defaults (by file
// name, e.g. "BeaconData.dat"); empty when there is no such file.
std::string_view embeddedFile(std::string_view name);
}  // namespace harkola
