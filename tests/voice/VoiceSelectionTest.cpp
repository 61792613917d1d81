#include "voice/VoiceSelection.h"

#include <gtest/gtest.h>

namespace harkola {
namespace {

TEST(VoiceIndicatorTest, CaptionAndTooltipFollowTheCount) {
  constexpr const char* kAll = "All beacon voice announcements enabled";
  constexpr const char* kSome = "Only some beacon voice announcements enabled";
  constexpr const char* kNone = "All beacon voice announcements disabled";
  const struct {
    int count;
    const char *caption, *tooltip;
  } rows[] = {{0, "OFF", kNone}, {1, "(ON)", kSome}, {17, "(ON)", kSome},
              {18, "ON", kAll},  {-1, "OFF", kNone}, {19, "ON", kAll}};  // out of range clamped
  for (const auto& r : rows) EXPECT_EQ(voiceIndicator(r.count), (VoiceIndicator{r.caption, r.tooltip})) << r.count;
}

}  // namespace
}  // namespace harkola
