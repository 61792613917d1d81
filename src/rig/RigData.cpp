#include "rig/RigData.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#include "data/DataFile.h"
#include "rig/RigCommands.h"

namespace harkola {


std::size_t parseRigData(std::string_view text, RigGrid& table) {
  const auto fields = readFields(text);
  table = RigGrid{};
  const std::size_t used = std::min<std::size_t>(fields.size(), kRigRowCount * 2);
  for (std::size_t k = 0; k < used; ++k) table[k / 2][k % 2] = fields[k];
  return used;
}

std::string formatRigData(const RigGrid& table) {
  std::string out;
  for (const auto& row : table) out += formatRecord({row[0], row[1]});
  return out;
}

std::filesystem::path rigDataPath(const PublicDecs& d) {
  return std::filesystem::path(d.DataFolder) / "RigData.dat";
}

bool LoadRigData(PublicDecs& d) {
  std::string text;
  if (!readWholeFile(rigDataPath(d), text)) return false;
  parseRigData(text, d.RigTable);
  std::string flag = d.RigTable[kRigRowTested][1];
  std::transform(flag.begin(), flag.end(), flag.begin(), [](unsigned char c) { return std::tolower(c); });
  d.RigTested = flag == "true";
  if (const int code = makerCodeFor(d.RigTable[kRigRowMaker][1]); code != 0) d.RigMakerCode = code;
  return true;
}

bool SaveRigData(const PublicDecs& d) {
  const auto path = rigDataPath(d);
  // Written beside the file and renamed over it, so a failed write leaves the old file.
  auto temp = path;
  temp += ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    const std::string text = formatRigData(d.RigTable);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      std::error_code ec;
      std::filesystem::remove(temp, ec);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (!ec) return true;
  std::filesystem::remove(temp, ec);
  return false;
}

const std::array<std::vector<std::string>, 6>& portSetChoices() {
  static const std::array<std::vector<std::string>, 6> lists = {{
      {"1", "2", "3", "4"},
      {"300", "600", "1200", "2400", "4800", "9600", "14400", "19200"},
      {"None", "Odd", "Even", "Mark", "Space"},
      {"8", "7", "6", "5"},
      {"1", "2"},
      {"None", "Xon/Xoff", "RTS", "RTSXOnXOff"},
  }};
  return lists;
}

const std::vector<std::string>& makerChoices() {
  static const std::vector<std::string> makers = {"Kenwood", "Icom", "Yaesu"};
  return makers;
}

std::optional<int> firstUnlistedRigRow(const RigGrid& table) {
  for (int row = 0; row <= kRigRowMaker; ++row) {
    const auto& list = row < kRigRowMaker ? portSetChoices()[row] : makerChoices();
    if (std::find(list.begin(), list.end(), table[row][1]) == list.end()) return row;
  }
  return std::nullopt;
}

}  // namespace harkola
