#include "voice/VoiceSelection.h"

#include <gtest/gtest.h>
#include "support/Tables.h"

namespace harkola {
namespace {

struct IndicatorRow {
  const char* name;
  int count;
  const char *caption, *tooltip;
};
class VoiceIndicatorTest : public ::testing::TestWithParam<IndicatorRow> {};

TEST_P(VoiceIndicatorTest, CaptionAndTooltipFollowTheCount) {
  EXPECT_EQ(voiceIndicator(GetParam().count), (VoiceIndicator{GetParam().caption, GetParam().tooltip}));
}

constexpr const char* kAll = "All beacon voice announcements enabled";
constexpr const char* kSome = "Only some beacon voice announcements enabled";
constexpr const char* kNone = "All beacon voice announcements disabled";

INSTANTIATE_TEST_SUITE_P(Counts, VoiceIndicatorTest,
                         ::testing::Values(IndicatorRow{"None", 0, "OFF", kNone}, IndicatorRow{"One", 1, "(ON)", kSome},
                                           IndicatorRow{"AllButOne", 17, "(ON)", kSome},
                                           IndicatorRow{"All", 18, "ON", kAll},
                                           IndicatorRow{"NegativeClamped", -1, "OFF", kNone},
                                           IndicatorRow{"OverClamped", 19, "ON", kAll}),
                         test::rowName);

}  // namespace
}  // namespace harkola
