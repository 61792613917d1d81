// The system time source through its clock-setting seam: the real clock is never set.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

#include "clock/SystemTimeSource.h"
#include "support/Tables.h"

namespace harkola {
namespace {

std::int64_t wallNs() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
}

struct ShiftCase {
  const char* name;
  int seconds;
};

class SystemTimeShift : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(SystemTimeShift, AsksForTheClockMovedBySecondsKeepingTheFraction) {
  timespec asked{};
  int calls = 0;
  SystemTimeSource source([&](const timespec& ts) { return asked = ts, ++calls, 0; });
  const std::int64_t before = wallNs();
  std::string error = "stale";
  ASSERT_TRUE(source.adjustSeconds(GetParam().seconds, error));
  const std::int64_t after = wallNs();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(error, "");
  const std::int64_t set = std::int64_t(asked.tv_sec) * 1000000000 + asked.tv_nsec;
  const std::int64_t shift = std::int64_t(GetParam().seconds) * 1000000000;
  EXPECT_GE(set, before + shift);
  EXPECT_LE(set, after + shift);
}

INSTANTIATE_TEST_SUITE_P(Shifts, SystemTimeShift,
                         ::testing::Values(ShiftCase{"OneLater", 1}, ShiftCase{"OneEarlier", -1}),
                         test::rowName);

TEST(SystemTimeSource, FailuresExplainWhatToDo) {
  std::string error;
  SystemTimeSource refused([](const timespec&) { return errno = EPERM, -1; });
  EXPECT_FALSE(refused.adjustSeconds(1, error));
  for (const char* part : {"not allowed to change the system time", "sudo setcap cap_sys_time+ep", "NTP"})
    EXPECT_NE(error.find(part), std::string::npos) << error;

  SystemTimeSource failing([](const timespec&) { return errno = EINVAL, -1; });
  EXPECT_FALSE(failing.adjustSeconds(-1, error));
  EXPECT_EQ(error.rfind("The computer clock could not be set: ", 0), 0u) << error;
  EXPECT_EQ(error.find("setcap"), std::string::npos) << error;
}

}  // namespace
}  // namespace harkola
