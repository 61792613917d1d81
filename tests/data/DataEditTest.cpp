#include "data/DataEdit.h"

#include <gtest/gtest.h>

#include "data/Beacons.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"
#include "support/TempFolder.h"
#include "support/Tables.h"

namespace harkola {
namespace {

struct AngleCase {
  const char* name;
  AngleField kind;
  const char* text;
  bool accepted;
};

class AngleEntry : public ::testing::TestWithParam<AngleCase> {};

TEST_P(AngleEntry, RangeAndNumberRule) {
  EXPECT_EQ(acceptsAngle(GetParam().text, GetParam().kind), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AngleEntry,
    ::testing::Values(AngleCase{"LatDeg0", AngleField::LatitudeDegrees, "0", true},
                      AngleCase{"LatDeg90", AngleField::LatitudeDegrees, "90", true},
                      AngleCase{"LatDeg90Point5", AngleField::LatitudeDegrees, "90.5", false},
                      AngleCase{"LatDeg95", AngleField::LatitudeDegrees, "95", false},
                      AngleCase{"LonDeg180", AngleField::LongitudeDegrees, "180", true},
                      AngleCase{"LonDeg181", AngleField::LongitudeDegrees, "181", false},
                      AngleCase{"LonDecimal", AngleField::LongitudeDegrees, "179.5", true},
                      AngleCase{"DegSignOnly", AngleField::LongitudeDegrees, "-", false},
                      AngleCase{"DegLetterO", AngleField::LatitudeDegrees, "4O", false},
                      AngleCase{"Min59Point1", AngleField::Minutes, "59.1", false}),
    test::rowName);

struct PositionCase {
  const char* name;
  PositionEntry entry;
  const char* problem;  // "" when the position can be saved
};

class PositionCheck : public ::testing::TestWithParam<PositionCase> {};

TEST_P(PositionCheck, OnlyPositionsOnTheGlobeCanBeSaved) {
  EXPECT_EQ(positionProblem(GetParam().entry).value_or(""), GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PositionCheck,
    ::testing::Values(PositionCase{"London", {"51", "30", "0", "7"}, ""},
                      PositionCase{"NorthPole", {"90", "0", "0", "0"}, ""},
                      PositionCase{"BeyondThePole", {"90", "1", "0", "0"}, "At 90 degrees latitude the minutes must be 0"},
                      PositionCase{"Latitude95", {"95", "0", "0", "0"}, "Value must be between 0 and 90 degrees"},
                      PositionCase{"DateLine", {"0", "0", "180", "0"}, ""},
                      PositionCase{"BeyondDateLine", {"0", "0", "180", "30"}, "At 180 degrees longitude the minutes must be 0"},
                      PositionCase{"Longitude200", {"0", "0", "200", "0"}, "Value must be between 0 and 180 degrees"},
                      PositionCase{"EmptyMinutes", {"10", "", "0", "0"}, "Value must be between 0 and 59 minutes"}),
    test::rowName);

struct NameCase {
  const char *name, *country, *callsign, *problem;
};

class BeaconNameCheck : public ::testing::TestWithParam<NameCase> {};

TEST_P(BeaconNameCheck, CountryAndCallsignRules) {
  EXPECT_EQ(beaconNameProblem(GetParam().country, GetParam().callsign).value_or(""), GetParam().problem);
}

constexpr const char* kCallChars = "A callsign can hold only letters, digits and \"/\"";
INSTANTIATE_TEST_SUITE_P(
    Table, BeaconNameCheck,
    ::testing::Values(NameCase{"Plain", "Canada", "VE8AT", ""}, NameCase{"Portable", "Peru", "OA4B/P", ""},
                      NameCase{"LowerCase", "Peru", "oa4b", ""},
                      NameCase{"EmptyCountry", "", "VE8AT", "The country cannot be empty"},
                      NameCase{"BlankCountry", "   ", "VE8AT", "The country cannot be empty"},
                      NameCase{"EmptyCallsign", "Canada", "", "The callsign cannot be empty"},
                      NameCase{"Space", "Canada", "VE8 AT", kCallChars},
                      NameCase{"Dash", "Canada", "VE8-AT", kCallChars},
                      NameCase{"Accented", "Canada", "VE\xC3\x89", kCallChars}),
    test::rowName);

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
  std::string after;
  ASSERT_TRUE(readWholeFile(dir / kBeaconDataFile, after));
  EXPECT_EQ(after, defaultBeaconData());
  ASSERT_TRUE(readWholeFile(dir / kHomeDataFile, after));
  EXPECT_EQ(after, defaultHomeData());
}

}  // namespace
}  // namespace harkola

namespace harkola {
namespace {

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
  BeaconForm back = beaconForm(table, 4);
  EXPECT_EQ(back.status, f.status);
  EXPECT_EQ(back.latDeg, "60");
  EXPECT_TRUE(back.west);
  EXPECT_FALSE(back.south);
  EXPECT_EQ(back.note, kCustomisedNote);
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

}  // namespace
}  // namespace harkola
