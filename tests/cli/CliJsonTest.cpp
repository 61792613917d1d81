// What the commands print as JSON: numbers as printf wrote them before, read back so
// that whole numbers stay whole; text from the single-byte data files as UTF-8.
#include <gtest/gtest.h>

#include <cmath>

#include "cli/CliJson.h"
#include "common/Utf8Text.h"

namespace harkola {
namespace {

TEST(PrintedNumber, WritesThePrintedText) {
  const struct {
    double value;
    const char *format, *written;
  } rows[] = {{-17.54, "%.1f", "-17.5"}, {842.0, "%.1f", "842.0"}, {-0.04, "%.1f", "-0.0"}, {-311.4, "%.0f", "-311"},
              {-0.3, "%.0f", "0"},  // printf's "-0" is no JSON number form a reader agrees on
              {8278568.5, "%.9g", "8278568.5"}, {9054030.0, "%.9g", "9054030"}, {0.0, "%.9g", "0"},
              {1.5e10, "%.9g", "15000000000.0"},  // past nine digits printf turns to an exponent
              {std::nan(""), "%.1f", "null"}, {-INFINITY, "%.1f", "null"}};
  for (const auto& r : rows) EXPECT_EQ(cli::printedNumber(r.value, r.format).dump(), r.written) << r.written;
}

TEST(Utf8Text, SingleByteTextBecomesUtf8AndUtf8StaysAsItIs) {
  EXPECT_EQ(utf8Text("Per\xFA"), "Per\xC3\xBA");           // Latin-1 ú
  EXPECT_EQ(utf8Text("Per\xC3\xBA"), "Per\xC3\xBA");       // already UTF-8
  EXPECT_EQ(utf8Text("Y\xC3\xB6rk \xE9"), "Y\xC3\x83\xC2\xB6rk \xC3\xA9");  // not all UTF-8: all Latin-1
  for (const char* notUtf8 : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3", "\xE2\x82"})
    EXPECT_FALSE(isUtf8(notUtf8)) << notUtf8;  // overlong, surrogate, beyond U+10FFFF, cut short
  EXPECT_TRUE(isUtf8("\xE2\x98\x83 \xF0\x9F\x93\xBB \x7F"));
  EXPECT_EQ(cli::jsonLine(cli::jsonText("Ca\bna\x01\"da\"\\")), "\"Ca\\bna\\u0001\\\"da\\\"\\\\\"\n");
}

}  // namespace
}  // namespace harkola
