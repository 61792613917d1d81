#pragma once
// The start-up checks and the loading of the home record and the beacon table.

#include <filesystem>
#include <optional>
#include <string_view>

#include "common/Notice.h"
#include "common/PublicDecs.h"

namespace harkola {

// In this order: home data, beacon data, log folder (created when missing), rig data
// (replaced unless it holds exactly 22 field pairs), chart sample in the log folder.
// Returns the notices to show, in order; none when everything was in place.
Notices runStartupChecks(const std::filesystem::path& dataFolder,
                         const std::filesystem::path& logFolder);

// Loads HomeData.dat and BeaconData.dat of d.DataFolder into d.Home and d.BeaconTable
// and computes d.DistAzTable. A file that is unreadable or malformed (home not exactly
// 9 fields, beacons not exactly 18 records of 15 fields, a number field that is not a
// number) is reported with the corrupt-file notice, replaced by its default (with the
// default's own notice) and loaded again. Returns the notices to show, in order.
Notices loadHomeAndBeacons(PublicDecs& d);

// The home record of a HomeData.dat image, or nothing unless it is one sound record.
std::optional<HomeRecord> parseHome(std::string_view text);
// Rows 1..18 of a BeaconData.dat image, or nothing unless it holds exactly 18 full
// records with numeric position fields.
std::optional<BeaconGrid> parseBeacons(std::string_view text);

}  // namespace harkola
