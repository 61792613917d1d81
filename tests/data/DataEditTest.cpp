#include "data/DataEdit.h"

#include <gtest/gtest.h>

#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"
#include "support/TempFolder.h"

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
    ::testing::Values(AngleCase{"Deg0", AngleField::Degrees, "0", true},
                      AngleCase{"DegDecimal", AngleField::Degrees, "358.5", true},
                      AngleCase{"DegSignOnly", AngleField::Degrees, "-", false},
                      AngleCase{"DegLetterO", AngleField::Degrees, "4O", false},
                      AngleCase{"Min59Point1", AngleField::Minutes, "59.1", false}),
    [](const auto& info) { return std::string(info.param.name); });

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
