#include "data/DataFile.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "support/Tables.h"

namespace harkola {
namespace {

using namespace std::string_literals;
using Fields = std::vector<std::string>;

struct ReadCase {
  const char* name;
  std::string text;
  Fields fields;
};

class FieldReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(FieldReading, GivesTheFields) { EXPECT_EQ(readFields(GetParam().text), GetParam().fields); }

INSTANTIATE_TEST_SUITE_P(
    Format, FieldReading,
    ::testing::Values(
        ReadCase{"Quoted", "\"a\",\"b c\"\r\n", {"a", "b c"}},
        ReadCase{"QuotedEmpty", "\"\",\"False\"\r\n", {"", "False"}},
        ReadCase{"Unquoted", "73, 58 ,West\r\n", {"73", "58", "West"}},
        ReadCase{"EmptyUnquotedBetweenCommas", "a,,b\r\n", {"a", "", "b"}},
        ReadCase{"QuoteToLineEnd", "\"x\",\"Default data - November 2000\r\n\"y\"\r\n",
                 {"x", "Default data - November 2000", "y"}},
        ReadCase{"QuoteToEndOfText", "\"x\",\"open", {"x", "open"}},
        ReadCase{"TextAfterClosingQuoteIgnored", "\"a\"junk,\"b\"\r\n", {"a", "b"}},
        ReadCase{"RecordSplitOverTwoLines", "\"1\",\"2\"\r\n\"3\"\r\n\"4\"\r\n", {"1", "2", "3", "4"}},
        ReadCase{"TwoRecordsOnOneLine", "\"1\",\"2\",\"3\",\"4\"\r\n", {"1", "2", "3", "4"}},
        ReadCase{"BlankLinesGiveNoField", "\r\n\"a\"\r\n\r\n\"b\"\r\n\r\n", {"a", "b"}},
        ReadCase{"CrOnlyLineEnds", "\"a\",\"b\"\r\"c\"\r", {"a", "b", "c"}},
        ReadCase{"LfOnlyLineEnds", "\"a\",\"b\"\n\"c\"\n", {"a", "b", "c"}},
        ReadCase{"NoFinalLineEnd", "\"a\",\"b\"", {"a", "b"}},
        ReadCase{"TrailingZeroBytes", "\"a\",\"b\"\r\n\0\0\0"s, {"a", "b"}},
        ReadCase{"ZeroBytesAfterOpenQuote", "\"a\",\"note\r\n\0\0"s, {"a", "note"}},
        ReadCase{"ZeroBytesOnLastLineWithoutEnd", "\"a\",\"note\0\0"s, {"a", "note"}},
        ReadCase{"OnlyPadding", "\r\n\0\0"s, {}}),
    test::rowName);

TEST(FieldFile, WrittenRecordsReadBackAndAMissingFileIsReported) {
  const Fields record{"1", "New York", "", "Callsign to change"};
  EXPECT_EQ(formatRecord(record), "\"1\",\"New York\",\"\",\"Callsign to change\"\r\n");
  test::TempFolder dir;
  ASSERT_TRUE(writeWholeFile(dir / "f.dat", formatRecord(record)));
  std::string bytes = "untouched";
  ASSERT_TRUE(readWholeFile(dir / "f.dat", bytes));
  EXPECT_EQ(readFields(bytes), record);

  bytes = "untouched";
  EXPECT_FALSE(readWholeFile(dir / "none.dat", bytes));
  EXPECT_FALSE(readWholeFile(dir.path, bytes));  // a folder is no file
  // Far larger than any data file: refused before anything is parsed.
  ASSERT_TRUE(writeWholeFile(dir / "big.dat", std::string(kMaxDataFileBytes + 1, ',')));
  EXPECT_FALSE(readWholeFile(dir / "big.dat", bytes));
  EXPECT_EQ(bytes, "untouched");
  ASSERT_TRUE(writeWholeFile(dir / "big.dat", std::string(kMaxDataFileBytes, ',')));
  EXPECT_TRUE(readWholeFile(dir / "big.dat", bytes));
}

// Only decimal numbers, blanks around allowed.
TEST(FieldFile, NumbersAreDecimalOnly) {
  const struct {
    const char* text;
    bool ok;
    double value;
  } rows[] = {{" 58 ", true, 58}, {"-4", true, -4}, {"2.5", true, 2.5}, {"", false, 0},
              {"12x", false, 0},  {".", false, 0},  {"2,5", false, 0}};
  for (const auto& r : rows) {
    double v = -999;
    EXPECT_EQ(parseNumber(r.text, v), r.ok) << r.text;
    if (r.ok) {
      EXPECT_DOUBLE_EQ(v, r.value) << r.text;
    }
  }
}

}  // namespace
}  // namespace harkola
