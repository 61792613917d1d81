#include "common/LocalTime.h"

#include <gtest/gtest.h>

#include <tuple>
#include "support/Tables.h"

namespace harkola {
namespace {

struct TimeText {
  const char* name;
  const char* text;
  bool accepted;
  int second = 0, millisecond = 0;
};

class ParseLocalTime : public ::testing::TestWithParam<TimeText> {};

TEST_P(ParseLocalTime, DigitsOnly) {
  const TimeText& c = GetParam();
  LocalTime t;
  t.second = -1;
  ASSERT_EQ(parseLocalTime(c.text, t), c.accepted) << c.text;
  if (!c.accepted) {
    EXPECT_EQ(t.second, -1);  // left alone
    return;
  }
  EXPECT_EQ(std::tie(t.year, t.month, t.day, t.hour, t.minute), std::make_tuple(2026, 1, 1, 8, 0));
  EXPECT_EQ(std::pair(t.second, t.millisecond), std::pair(c.second, c.millisecond));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseLocalTime,
    ::testing::Values(TimeText{"plain", "2026-01-01 08:00:07", true, 7, 0},
                      TimeText{"single_digits", "2026-1-1 8:0:7", true, 7, 0},
                      TimeText{"fraction", "2026-01-01 08:00:07.25", true, 7, 250},
                      TimeText{"fraction_rounds_up", "2026-01-01 08:00:07.0996", true, 7, 100},
                      TimeText{"fraction_stops_at_999", "2026-01-01 08:00:59.9999", true, 59, 999},
                      TimeText{"nan_seconds", "2026-01-01 08:00:nan", false},
                      TimeText{"inf_seconds", "2026-01-01 08:00:inf", false},
                      TimeText{"hex_float_seconds", "2026-01-01 08:00:0x1p5", false},
                      TimeText{"exponent_seconds", "2026-01-01 08:00:5e1", false},
                      TimeText{"signed_seconds", "2026-01-01 08:00:+5", false},
                      TimeText{"negative_minute", "2026-01-01 08:-1:00", false},
                      TimeText{"blank_inside", "2026-01-01 08: 0:00", false},
                      TimeText{"trailing_text", "2026-01-01 08:00:00x", false},
                      TimeText{"bare_point", "2026-01-01 08:00:00.", false},
                      TimeText{"three_digit_seconds", "2026-01-01 08:00:007", false},
                      TimeText{"sixty_seconds", "2026-01-01 08:00:60", false},
                      TimeText{"feb_29_not_leap", "2026-02-29 08:00:00", false}),
    test::rowName);

}  // namespace
}  // namespace harkola
