#include "data/DataFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace harkola {
namespace {

using Fields = std::vector<std::string>;

struct ReadCase {
  const char* name;
  std::string text;
  Fields fields;
};

class FieldReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(FieldReading, GivesTheFields) {
  EXPECT_EQ(readFields(GetParam().text), GetParam().fields);
}

using namespace std::string_literals;

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
        ReadCase{"BlankLinesGiveNoField", "\r\n\"a\"\r\n\r\n\r\n\"b\"\r\n\r\n", {"a", "b"}},
        ReadCase{"CrOnlyLineEnds", "\"a\",\"b\"\r\"c\"\r", {"a", "b", "c"}},
        ReadCase{"LfOnlyLineEnds", "\"a\",\"b\"\n\"c\"\n", {"a", "b", "c"}},
        ReadCase{"NoFinalLineEnd", "\"a\",\"b\"", {"a", "b"}},
        ReadCase{"TrailingZeroBytes", "\"a\",\"b\"\r\n\0\0\0"s, {"a", "b"}},
        ReadCase{"ZeroBytesAfterOpenQuote", "\"a\",\"note\r\n\0\0"s, {"a", "note"}},
        ReadCase{"ZeroBytesOnLastLineWithoutEnd", "\"a\",\"note\0\0"s, {"a", "note"}},
        ReadCase{"EmptyText", "", {}},
        ReadCase{"OnlyPadding", "\r\n\0\0"s, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldWriting, RecordIsQuotedCommaSeparatedCrLf) {
  EXPECT_EQ(formatRecord({"London", "52", ""}), "\"London\",\"52\",\"\"\r\n");
}

TEST(FieldWriting, RoundTripThroughAFile) {
  const Fields record{"1", "New York", "4U1UN", "", "Callsign to change", "73"};
  const auto path = std::filesystem::temp_directory_path() /
                    ("harkola-roundtrip-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  ASSERT_TRUE(writeWholeFile(path, formatRecord(record) + formatRecord(record)));
  std::string bytes;
  ASSERT_TRUE(readWholeFile(path, bytes));
  std::filesystem::remove(path);
  Fields twice = record;
  twice.insert(twice.end(), record.begin(), record.end());
  EXPECT_EQ(readFields(bytes), twice);
}

TEST(FieldReading, MissingFileIsReportedNotEmpty) {
  std::string bytes = "untouched";
  EXPECT_FALSE(readWholeFile("/nonexistent/harkola/none.dat", bytes));
  EXPECT_EQ(bytes, "untouched");
  EXPECT_FALSE(readWholeFile(std::filesystem::temp_directory_path(), bytes));
}

struct NumberCase {
  const char* name;
  const char* text;
  bool ok;
  double value;
};

class NumberParsing : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberParsing, AcceptsOnlyDecimalNumbers) {
  double v = -999;
  EXPECT_EQ(parseNumber(GetParam().text, v), GetParam().ok);
  if (GetParam().ok) {
    EXPECT_DOUBLE_EQ(v, GetParam().value);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, NumberParsing,
    ::testing::Values(NumberCase{"Whole", "73", true, 73}, NumberCase{"Blanks", " 58 ", true, 58},
                      NumberCase{"Negative", "-4", true, -4}, NumberCase{"Fraction", "2.5", true, 2.5},
                      NumberCase{"Empty", "", false, 0}, NumberCase{"Word", "West", false, 0},
                      NumberCase{"TrailingText", "12x", false, 0},
                      NumberCase{"LonePoint", ".", false, 0}, NumberCase{"Comma", "2,5", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace harkola
