#include "data/DataEdit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/Beacons.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "data/Maidenhead.h"
#include "data/StartupChecks.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

TEST(EditRules, AngleBoxesTakeNumbersInRange) {
  const struct {
    AngleField kind;
    const char* text;
    bool accepted;
  } rows[] = {{AngleField::LatitudeDegrees, "0", true},      {AngleField::LatitudeDegrees, "90", true},
              {AngleField::LatitudeDegrees, "90.5", false},  {AngleField::LatitudeDegrees, "95", false},
              {AngleField::LongitudeDegrees, "180", true},   {AngleField::LongitudeDegrees, "181", false},
              {AngleField::LongitudeDegrees, "179.5", true}, {AngleField::LongitudeDegrees, "-", false},
              {AngleField::LatitudeDegrees, "4O", false},    {AngleField::Minutes, "59.1", false}};
  for (const auto& r : rows) EXPECT_EQ(acceptsAngle(r.text, r.kind), r.accepted) << r.text;
}

// Only positions on the globe can be saved.
TEST(EditRules, PositionProblems) {
  const std::pair<PositionEntry, const char*> rows[] = {
      {{"51", "30", "0", "7"}, ""},
      {{"90", "0", "0", "0"}, ""},
      {{"90", "1", "0", "0"}, "At 90 degrees latitude the minutes must be 0"},
      {{"95", "0", "0", "0"}, "Value must be between 0 and 90 degrees"},
      {{"0", "0", "180", "0"}, ""},
      {{"0", "0", "180", "30"}, "At 180 degrees longitude the minutes must be 0"},
      {{"0", "0", "200", "0"}, "Value must be between 0 and 180 degrees"},
      {{"10", "", "0", "0"}, "Value must be between 0 and 59 minutes"}};
  for (const auto& [entry, problem] : rows) EXPECT_EQ(positionProblem(entry).value_or(""), problem) << problem;
}

TEST(EditRules, CountryAndCallsignRules) {
  constexpr const char* kCallChars = "A callsign can hold only letters, digits and \"/\"";
  const struct {
    const char *country, *callsign, *problem;
  } rows[] = {{"Canada", "VE8AT", ""},
              {"Peru", "OA4B/P", ""},
              {"Peru", "oa4b", ""},
              {"", "VE8AT", "The country cannot be empty"},
              {"   ", "VE8AT", "The country cannot be empty"},
              {"Canada", "", "The callsign cannot be empty"},
              {"Canada", "VE8 AT", kCallChars},
              {"Canada", "VE8-AT", kCallChars},
              {"Canada", "VE\xC3\x89", kCallChars}};
  for (const auto& r : rows)
    EXPECT_EQ(beaconNameProblem(r.country, r.callsign).value_or(""), r.problem) << r.country << "/" << r.callsign;
}

TEST(EditRules, DoubleQuotesAndLineBreaksCannotBeStored) {
  bool quote = true;
  EXPECT_EQ(storableText("New York", quote), "New York");
  EXPECT_FALSE(quote);
  EXPECT_EQ(storableText("The \"Big\" Apple", quote), "The Big Apple");
  EXPECT_TRUE(quote);
  EXPECT_EQ(storableText("two\r\nlines", quote), "twolines");
}

TEST(EditFiles, RewrittenFilesReadBackUnchanged) {
  HomeRecord home;
  home.fields = {"", "Ham Shack, Kent", "51", "20", "North", "1", "5", "East", "Km", kCustomisedNote};
  EXPECT_EQ(parseHome(formatHomeFile(home)).value().fields, home.fields);

  auto table = parseBeacons(defaultBeaconData());
  ASSERT_TRUE(table);
  (*table)[5][2] = "Chatham, NZ";
  (*table)[5][3] = "";  // an emptied box still counts as a field
  (*table)[5][4] = " Off air ";
  const std::string text = formatBeaconFile(*table);
  EXPECT_EQ(parseBeacons(text), table);
  // The old default left the closing quote off the last field; a rewrite has it.
  EXPECT_NE(text.find("\"Default data - November 2000\"\r\n"), std::string::npos);
}

TEST(EditFiles, AFailedSaveLeavesTheOldFileWhole) {
  test::TempFolder dir;
  writeDefaultBeaconData(dir.path);
  writeDefaultHomeData(dir.path);
  // A directory where the new file would be written makes the write fail.
  std::filesystem::create_directory(dir / "BeaconData.dat.new");
  std::filesystem::create_directory(dir / "HomeData.dat.new");

  EXPECT_FALSE(saveBeaconFile(dir.path, BeaconGrid{}));
  EXPECT_FALSE(saveHomeFile(dir.path, HomeRecord{}));
  EXPECT_FALSE(saveHomeFile(dir / "missing", HomeRecord{}));
  EXPECT_EQ(test::fileText(dir / kBeaconDataFile), defaultBeaconData());
  EXPECT_EQ(test::fileText(dir / kHomeDataFile), defaultHomeData());
}

