#include "voice/VoiceSelection.h"

#include <gtest/gtest.h>

#include "voice/VoicePlayer.h"

namespace harkola {
namespace {

struct IndicatorRow {
  const char* name;
  int count;
  const char* caption;
  const char* tooltip;
};

class VoiceIndicatorTest : public ::testing::TestWithParam<IndicatorRow> {};

TEST_P(VoiceIndicatorTest, CaptionAndTooltipFollowTheCount) {
  const auto& r = GetParam();
  EXPECT_EQ(voiceIndicator(r.count), (VoiceIndicator{r.caption, r.tooltip}));
}

constexpr const char* kAll = "All beacon voice announcements enabled";
constexpr const char* kSome = "Only some beacon voice announcements enabled";
constexpr const char* kNone = "All beacon voice announcements disabled";

INSTANTIATE_TEST_SUITE_P(
    Counts, VoiceIndicatorTest,
    ::testing::Values(IndicatorRow{"None", 0, "OFF", kNone}, IndicatorRow{"One", 1, "(ON)", kSome},
                      IndicatorRow{"Nine", 9, "(ON)", kSome},
                      IndicatorRow{"AllButOne", 17, "(ON)", kSome},
                      IndicatorRow{"All", 18, "ON", kAll},
                      IndicatorRow{"NegativeClamped", -1, "OFF", kNone},
                      IndicatorRow{"OverClamped", 19, "ON", kAll}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VoiceSelection, BoxChangesWriteTheSharedSelectionAndUpdate) {
  std::array<bool, kBeaconCount> selected{};
  VoiceSelection s(selected);
  auto ind = s.boxChanged(4, true);
  ASSERT_TRUE(ind);
  EXPECT_EQ(ind->caption, "(ON)");
  EXPECT_TRUE(selected[4]);
  EXPECT_EQ(s.count(), 1);

  ind = s.boxChanged(4, false);
  ASSERT_TRUE(ind);
  EXPECT_EQ(ind->caption, "OFF");
  EXPECT_FALSE(selected[4]);
  EXPECT_EQ(s.count(), 0);

  EXPECT_FALSE(s.boxChanged(18, true));
  EXPECT_FALSE(s.boxChanged(-1, true));
  EXPECT_EQ(countSelected(selected), 0);
}

TEST(VoiceSelection, BulkChangeDefersTheUpdateUntilTheEnd) {
  std::array<bool, kBeaconCount> selected{};
  VoiceSelection s(selected);
  s.beginBulk();
  for (int i = 0; i < kBeaconCount; ++i) EXPECT_FALSE(s.boxChanged(i, true)) << i;
  EXPECT_EQ(s.count(), 0);  // not yet counted
  EXPECT_EQ(s.update().caption, "ON");
  EXPECT_FALSE(s.bulk());
  EXPECT_EQ(s.count(), 18);
  // After the bulk change a single click updates again.
  EXPECT_TRUE(s.boxChanged(0, false));
  EXPECT_EQ(s.count(), 17);
}

TEST(VoiceSelection, SetAllSwitchesEveryBeacon) {
  std::array<bool, kBeaconCount> selected{};
  selected[3] = true;
  VoiceSelection s(selected);
  EXPECT_EQ(s.setAll(true).caption, "ON");
  EXPECT_EQ(countSelected(selected), 18);
  EXPECT_EQ(s.setAll(false).caption, "OFF");
  EXPECT_EQ(countSelected(selected), 0);
  EXPECT_FALSE(s.bulk());
}

TEST(VoiceSelection, UnloadWarnsOnceWhenAnyBeaconWasCounted) {
  std::array<bool, kBeaconCount> selected{};
  VoiceSelection s(selected);
  EXPECT_FALSE(s.unload("Harkola 5 "));

  s.boxChanged(7, true);
  auto warning = s.unload("Harkola 5 ");
  ASSERT_TRUE(warning);
  EXPECT_EQ(warning->text,
            "Please check your radio does not have voice activated switching (vox) active, to "
            "avoid transmitting the beacon announcements!  Thanks.");
  EXPECT_EQ(warning->title, "Harkola 5 ");
  EXPECT_EQ(warning->icon, NoticeIcon::Exclamation);
  EXPECT_EQ(warning->buttons, NoticeButtons::Ok);
  // The count is spent: a second unload stays quiet, the selection itself stays.
  EXPECT_FALSE(s.unload("Harkola 5 "));
  EXPECT_TRUE(selected[7]);
}

TEST(VoicePlayerNumbers, ClipIdsAndFileNames) {
  EXPECT_EQ(voiceClipId(1), 101);
  EXPECT_EQ(voiceClipId(18), 118);
  EXPECT_EQ(voiceClipFileName(9), "109.wav");
  EXPECT_FALSE(isVoiceClipNumber(0));
  EXPECT_TRUE(isVoiceClipNumber(1));
  EXPECT_TRUE(isVoiceClipNumber(18));
  EXPECT_FALSE(isVoiceClipNumber(19));
}

}  // namespace
}  // namespace harkola
