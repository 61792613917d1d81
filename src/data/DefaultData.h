#pragma once
// The built-in default files, written out byte for byte when a file is missing.

#include <filesystem>
#include <string_view>

#include "common/Notice.h"

namespace harkola {

std::string_view defaultBeaconData();
std::string_view defaultHomeData();
// makerCode 121 Kenwood, 122 Icom, 123 Yaesu; empty for any other code.
std::string_view defaultRigData(int makerCode);
std::string_view defaultChartSample();

inline constexpr const char* kBeaconDataFile = "BeaconData.dat";
inline constexpr const char* kHomeDataFile = "HomeData.dat";
inline constexpr const char* kRigDataFile = "RigData.dat";
inline constexpr const char* kChartSampleFile = "Chart Sample.csv";

inline constexpr const char* kCorruptDataMessage =
    "The data file is corrupt, Harkola will now create a new default file";

// Each writer replaces the file in `folder` with its default and returns the notice to
// show ("Default beacon data written to file", OK and Cancel, application title).
// When the file cannot be written the notice says so instead (critical icon).
Notice writeDefaultBeaconData(const std::filesystem::path& folder);
Notice writeDefaultHomeData(const std::filesystem::path& folder);
Notice WriteDefaultRigData(const std::filesystem::path& folder, int makerCode);
Notice writeChartSample(const std::filesystem::path& folder);

}  // namespace harkola
