#pragma once
// The rules behind the two data editors: what a typed value may be, the messages for
// values that break the rules, and the files the editors write. The windows only
// translate between their widgets and these functions.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/PublicDecs.h"

namespace harkola {

inline constexpr const char* kCustomisedNote = "This is customised data";
inline constexpr const char* kHelpSuffix = "    Press F1 for Help";
inline constexpr const char* kLatitudeMessage = "Value must be between 0 and 90 degrees";
inline constexpr const char* kLongitudeMessage = "Value must be between 0 and 180 degrees";
inline constexpr const char* kMinutesMessage = "Value must be between 0 and 59 minutes";
inline constexpr const char* kBeaconSavedMessage = "Files updated and data recalculated";
inline constexpr const char* kHomeSavedMessage =
    "Home data and settings have been saved and calculations updated";
// The file format has no escape for a double quote: a field holding one would split
// into two fields on the next read and shift every field after it.
inline constexpr const char* kQuoteRefusedMessage =
    "A double quote (\") cannot be used here: the data files cannot store it";
inline constexpr const char* kRestoreAllBeaconsQuestion =
    "Replace the data of ALL 18 beacons with the default data? Every change you have saved will be lost.";
inline constexpr const char* kBadLocatorMessage =
    "Not a valid locator. Type 4 or 6 characters, for example IO91 or IO91wm";

// Character limits of the free-text fields.
inline constexpr int kCountryMaxChars = 14;
inline constexpr int kCallsignMaxChars = 11;
inline constexpr int kStatusMaxChars = 26;
inline constexpr int kHomeNameMaxChars = 14;

// "Too long, maximum N characters" when `length` exceeds `maxChars`, else nothing.
std::optional<std::string> tooLongMessage(std::size_t length, int maxChars);

enum class AngleField { LatitudeDegrees, LongitudeDegrees, Minutes };
// True when `text` is a number within 0..90 (latitude degrees), 0..180 (longitude
// degrees) or 0..59 (minutes); decimals inside the range count, an empty text does not.
bool acceptsAngle(std::string_view text, AngleField kind);
const char* rangeMessage(AngleField kind);

// The four position boxes of an editor as typed (hemispheres are chosen separately).
struct PositionEntry {
  std::string_view latDeg, latMin, lonDeg, lonMin;
};
// Why the position cannot be saved, or nothing when it can: each box in its range, and
// no minutes beyond a pole (90 degrees latitude) or beyond 180 degrees longitude.
std::optional<std::string> positionProblem(const PositionEntry& p);

// Why a beacon's country and callsign cannot be saved, or nothing when they can: neither
// may be empty, and a callsign is letters, digits and "/" only.
std::optional<std::string> beaconNameProblem(std::string_view country, std::string_view callsign);

// `text` as a data-file field can hold it: without double quotes and line breaks.
// `hadQuote` tells whether a double quote was removed (line breaks go silently: a
// one-line box only gets them from a paste).
std::string storableText(std::string_view text, bool& hadQuote);

// Column 11 is "West" or "East" and column 14 "North" or "South" in row `beacon`.
bool beaconHemispheresValid(const BeaconGrid& table, int beacon);
// Field 4 is "North"/"South", 7 "West"/"East" and 8 "Miles"/"Km".
bool homeChoicesValid(const HomeRecord& home);

// What the beacon editor shows of one beacon and takes back: its boxes and choices.
// The hemisphere words count as everywhere else: "South" and "West" are south and west,
// any other word north and east.
struct BeaconForm {
  std::string country, callsign;
  std::array<std::string, kBandCount> status;  // 14 .. 28 MHz
  std::string latDeg, latMin, lonDeg, lonMin;
  bool south = false, west = false;
  std::string note;  // shown only; a saved row is marked customised
};
BeaconForm beaconForm(const BeaconGrid& table, int beacon);
// Row `beacon` (1..18) of `table` as the form has it, marked customised.
void storeBeaconForm(const BeaconForm& form, BeaconGrid& table, int beacon);
// Why the form cannot be saved (names, then position), or nothing.
std::optional<std::string> beaconFormProblem(const BeaconForm& form);

// The same for the home editor; an unknown unit word counts as kilometres.
struct HomeForm {
  std::string name, latDeg, latMin, lonDeg, lonMin;
  bool south = false, west = false, miles = false;
  std::string note;
};
HomeForm homeForm(const HomeRecord& home);
HomeRecord homeRecordOf(const HomeForm& form);  // marked customised

// BeaconData.dat: rows 1..18, fields 1..15 each, one record a line.
std::string formatBeaconFile(const BeaconGrid& table);
// HomeData.dat: fields 1..8 on the first line, the note (field 9) on a line of its own.
std::string formatHomeFile(const HomeRecord& home);

// Replace the file in `folder`; false when it could not be written completely, in
// which case the old file is left as it was (the caller keeps its data unchanged too).
bool saveBeaconFile(const std::filesystem::path& folder, const BeaconGrid& table);
bool saveHomeFile(const std::filesystem::path& folder, const HomeRecord& home);
std::string saveFailedMessage(const std::filesystem::path& file);

// The 6-character locator of a position given as the data files hold it (degree and
// minute texts and the hemisphere words); empty when a part is not a number or the
// latitude lies beyond a pole.
std::string locatorOfParts(std::string_view latDeg, std::string_view latMin, bool south,
                           std::string_view lonDeg, std::string_view lonMin, bool west);

// The texts a locator puts into the position fields: the centre of its square in
// whole degrees and minutes with the hemisphere words.
struct PositionTexts {
  std::string latDeg, latMin, northSouth, lonDeg, lonMin, westEast;
};
std::optional<PositionTexts> positionOfLocator(std::string_view locator);

}  // namespace harkola
