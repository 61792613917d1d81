#include <gtest/gtest.h>

#include "rig/RigctldProtocol.h"

namespace harkola {
namespace {

// --- commands: only well-formed frequency and mode values go out ---------------------

TEST(RigctldCommand, BuildsOneWordModesAndFrequenciesInRangeAndRefusesAnythingElse) {
  const struct {
    const char* mode;
    std::int64_t passband;
    const char* line;  // nullptr: refused
  } rows[] = {{"CW", 0, "+M CW 0\n"}, {"USB", -1, "+M USB -1\n"}, {"PKTUSB", 3000, "+M PKTUSB 3000\n"},
              {"", 0, nullptr},      {"cw", 0, nullptr},           {"CW\n+T 1", 0, nullptr},
              {"CW 1", 0, nullptr},  {"\\send_morse", 0, nullptr}, {"CW", -2, nullptr}};
  for (const auto& r : rows) {
    const auto cmd = RigctldCommand::setMode(r.mode, r.passband);
    EXPECT_EQ(cmd ? cmd->line() : "refused", r.line ? r.line : "refused") << r.mode << " " << r.passband;
  }
  EXPECT_EQ(RigctldCommand::setFrequency(14'100'000)->line(), "+F 14100000\n");
  EXPECT_EQ(RigctldCommand::setFrequency(14'100'000)->description(), "set_freq 14100000");
  EXPECT_FALSE(RigctldCommand::setFrequency(0));
  EXPECT_FALSE(RigctldCommand::setFrequency(-14'100'000));
}

// --- replies ----------------------------------------------------------------------------

TEST(RigctldReplyReader, CutsFramedRepliesWhateverTheReadBoundaries) {
  const std::string stream =
      "get_freq:\nFrequency: 14100000\nRPRT 0\n"
      "get_mode:\r\nMode: CW\r\nPassband: 500\r\nRPRT 0\r\n"
      "set_freq: abc\nRPRT -1\n"
      "get_level: STRENGTH\n-4\nRPRT 0\n";
  // Whole, and one byte at a time: the same four replies.
  for (std::size_t step : {stream.size(), std::size_t{1}, std::size_t{7}}) {
    RigctldReplyReader reader;
    for (std::size_t i = 0; i < stream.size(); i += step) reader.feed(std::string_view(stream).substr(i, step));
    const auto f = reader.take(), m = reader.take(), bad = reader.take(), s = reader.take();
    ASSERT_TRUE(f && m && bad && s) << "step " << step;
    EXPECT_FALSE(reader.take());
    ASSERT_TRUE(modeOf(*m));
    EXPECT_EQ(std::tuple(frequencyOf(*f).value_or(0), modeOf(*m)->name, modeOf(*m)->passbandHz,
                         strengthOf(*s).value_or(0)),
              std::tuple(14'100'000, "CW", 500, -4));
    EXPECT_TRUE(bad->code == -1 && bad->lines.empty());
  }
}

TEST(RigctldReplyReader, ReplyWithoutEndIsAFaultNotAGrowingBuffer) {
  RigctldReplyReader reader(64);
  for (int i = 0; i < 10; ++i) reader.feed("Frequency: 14100000\n");
  EXPECT_TRUE(reader.overflowed());
  EXPECT_FALSE(reader.take());
  reader.clear();
  reader.feed("get_freq:\nFrequency: 7000000\nRPRT 0\n");
  EXPECT_FALSE(reader.overflowed());
  EXPECT_EQ(frequencyOf(*reader.take()), 7'000'000);
}

TEST(RigctldReply, ValuesThatAreMissingOrMalformedGiveNothing) {
  auto reply = [](std::string text) {
    RigctldReplyReader r;
    r.feed(text + "RPRT 0\n");
    return *r.take();
  };
  EXPECT_EQ(frequencyOf(reply("get_freq:\nFrequency: 14074000.000000\n")), 14'074'000);
  EXPECT_EQ(strengthOf(reply("get_level: STRENGTH\nSTRENGTH: 12\n")), 12);
  for (const char* bad : {"get_freq:\n", "get_freq:\nFrequency: 14.1 MHz\n", "get_freq:\nFrequency: -5\n"})
    EXPECT_FALSE(frequencyOf(reply(bad))) << bad;
  EXPECT_FALSE(modeOf(reply("get_mode:\nMode: CW\nPassband: wide\n")));
  // No value, and an echo that is not to be mistaken for one.
  for (const char* bad : {"get_level: STRENGTH\n", "get_level: 5\n"}) EXPECT_FALSE(strengthOf(reply(bad))) << bad;
}

// --- S levels and messages --------------------------------------------------------------

TEST(RigctldSLevel, SixDecibelsPerUnitFromS9Clamped) {
  const std::pair<int, int> table[] = {{40, 9}, {0, 9}, {-3, 9}, {-4, 8}, {-6, 8}, {-9, 8},
                                       {-10, 7}, {-48, 1}, {-54, 1}, {-120, 1}};
  for (const auto& [db, s] : table) EXPECT_EQ(sLevelFromStrength(db), s) << db << " dB";
}

TEST(RigctldMessages, SayWhatWentWrongWithWhichCommand) {
  EXPECT_EQ(rprtMessage(*RigctldCommand::setFrequency(14'100'000), -1),
            "rigctld could not do set_freq 14100000: Invalid parameter (RPRT -1)");
  EXPECT_EQ(rprtMeaning(-77), "error 77");  // a code of a later rigctld
}

}  // namespace
}  // namespace harkola
