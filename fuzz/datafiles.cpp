// The data-file readers on arbitrary bytes: the field reader, the home record, the
// beacon table and the rig table, and the distances computed from whatever loads.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/PublicDecs.h"
#include "data/ArrayCalcsModule.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"
#include "rig/RigData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace harkola;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)readFields(text);
  double number = 0;
  (void)parseNumber(text.substr(0, 64), number);

  static const HomeRecord kDefaultHome = *parseHome(defaultHomeData());
  static const BeaconGrid kDefaultBeacons = *parseBeacons(defaultBeaconData());
  PublicDecs d;
  const auto home = parseHome(text);
  const auto beacons = parseBeacons(text);
  d.Home = home ? *home : kDefaultHome;
  d.BeaconTable = beacons ? *beacons : kDefaultBeacons;
  if (home || beacons) computeDistAzTable(d);

  RigGrid rig{};
  (void)parseRigData(text, rig);
  (void)formatRigData(rig);
  return 0;
}
