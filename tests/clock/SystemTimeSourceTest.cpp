// The system time source through its clock-setting seam: the real clock is never set.
#include <gtest/gtest.h>

#include <cerrno>

#include "clock/SystemTimeSource.h"
#include "support/WaitFor.h"

namespace harkola {
namespace {

using test::wallNs;

TEST(SystemTimeSource, AsksForTheClockMovedBySecondsKeepingTheFraction) {
  for (int seconds : {1, -1}) {
    timespec asked{};
    int calls = 0;
    SystemTimeSource source([&](const timespec& ts) { return asked = ts, ++calls, 0; });
    const std::int64_t before = wallNs();
    std::string error = "stale";
    ASSERT_TRUE(source.adjustSeconds(seconds, error));
    const std::int64_t after = wallNs();
    EXPECT_EQ(std::pair(calls, error), std::pair(1, std::string()));
    const std::int64_t set = std::int64_t(asked.tv_sec) * 1000000000 + asked.tv_nsec;
    const std::int64_t shift = std::int64_t(seconds) * 1000000000;
    EXPECT_TRUE(set >= before + shift && set <= after + shift) << seconds;
  }
}

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
