#include "data/DataEdit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "data/DataFile.h"
#include "data/DefaultData.h"
#include "data/StartupChecks.h"

namespace fs = std::filesystem;

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
  EXPECT_FALSE(quote);
}

TEST(EditFiles, HomeFileHasTheNoteOnItsOwnLineAndReadsBack) {
  HomeRecord home;
  home.fields = {"", "Ham Shack, Kent", "51", "20", "North", "1", "5", "East", "Km", kCustomisedNote};
  const std::string text = formatHomeFile(home);
  EXPECT_EQ(text,
            "\"Ham Shack, Kent\",\"51\",\"20\",\"North\",\"1\",\"5\",\"East\",\"Km\"\r\n"
            "\"This is customised data\"\r\n");
  const auto back = parseHome(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->fields, home.fields);
}

TEST(EditFiles, BeaconFileReadsBackAsTheSameTable) {
  auto table = parseBeacons(defaultBeaconData());
  ASSERT_TRUE(table);
  (*table)[5][2] = "Chatham, NZ";
  (*table)[5][3] = "";  // an emptied box still counts as a field
  (*table)[5][4] = " Off air ";
  (*table)[5][15] = kCustomisedNote;
  const std::string text = formatBeaconFile(*table);
  const auto back = parseBeacons(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, *table);
  // The old default left the closing quote off the last field; a rewrite has it.
  EXPECT_NE(text.find("\"Default data - November 2000\"\r\n"), std::string::npos);
}

class EditFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    m_root = fs::temp_directory_path() / ("harkola-edit-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(m_root);
  }
  void TearDown() override { fs::remove_all(m_root); }
  fs::path m_root;
};

TEST_F(EditFolder, AFailedSaveLeavesTheOldFileWhole) {
  writeDefaultBeaconData(m_root);
  writeDefaultHomeData(m_root);
  std::string beforeBeacons, beforeHome;
  ASSERT_TRUE(readWholeFile(m_root / kBeaconDataFile, beforeBeacons));
  ASSERT_TRUE(readWholeFile(m_root / kHomeDataFile, beforeHome));
  // A directory where the new file would be written makes the write fail.
  fs::create_directory(m_root / "BeaconData.dat.new");
  fs::create_directory(m_root / "HomeData.dat.new");

  EXPECT_FALSE(saveBeaconFile(m_root, BeaconGrid{}));
  EXPECT_FALSE(saveHomeFile(m_root, HomeRecord{}));
  std::string after;
  ASSERT_TRUE(readWholeFile(m_root / kBeaconDataFile, after));
  EXPECT_EQ(after, beforeBeacons);
  ASSERT_TRUE(readWholeFile(m_root / kHomeDataFile, after));
  EXPECT_EQ(after, beforeHome);
  EXPECT_FALSE(saveHomeFile(m_root / "missing", HomeRecord{}));
}

}  // namespace
}  // namespace harkola
