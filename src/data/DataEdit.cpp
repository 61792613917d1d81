#include "data/DataEdit.h"

#include <cctype>
#include <utility>
#include <vector>

#include "data/Beacons.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "data/Maidenhead.h"

namespace harkola {

std::optional<std::string> tooLongMessage(std::size_t length, int maxChars) {
  if (length <= static_cast<std::size_t>(maxChars)) return std::nullopt;
  return "Too long, maximum " + std::to_string(maxChars) + " characters";
}

namespace {

double angleMax(AngleField kind) {
  switch (kind) {
    case AngleField::LatitudeDegrees: return 90.0;
    case AngleField::LongitudeDegrees: return 180.0;
    case AngleField::Minutes: break;
  }
  return 59.0;
}

}  // namespace

bool acceptsAngle(std::string_view text, AngleField kind) {
  double v = 0;
  if (!parseNumber(text, v)) return false;
  return v >= 0.0 && v <= angleMax(kind);
}

const char* rangeMessage(AngleField kind) {
  switch (kind) {
    case AngleField::LatitudeDegrees: return kLatitudeMessage;
    case AngleField::LongitudeDegrees: return kLongitudeMessage;
    case AngleField::Minutes: break;
  }
  return kMinutesMessage;
}

std::optional<std::string> positionProblem(const PositionEntry& p) {
  const std::pair<std::string_view, AngleField> boxes[] = {{p.latDeg, AngleField::LatitudeDegrees},
                                                           {p.latMin, AngleField::Minutes},
                                                           {p.lonDeg, AngleField::LongitudeDegrees},
                                                           {p.lonMin, AngleField::Minutes}};
  for (const auto& [text, kind] : boxes)
    if (!acceptsAngle(text, kind)) return std::string(rangeMessage(kind));
  double deg = 0, min = 0;
  parseNumber(p.latDeg, deg), parseNumber(p.latMin, min);
  if (deg + min / 60.0 > 90.0) return std::string("At 90 degrees latitude the minutes must be 0");
  parseNumber(p.lonDeg, deg), parseNumber(p.lonMin, min);
  if (deg + min / 60.0 > 180.0) return std::string("At 180 degrees longitude the minutes must be 0");
  return std::nullopt;
}

std::optional<std::string> beaconNameProblem(std::string_view country, std::string_view callsign) {
  auto blank = [](std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; };
  if (blank(country)) return std::string("The country cannot be empty");
  if (blank(callsign)) return std::string("The callsign cannot be empty");
  for (unsigned char c : callsign)
    if (c != '/' && (c > 0x7F || !std::isalnum(c)))
      return std::string("A callsign can hold only letters, digits and \"/\"");
  return std::nullopt;
}

std::string storableText(std::string_view text, bool& hadQuote) {
  std::string out;
  out.reserve(text.size());
  hadQuote = false;
  for (char c : text) {
    if (c == '"')
      hadQuote = true;
    else if (c != '\r' && c != '\n')
      out += c;
  }
  return out;
}

bool beaconHemispheresValid(const BeaconGrid& table, int beacon) {
  if (beacon < 1 || beacon > kBeaconCount) return false;
  using namespace beacon_field;
  const auto& row = table[beacon];
  return (row[kEastWest] == "West" || row[kEastWest] == "East") &&
         (row[kNorthSouth] == "North" || row[kNorthSouth] == "South");
}

bool homeChoicesValid(const HomeRecord& home) {
  const auto& f = home.fields;
  return (f[4] == "North" || f[4] == "South") && (f[7] == "West" || f[7] == "East") &&
         (f[8] == "Miles" || f[8] == "Km");
}

BeaconForm beaconForm(const BeaconGrid& table, int beacon) {
  using namespace beacon_field;
  BeaconForm f;
  if (beacon < 1 || beacon > kBeaconCount) return f;
  const auto& row = table[static_cast<std::size_t>(beacon)];
  f.country = row[kCountry];
  f.callsign = row[kCallsign];
  for (int b = 0; b < kBandCount; ++b) f.status[static_cast<std::size_t>(b)] = row[kFirstStatus + b];
  f.latDeg = row[kLatitudeDegrees];
  f.latMin = row[kLatitudeMinutes];
  f.lonDeg = row[kLongitudeDegrees];
  f.lonMin = row[kLongitudeMinutes];
  f.south = row[kNorthSouth] == "South";
  f.west = row[kEastWest] == "West";
  f.note = row[kNote];
  return f;
}

void storeBeaconForm(const BeaconForm& f, BeaconGrid& table, int beacon) {
  using namespace beacon_field;
  if (beacon < 1 || beacon > kBeaconCount) return;
  auto& row = table[static_cast<std::size_t>(beacon)];
  row[kCountry] = f.country;
  row[kCallsign] = f.callsign;
  for (int b = 0; b < kBandCount; ++b) row[kFirstStatus + b] = f.status[static_cast<std::size_t>(b)];
  row[kLongitudeDegrees] = f.lonDeg;
  row[kLongitudeMinutes] = f.lonMin;
  row[kEastWest] = f.west ? "West" : "East";
  row[kLatitudeDegrees] = f.latDeg;
  row[kLatitudeMinutes] = f.latMin;
  row[kNorthSouth] = f.south ? "South" : "North";
  row[kNote] = kCustomisedNote;
}

std::optional<std::string> beaconFormProblem(const BeaconForm& f) {
  if (auto problem = beaconNameProblem(f.country, f.callsign)) return problem;
  return positionProblem({f.latDeg, f.latMin, f.lonDeg, f.lonMin});
}

HomeForm homeForm(const HomeRecord& home) {
  const auto& r = home.fields;
  HomeForm f;
  f.name = r[1];
  f.latDeg = r[2];
  f.latMin = r[3];
  f.south = r[4] == "South";
  f.lonDeg = r[5];
  f.lonMin = r[6];
  f.west = r[7] == "West";
  f.miles = home.miles();
  f.note = r[9];
  return f;
}

HomeRecord homeRecordOf(const HomeForm& f) {
  HomeRecord home;
  auto& r = home.fields;
  r[1] = f.name;
  r[2] = f.latDeg;
  r[3] = f.latMin;
  r[4] = f.south ? "South" : "North";
  r[5] = f.lonDeg;
  r[6] = f.lonMin;
  r[7] = f.west ? "West" : "East";
  r[8] = f.miles ? "Miles" : "Km";
  r[9] = kCustomisedNote;
  return home;
}

std::string formatBeaconFile(const BeaconGrid& table) {
  std::string out;
  for (int row = 1; row <= kBeaconCount; ++row)
    out += formatRecord(std::vector<std::string>(table[row].begin() + 1, table[row].end()));
  return out;
}

std::string formatHomeFile(const HomeRecord& home) {
  const auto& f = home.fields;
  return formatRecord(std::vector<std::string>(f.begin() + 1, f.begin() + 9)) +
         formatRecord({f[9]});
}

namespace {

// Writes beside the file and renames over it, so a full disk or a refused write
// leaves the old file whole instead of half replaced.
bool replaceFile(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path temp = path;
  temp += ".new";
  std::error_code ec;
  if (writeWholeFile(temp, bytes)) {
    std::filesystem::rename(temp, path, ec);
    if (!ec) return true;
  }
  std::filesystem::remove(temp, ec);
  return false;
}

}  // namespace

bool saveBeaconFile(const std::filesystem::path& folder, const BeaconGrid& table) {
  return replaceFile(folder / kBeaconDataFile, formatBeaconFile(table));
}

bool saveHomeFile(const std::filesystem::path& folder, const HomeRecord& home) {
  return replaceFile(folder / kHomeDataFile, formatHomeFile(home));
}

std::string saveFailedMessage(const std::filesystem::path& file) {
  return "The file " + file.string() + " could not be written. Nothing has been changed.";
}

std::string locatorOfParts(std::string_view latDeg, std::string_view latMin, bool south,
                           std::string_view lonDeg, std::string_view lonMin, bool west) {
  double ld = 0, lm = 0, gd = 0, gm = 0;
  if (!parseNumber(latDeg, ld) || !parseNumber(latMin, lm) || !parseNumber(lonDeg, gd) ||
      !parseNumber(lonMin, gm))
    return {};
  const double lat = (ld + lm / 60.0) * (south ? -1.0 : 1.0);
  const double lon = (gd + gm / 60.0) * (west ? -1.0 : 1.0);
  return locatorFromPosition(lat, lon);
}

std::optional<PositionTexts> positionOfLocator(std::string_view locator) {
  const std::optional<GeoPoint> p = locatorCentre(locator);
  if (!p) return std::nullopt;
  const DegMin lat = toDegMin(p->latitude), lon = toDegMin(p->longitude);
  return PositionTexts{std::to_string(lat.degrees), std::to_string(lat.minutes),
                       lat.negative ? "South" : "North", std::to_string(lon.degrees),
                       std::to_string(lon.minutes), lon.negative ? "West" : "East"};
}

}  // namespace harkola
