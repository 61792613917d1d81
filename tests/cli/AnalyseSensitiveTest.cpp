// harkola-cli analyse --detector sensitive: a recording of three slots replayed through
// the sensitive detector writes the heard records late but for their own slots, the
// slot log, the trace, and the clock check. What the commands print as JSON: numbers as
// printf wrote them before, read back so that whole numbers stay whole; text from the
// single-byte data files as UTF-8.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>

#include "BeaconAudio.h"
#include "audio/WavFile.h"
#include "clock/SlotLog.h"
#include "cli/CliJson.h"
#include "cli/Commands.h"
#include "common/Utf8Text.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

TEST(AnalyseSensitive, RecordsSlotLogTraceAndClockCheck) {
  test::TempFolder tmp{"harkola-sensitive"};
  const std::vector<std::string> calls = testaudio::shippedCallsigns();
  // From 08:00:00 on 14 MHz: beacons 1, 2, 3, then an empty slot; each starts keying
  // 250 ms after its boundary (a PC clock a quarter second fast).
  WavAudio wav;
  for (int slot = 0; slot < 4; ++slot) {
    testaudio::Scene s;
    s.seed = 30 + slot;
    if (slot < 3) s.beacon = testaudio::Beacon{calls[slot], -8.0, 780.0 + 20 * slot, 0.25};
    const auto part = testaudio::render(s, 0.0, 10.0);
    wav.samples.insert(wav.samples.end(), part.begin(), part.end());
  }
  std::string error;
  ASSERT_TRUE(writeWav(tmp / "rec.wav", wav, error)) << error;

  std::ostringstream out, err;
  const int rc = cli::runAnalyse({(tmp / "rec.wav").string(), "--start", "2026-12-07 08:00:00", "--band", "14",
                                  "--detector", "sensitive", "--slot-log", (tmp / "slots.csv").string(), "--trace"},
                                 out, err);
  ASSERT_EQ(rc, 0) << err.str();
  // The recording begins on beacon 1's boundary, so its slot is analysed too; each is
  // logged with its own slot's date and hour.
  const std::string records = out.str();
  for (int b = 0; b < 3; ++b)
    EXPECT_NE(records.find("\"07-Dec-26\",\"8\",\"14\",\"" + calls[b] + "\""), std::string::npos) << records;

  const SlotLogContents log = readSlotLog(test::fileText(tmp / "slots.csv"));
  EXPECT_TRUE(log.badLines.empty());
  ASSERT_GE(log.records.size(), 3u);
  for (int b = 0; b < 3; ++b) {
    EXPECT_EQ(log.records[b].callsign, calls[b]);
    EXPECT_TRUE(log.records[b].heard);
    EXPECT_NEAR(log.records[b].offsetMs, 250.0, 20.0);
  }

  const std::string trace = err.str();
  EXPECT_NE(trace.find("\"callsign\":\"" + calls[1] + "\",\"heard\":true,\"logged\":true"), std::string::npos)
      << trace;
  EXPECT_NE(trace.find("\"dash_snr_db\":["), std::string::npos);
  // The timing found: the controller's 54 ms element, key-downs as sent.
  EXPECT_TRUE(std::regex_search(trace, std::regex("\"rejection\":null,\"element_ms\":5[345]\\.[0-9]+,\"key_down_extra_ms\":(-6|0|6)\\b")))
      << trace;
  EXPECT_NE(trace.find("Beacons: PC clock 0.25 s fast"), std::string::npos) << trace;
}

TEST(AnalyseSensitive, BadDetectorNameIsRefused) {
  std::ostringstream out, err;
  EXPECT_EQ(cli::runAnalyse({"x.wav", "--start", "2026-12-07 08:00:00", "--band", "14", "--detector", "clever"},
                            out, err),
            2);
  EXPECT_NE(err.str().find("--detector must be classic or sensitive"), std::string::npos);
}

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
