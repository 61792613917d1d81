#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "network/Reports.h"
#include "network/SlotMessage.h"

namespace harkola {
namespace {

using test::kBaseUtc;
using test::reportAt;
const std::int64_t kNow = kBaseUtc + 3600;

TEST(SlotMessage, WhatIsSentComesBackAsItWas) {
  SlotReport heard = reportAt("OH2XYZ", kBaseUtc + 40, 2);
  SlotReport notHeard = reportAt("DL/OH2XYZ/P", kBaseUtc + 170, 4, false);
  notHeard.locator = "KP20lf";
  notHeard.clockAheadMs.reset();
  for (const SlotReport& r : {heard, notHeard}) {
    const std::string topic = slotTopic(r);
    const DecodeResult d = decodeSlotMessage(topic, encodeSlotReport(r), kNow);
    ASSERT_TRUE(d.ok()) << refusalText(d.refusal) << ": " << d.detail;
    EXPECT_TRUE(test::sameReport(d.report, r));
  }
  EXPECT_EQ(slotTopic(notHeard), "harkola/v1/slot/28/BCN" + std::to_string(notHeard.beacon) + "/DL_OH2XYZ_P");
  // What a subscriber sees: the documented field names.
  const auto j = nlohmann::json::parse(encodeSlotReport(heard));
  EXPECT_EQ(j["slot_start"], "2026-12-07T08:00:40Z");
  EXPECT_EQ(j["band"], 21);
  EXPECT_EQ(j["snr_db"].dump(), "[-17.5,-27.1,null,null]");
  EXPECT_EQ(j["tone_hz"], 842.3);
}

struct BadCase {
  const char* name;
  Refusal refusal;
  std::function<void(nlohmann::json&, std::string& topic)> change;
};

using J = nlohmann::json;
// Each changed message is refused with its reason.
TEST(SlotMessage, RefusedWithItsReason) {
  const BadCase rows[] = {
      {"NotJson", Refusal::Malformed, [](J& j, std::string&) { j = "{\"schema\":1,"; }},
      {"Array", Refusal::Malformed, [](J& j, std::string&) { j = "[1,2]"; }},
      {"NotUtf8", Refusal::Malformed, [](J& j, std::string&) { j = "{\"schema\":1,\"station\":\"\xff\"}"; }},
      {"Schema2", Refusal::UnknownSchema, [](J& j, std::string&) { j["schema"] = 2; }},
      {"SchemaText", Refusal::UnknownSchema, [](J& j, std::string&) { j["schema"] = "1"; }},
      {"NoSchema", Refusal::UnknownSchema, [](J& j, std::string&) { j.erase("schema"); }},
      {"BandText", Refusal::WrongType, [](J& j, std::string&) { j["band"] = "14"; }},
      {"BandFloat", Refusal::WrongType, [](J& j, std::string&) { j["band"] = 14.0; }},
      {"BandNotABand", Refusal::WrongType, [](J& j, std::string&) { j["band"] = 15; }},
      {"BeaconHuge", Refusal::WrongType, [](J& j, std::string&) { j["beacon"] = 18446744073709551615ull; }},
      {"BeaconOffSchedule", Refusal::WrongType, [](J& j, std::string&) { j["beacon"] = j["beacon"].get<int>() % 18 + 1; }},
      {"HeardNumber", Refusal::WrongType, [](J& j, std::string&) { j["heard"] = 1; }},
      {"FiveDashes", Refusal::WrongType, [](J& j, std::string&) { j["dashes"] = 5; }},
      {"ThreeSnrs", Refusal::WrongType, [](J& j, std::string&) { j["snr_db"].erase(3); }},
      {"SnrText", Refusal::WrongType, [](J& j, std::string&) { j["snr_db"][0] = "-17"; }},
      {"SnrOverflow", Refusal::Malformed, [](J& j, std::string&) { j = j.dump().replace(j.dump().find("-17.5"), 5, "-1e999"); }},
      {"NoTone", Refusal::WrongType, [](J& j, std::string&) { j.erase("tone_hz"); }},
      {"OffBoundary", Refusal::WrongType, [](J& j, std::string&) { j["slot_start"] = "2026-12-07T08:00:41Z"; }},
      {"LocalTime", Refusal::WrongType, [](J& j, std::string&) { j["slot_start"] = "2026-12-07 08:00:40"; }},
      {"StationLowerCase", Refusal::WrongType, [](J& j, std::string&) { j["station"] = "oh2xyz"; }},
      {"StationWildcard", Refusal::WrongType, [](J& j, std::string&) { j["station"] = "OH2#"; }},
      {"LocatorShort", Refusal::WrongType, [](J& j, std::string&) { j["locator"] = "KP2"; }},
      {"VersionBlank", Refusal::WrongType, [](J& j, std::string&) { j["version"] = ""; }},
      {"Future", Refusal::FutureSlot, [](J& j, std::string&) { j["slot_start"] = "2026-12-07T11:00:40Z"; }},
      {"TooOld", Refusal::TooOld, [](J& j, std::string&) { j["slot_start"] = "2026-11-30T08:00:40Z"; }},
      {"Oversized", Refusal::Oversized, [](J& j, std::string&) { j["padding"] = std::string(3000, 'x'); }},
      {"TopicOtherStation", Refusal::TopicMismatch, [](J&, std::string& t) { t.back() = 'Q'; }},
      {"TopicOtherBand", Refusal::TopicMismatch, [](J&, std::string& t) { t.replace(t.find("/14/"), 4, "/18/"); }},
      {"TopicElsewhere", Refusal::TopicMismatch, [](J&, std::string& t) { t = "spots/" + t; }},
      {"TopicHuge", Refusal::Oversized, [](J&, std::string& t) { t += std::string(200, 'A'); }}};
  for (const BadCase& c : rows) {
    const SlotReport r = reportAt("OH2XYZ", kBaseUtc + 40, 0);
    std::string topic = slotTopic(r);
    auto j = nlohmann::json::parse(encodeSlotReport(r));
    c.change(j, topic);
    const DecodeResult d = decodeSlotMessage(topic, j.is_string() ? j.get<std::string>() : j.dump(), kNow);
    EXPECT_EQ(d.refusal, c.refusal) << c.name << ": " << d.detail;
  }
}

TEST(SlotMessage, ExtraFieldsOfALaterRevisionAreIgnored) {
  const SlotReport r = reportAt("OH2XYZ", kBaseUtc + 40, 0);
  auto j = nlohmann::json::parse(encodeSlotReport(r));
  j["antenna"] = "vertical";
  EXPECT_TRUE(decodeSlotMessage(slotTopic(r), j.dump(), kNow).ok());
}

TEST(SlotMessage, LocatorsAreCutToThePrecisionChosen) {
  EXPECT_EQ(networkLocator("kp20LF", false), "KP20");
  EXPECT_EQ(networkLocator("kp20LF", true), "KP20lf");
  EXPECT_EQ(networkLocator("KP20", true), "KP20");
  EXPECT_EQ(networkLocator("ZZ99", false), "");
  EXPECT_EQ(normalisedStation("oh2xyz/p"), "OH2XYZ/P");
  EXPECT_EQ(normalisedStation("OH 2"), "");
}

}  // namespace
}  // namespace harkola
