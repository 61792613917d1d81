#include "common/LocalTime.h"

#include <gtest/gtest.h>

#include <tuple>

namespace harkola {
namespace {

// Digits only: 2026-01-01 08:00 and the seconds (with their milliseconds) of the
// accepted texts; a refused text leaves the time alone.
TEST(ParseLocalTime, DigitsOnly) {
  const struct {
    const char* text;
    bool accepted;
    int second = 0, millisecond = 0;
  } rows[] = {{"2026-01-01 08:00:07", true, 7, 0},        {"2026-1-1 8:0:7", true, 7, 0},
              {"2026-01-01 08:00:07.25", true, 7, 250},   {"2026-01-01 08:00:07.0996", true, 7, 100},
              {"2026-01-01 08:00:59.9999", true, 59, 999}, {"2026-01-01 08:00:nan", false},
              {"2026-01-01 08:00:inf", false},            {"2026-01-01 08:00:0x1p5", false},
              {"2026-01-01 08:00:5e1", false},            {"2026-01-01 08:00:+5", false},
              {"2026-01-01 08:-1:00", false},             {"2026-01-01 08: 0:00", false},
              {"2026-01-01 08:00:00x", false},            {"2026-01-01 08:00:00.", false},
              {"2026-01-01 08:00:007", false},            {"2026-01-01 08:00:60", false},
              {"2026-02-29 08:00:00", false}};
  for (const auto& r : rows) {
    LocalTime t;
    t.second = -1;
    EXPECT_EQ(parseLocalTime(r.text, t), r.accepted) << r.text;
    if (!r.accepted) {
      EXPECT_EQ(t.second, -1) << r.text;
      continue;
    }
    EXPECT_EQ(std::tie(t.year, t.month, t.day, t.hour, t.minute), std::make_tuple(2026, 1, 1, 8, 0)) << r.text;
    EXPECT_EQ(std::pair(t.second, t.millisecond), std::pair(r.second, r.millisecond)) << r.text;
  }
}

}  // namespace
}  // namespace harkola
