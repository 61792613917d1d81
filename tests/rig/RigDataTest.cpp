#include "rig/RigData.h"

#include <gtest/gtest.h>

#include <fstream>

#include "RigTestSupport.h"

namespace harkola {
namespace {

namespace fs = std::filesystem;
using test::rigDefaults;

class RigDataFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("harkola-rigdata-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    d.DataFolder = dir_.string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  void writeFile(const std::string& text) {
    std::ofstream(dir_ / "RigData.dat", std::ios::binary) << text;
  }
  std::string readFile() {
    std::ifstream in(dir_ / "RigData.dat", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  fs::path dir_;
  PublicDecs d;
};

TEST_F(RigDataFile, WritesQuotedPairsWithCrLf) {
  d.RigTable = rigDefaults(kRigKenwood);
  ASSERT_TRUE(SaveRigData(d));
  const std::string text = readFile();
  EXPECT_EQ(text.substr(0, 26), "\"Com\",\"1\"\r\n\"Baud\",\"9600\"\r\n");
  EXPECT_NE(text.find("\r\n\"\",\"Kenwood\"\r\n\"CW mode\",\"MD3;\"\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 12), "\"\",\"False\"\r\n");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 22);
}

TEST_F(RigDataFile, LoadsWhatWasSavedForEveryMaker) {
  for (int maker : {kRigKenwood, kRigIcom, kRigYaesu}) {
    d.RigTable = rigDefaults(maker);
    ASSERT_TRUE(SaveRigData(d));
    PublicDecs loaded;
    loaded.DataFolder = d.DataFolder;
    ASSERT_TRUE(LoadRigData(loaded));
    EXPECT_EQ(loaded.RigTable, rigDefaults(maker)) << maker;
    EXPECT_EQ(loaded.RigMakerCode, maker);
    EXPECT_FALSE(loaded.RigTested);
  }
}

struct FlagCase {
  const char* name;
  const char* value;
  bool tested;
};
class TestedFlag : public RigDataFile, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(TestedFlag, IsReadAsTruthValue) {
  RigGrid g = rigDefaults(kRigKenwood);
  g[kRigRowTested][1] = GetParam().value;
  writeFile(formatRigData(g));
  d.RigTested = !GetParam().tested;
  ASSERT_TRUE(LoadRigData(d));
  EXPECT_EQ(d.RigTested, GetParam().tested);
}

INSTANTIATE_TEST_SUITE_P(Words, TestedFlag,
                         ::testing::Values(FlagCase{"True", "True", true}, FlagCase{"TrueLower", "true", true},
                                           FlagCase{"False", "False", false}, FlagCase{"Empty", "", false},
                                           FlagCase{"Other", "Yes", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RigDataFile, AnUnknownMakerLeavesTheMakerCode) {
  RigGrid g = rigDefaults(kRigKenwood);
  g[kRigRowMaker][1] = "icom";
  writeFile(formatRigData(g));
  d.RigMakerCode = kRigYaesu;
  ASSERT_TRUE(LoadRigData(d));
  EXPECT_EQ(d.RigMakerCode, kRigYaesu);
  EXPECT_EQ(d.RigTable[kRigRowMaker][1], "icom");
}

TEST_F(RigDataFile, AMissingFileChangesNothing) {
  d.RigTable = rigDefaults(kRigIcom);
  d.RigMakerCode = kRigIcom;
  EXPECT_FALSE(LoadRigData(d));
  EXPECT_EQ(d.RigTable, rigDefaults(kRigIcom));
}

TEST_F(RigDataFile, ASaveThatCannotBeWrittenKeepsTheOldFile) {
  d.RigTable = rigDefaults(kRigKenwood);
  ASSERT_TRUE(SaveRigData(d));
  PublicDecs elsewhere = d;
  elsewhere.DataFolder = (dir_ / "missing" / "folder").string();
  EXPECT_FALSE(SaveRigData(elsewhere));
  EXPECT_EQ(readFile(), formatRigData(rigDefaults(kRigKenwood)));
}

TEST(RigDataParse, ReadsFieldByFieldWhateverTheLineEnds) {
  RigGrid g;
  // LF only, a field without its closing quote, an unquoted field, a blank line.
  const std::size_t n = parseRigData("\"Com\",\"2\n\n\"Baud\",  4800 \r\n\"Parity\",\"Odd\"", g);
  EXPECT_EQ(n, 6u);
  EXPECT_EQ(g[0][1], "2");
  EXPECT_EQ(g[1][1], "4800");
  EXPECT_EQ(g[2][0], "Parity");
  EXPECT_EQ(g[2][1], "Odd");
  EXPECT_EQ(g[21][1], "");
}

struct UnlistedCase {
  const char* name;
  int row;
  const char* value;
};
class UnlistedValue : public ::testing::TestWithParam<UnlistedCase> {};

TEST_P(UnlistedValue, IsFoundInItsRow) {
  RigGrid g = rigDefaults(kRigYaesu);
  g[GetParam().row][1] = GetParam().value;
  EXPECT_EQ(firstUnlistedRigRow(g), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(Rows, UnlistedValue,
                         ::testing::Values(UnlistedCase{"PortFive", 0, "5"}, UnlistedCase{"EmptyPort", 0, ""},
                                           UnlistedCase{"Baud", 1, "9601"}, UnlistedCase{"Parity", 2, "none"},
                                           UnlistedCase{"Data", 3, "9"}, UnlistedCase{"Stop", 4, "1.5"},
                                           UnlistedCase{"Handshake", 5, "CTS"}, UnlistedCase{"Maker", 6, "Elecraft"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace harkola
