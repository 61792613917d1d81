#include "data/DataEdit.h"

#include <gtest/gtest.h>

#include "data/Beacons.h"
#include "data/DataFile.h"
#include "data/DefaultData.h"
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

}  // namespace
}  // namespace harkola