// The editors' forms put every box back into its own field, and read the hemisphere
// and unit words as the rest of the program does.
TEST(EditForms, BeaconAndHomeRoundTripAndUnknownWords) {
  BeaconGrid table = parseBeacons(defaultBeaconData()).value();
  BeaconForm f = beaconForm(table, 4);
  EXPECT_EQ(f.callsign, "KH6WO");
  f.status[4] = "Off air";
  f.latDeg = "60";
  f.west = true;
  storeBeaconForm(f, table, 4);
  const BeaconForm back = beaconForm(table, 4);
  EXPECT_EQ(std::tuple(back.status, back.latDeg, back.west, back.south, back.note),
            std::tuple(f.status, "60", true, false, kCustomisedNote));
  EXPECT_EQ(Beacons(table).status(4, 4), "Off air");
  EXPECT_LT(Beacons(table).position(4).longitude, 0);

  table[4][beacon_field::kNorthSouth] = "Nord";  // neither word: north, as positions take it
  EXPECT_FALSE(beaconForm(table, 4).south);
  EXPECT_GT(Beacons(table).position(4).latitude, 0);
  EXPECT_EQ(beaconFormProblem(BeaconForm{}).value_or(""), "The country cannot be empty");

  HomeRecord home;
  home.fields = {"", "Shack", "51", "20", "South", "1", "5", "West", "Miles", "note"};
  const HomeForm h = homeForm(home);
  EXPECT_TRUE(h.south && h.west && h.miles);
  HomeRecord saved = homeRecordOf(h);
  home.fields[9] = kCustomisedNote;
  EXPECT_EQ(saved.fields, home.fields);
  home.fields[8] = "miles";
  EXPECT_FALSE(homeForm(home).miles);
}

TEST(Locator, OfAPositionIsTheSquareThatHoldsIt) {
  const struct {
    double latitude, longitude;
    const char* locator;  // "" for none
  } rows[] = {{-90.0, -180.0, "AA00aa"}, {90.0, 179.999, "RR99xx"},  // the north pole is the top row
              // 52 deg 25 min: exactly on a subsquare edge, which belongs to the square above
              {52.0 + 25.0 / 60.0, -2.0 / 60.0, "IO92xk"},
              {-41.05, 175.6, "RE78tw"},  {10.0, 200.0, "BK00aa"},   // longitude beyond 180 wraps
              {90.5, 0.0, ""},            {-91.0, 0.0, ""},          {NAN, 0.0, ""}};
  for (const auto& r : rows) EXPECT_EQ(locatorFromPosition(r.latitude, r.longitude), r.locator) << r.locator;
}

TEST(Locator, OnlyFourOrSixCharacterLocatorsAreRead) {
  for (const char* good : {"IO91", " io91WM "}) EXPECT_TRUE(locatorCentre(good)) << good;
  for (const char* bad : {"IO91w", "SS00", "IO9A", "IO91wy", "IO91\"m"}) EXPECT_FALSE(locatorCentre(bad)) << bad;
}

TEST(Locator, DegreesAndMinutesRoundToTheNearestMinuteWithCarry) {
  const DegMin carry = toDegMin(-(59.6 / 60.0));
  EXPECT_EQ(carry.degrees, 1);
  EXPECT_EQ(carry.minutes, 0);
  EXPECT_TRUE(carry.negative);
  EXPECT_FALSE(toDegMin(-0.001).negative);  // rounds to 0: no "0 0 South"
  EXPECT_EQ(locatorOfParts("abc", "0", false, "0", "0", false), "");
}

// What the home editor does: locator -> whole degrees and minutes -> locator.
TEST(Locator, RoundTripThroughTheDataFileFields) {
  for (const char* locator : {"IO91wm", "JJ00aa", "AA00aa", "RR99xx", "QF56od"}) {
    const auto p = positionOfLocator(locator);
    ASSERT_TRUE(p) << locator;
    EXPECT_EQ(locatorOfParts(p->latDeg, p->latMin, p->northSouth == "South", p->lonDeg, p->lonMin,
                             p->westEast == "West"),
              locator);
  }
}

}  // namespace
}  // namespace harkola
