#pragma once
// RigData.dat: 22 lines of two quoted fields (label, value), line n = RigTable row n-1.
// Rows 0..5 serial settings, 6 the maker, 7..14 session start and finish commands,
// 15..19 band frequencies, 20 the end frequency, 21 the word True once the user has
// tested the settings (else "False").

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/PublicDecs.h"

namespace harkola {

// The file image's fields, two per row from row 0, into `table`. Rows the text does
// not reach are left empty; fields beyond row 21 are ignored. Returns the number of
// fields read.
std::size_t parseRigData(std::string_view text, RigGrid& table);
// The file image of the table: 22 lines "label","value" CR LF.
std::string formatRigData(const RigGrid& table);

// Reads DataFolder/RigData.dat into d.RigTable, then RigTested from row 21 (the word
// True, any letter case) and RigMakerCode from row 6 (an unknown maker leaves it as
// it was). Returns false, changing nothing, when the file cannot be read.
bool LoadRigData(PublicDecs& d);
// Writes d.RigTable to DataFolder/RigData.dat; false when it cannot be written.
bool SaveRigData(const PublicDecs& d);
std::filesystem::path rigDataPath(const PublicDecs& d);

// The choices of the setup window's six port lists (rows 0..5), in list order.
const std::array<std::vector<std::string>, 6>& portSetChoices();
const std::vector<std::string>& makerChoices();  // "Kenwood", "Icom", "Yaesu"

// The first of rows 0..6 whose value none of its list offers (exact match); nullopt
// when all are offered.
std::optional<int> firstUnlistedRigRow(const RigGrid& table);

inline constexpr const char* kRigCorruptMessage =
    "The file RigData.dat is corrupt.  Please delete it and restart Harkola";

}  // namespace harkola
