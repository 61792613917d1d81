// What a station publishes: the slot message and what it refuses, the spool that keeps
// messages until the broker has them, and the publisher that sends from it.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "network/Publisher.h"
#include "network/Reports.h"
#include "network/SlotMessage.h"
#include "network/Spool.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

std::vector<std::uint64_t> seqs(const Spool& s) {
  std::vector<std::uint64_t> v;
  for (const auto& [seq, e] : s.entries()) v.push_back(seq);
  return v;
}

class Spooling : public ::testing::Test {
 protected:
  test::TempFolder dir;
  const std::filesystem::path path = dir / kSpoolFileName;
};

TEST_F(Spooling, KeepsWhatWaitsAcrossRestartsAndForgetsWhatWasAcknowledged) {
  {
    Spool s;
    ASSERT_TRUE(s.open(path)) << s.error();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.append(1000 + i, "t/" + std::to_string(i), "{\"i\":" + std::to_string(i) + "}"), i + 1u);
    EXPECT_TRUE(s.acknowledge(2));
    EXPECT_TRUE(s.acknowledge(4));
    EXPECT_FALSE(s.acknowledge(4));
    // Another program cannot take the same spool.
    Spool other;
    EXPECT_FALSE(other.open(path));
    EXPECT_NE(other.error().find("in use"), std::string::npos);
  }
  Spool s;
  ASSERT_TRUE(s.open(path));
  EXPECT_EQ(seqs(s), (std::vector<std::uint64_t>{1, 3, 5}));
  const auto& third = s.entries().at(3);
  EXPECT_EQ(std::tuple(third.topic, third.payload, third.slotStartUtc), std::tuple("t/2", "{\"i\":2}", 1002));
  EXPECT_TRUE(s.takeNotices().empty());
  // Numbers go on rising after a restart.
  EXPECT_EQ(s.append(2000, "t/x", "{}"), 6u);
}

TEST_F(Spooling, RewritesItselfSmallAndKeepsNumbering) {
  Spool s;
  ASSERT_TRUE(s.open(path));
  const std::string payload(300, 'p');
  for (int i = 0; i < 6000; ++i) {
    const auto seq = s.append(i, "t", payload);
    if (i % 100 != 0) s.acknowledge(seq);
  }
  EXPECT_LT(std::filesystem::file_size(path), 6000u * 300 / 2);  // not every line written
  s.close();
  ASSERT_TRUE(s.open(path));
  EXPECT_EQ(std::pair(s.waiting(), s.entries().begin()->first), std::pair(std::size_t{60}, std::uint64_t{1}));
  EXPECT_EQ(s.append(0, "t", "{}"), 6001u);
}

TEST_F(Spooling, ALineCutShortByACrashIsRemovedAndDamageIsSkipped) {
  {
    Spool s;
    ASSERT_TRUE(s.open(path));
    s.append(1, "t/a", "{\"a\":1}");
    s.append(2, "t/b", "{\"b\":2}");
    s.append(3, "t/c", "{\"c\":3}");
  }
  std::string text = test::fileText(path);
  const auto second = text.find("R 2 ");
  text[text.find("\"b\"", second) + 1] = 'x';  // a bit flipped in the second record
  text += "R 4 4 0badc0de t/d {\"d\"";          // and a torn last line
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;

  Spool s;
  ASSERT_TRUE(s.open(path));
  EXPECT_EQ(seqs(s), (std::vector<std::uint64_t>{1, 3}));
  const auto notices = s.takeNotices();
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_NE(notices[0].find("cut short"), std::string::npos);
  EXPECT_NE(notices[1].find("1 damaged"), std::string::npos);
  // The next record starts on a line of its own.
  EXPECT_EQ(s.append(5, "t/e", "{}"), 4u);
  s.close();
  ASSERT_TRUE(s.open(path));
  EXPECT_EQ(seqs(s), (std::vector<std::uint64_t>{1, 3, 4}));
}

TEST_F(Spooling, AgeAndSizeLimitsDropTheOldestWithANotice) {
  Spool s;
  ASSERT_TRUE(s.open(path, SpoolLimits{3600, 1000}));
  for (int i = 0; i < 5; ++i) s.append(10000 + i * 1000, "t", std::string(196, 'x'));  // 197 bytes each
  EXPECT_EQ(s.waiting(), 5u);
  s.append(20000, "t", std::string(196, 'x'));
  EXPECT_EQ(seqs(s), (std::vector<std::uint64_t>{2, 3, 4, 5, 6}));
  auto notices = s.takeNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("1 oldest"), std::string::npos);
  s.prune(14000 + 3600);  // slots 11000..13000 are older than an hour, 14000 is not
  EXPECT_EQ(seqs(s), (std::vector<std::uint64_t>{5, 6}));
  notices = s.takeNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("3 report(s) waited longer than 1 hour "), std::string::npos);
}

TEST_F(Spooling, KilledWhileWritingLosesNothingItHadWritten) {
  for (int round = 0; round < 3; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Spool s;
      if (!s.open(path)) ::_exit(1);
      for (std::uint64_t i = 0;; ++i) {
        const auto seq = s.append(static_cast<std::int64_t>(i), "t", std::string(200 + i % 300, 'a' + i % 26));
        if (seq % 3 == 0) s.acknowledge(seq);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(150 + 40 * round));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    Spool s;
    ASSERT_TRUE(s.open(path)) << s.error();
    // Whole records only, numbered without a gap except the acknowledged ones.
    std::uint64_t expect = 1;
    for (const auto& [seq, e] : s.entries()) {
      while (expect % 3 == 0 && expect < seq) ++expect;
      ASSERT_EQ(seq, expect);
      ASSERT_EQ(e.payload.size(), 200 + static_cast<std::size_t>(e.slotStartUtc) % 300);
      ASSERT_EQ(e.payload.find_first_not_of(e.payload[0]), std::string::npos);
      ++expect;
    }
    EXPECT_GT(s.waiting(), 10u);
  }
}

using test::kBaseUtc;
using test::reportAt;

// A publisher on a spool in a temp folder and a fake link.
struct Station {
  explicit Station(const test::TempFolder& dir) : opened(spool.open(dir / kSpoolFileName)) {}
  Spool spool;
  bool opened;
  test::FakeLink link;
  Publisher pub{spool, link};
};

class Publishing : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(station->opened); }
  test::TempFolder dir;
  std::optional<Station> station{dir};
  test::FakeLink& link = station->link;
  Publisher& pub = station->pub;
};

TEST_F(Publishing, SpoolsWhileOfflineSendsInOrderAndLetsGoOnlyWhenAcknowledged) {
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(pub.add(reportAt("OH2XYZ", kBaseUtc + 10 * i)));
  pub.poll(kBaseUtc);
  EXPECT_TRUE(link.sent.empty());
  EXPECT_EQ(pub.statusLine(), "off, 3 waiting");

  link.setState(LinkState::Connected);
  pub.poll(kBaseUtc);
  ASSERT_EQ(link.sent.size(), 3u);
  EXPECT_EQ(link.sent[0].topic, slotTopic(reportAt("OH2XYZ", kBaseUtc)));
  EXPECT_EQ(link.sent[2].payload, encodeSlotReport(reportAt("OH2XYZ", kBaseUtc + 20)));
  EXPECT_EQ(pub.takeNotices(), std::vector<std::string>{"Network: connected"});

  link.acknowledge(link.sent[1].tag);
  link.acknowledge(link.sent[1].tag);  // an acknowledgement of a resent copy
  pub.poll(kBaseUtc);
  EXPECT_EQ(pub.waiting(), 2u);
  EXPECT_EQ(pub.acknowledged(), 1u);

  // The connection drops: the link itself sends again what it had; nothing is handed twice.
  link.setState(LinkState::Retrying);
  pub.add(reportAt("OH2XYZ", kBaseUtc + 30));
  pub.poll(kBaseUtc);
  link.setState(LinkState::Connected);
  pub.poll(kBaseUtc);
  ASSERT_EQ(link.sent.size(), 4u);
  EXPECT_EQ(link.sent[3].payload, encodeSlotReport(reportAt("OH2XYZ", kBaseUtc + 30)));
}

TEST_F(Publishing, ARestartSendsWhatAnEarlierRunLeftFirstAndKeepsAWindow) {
  for (std::size_t i = 0; i < Publisher::kWindow + 10; ++i) pub.add(reportAt("OH2XYZ", kBaseUtc + 10 * static_cast<int>(i)));
  station.reset();
  Station again(dir);
  ASSERT_TRUE(again.opened);
  test::FakeLink& link = again.link;
  Publisher& pub = again.pub;
  link.setState(LinkState::Connected);
  pub.add(reportAt("OH2XYZ", kBaseUtc + 100000));
  pub.poll(kBaseUtc);
  ASSERT_EQ(link.sent.size(), Publisher::kWindow);
  EXPECT_EQ(link.sent.front().payload, encodeSlotReport(reportAt("OH2XYZ", kBaseUtc)));
  for (const auto& s : std::vector(link.sent)) link.acknowledge(s.tag);
  pub.poll(kBaseUtc);
  ASSERT_EQ(link.sent.size(), Publisher::kWindow + 11);
  EXPECT_EQ(link.sent.back().payload, encodeSlotReport(reportAt("OH2XYZ", kBaseUtc + 100000)));
}

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
  auto j = nlohmann::json::parse(encodeSlotReport(heard));
  EXPECT_EQ(j["slot_start"], "2026-12-07T08:00:40Z");
  EXPECT_EQ(j["band"], 21);
  EXPECT_EQ(j["snr_db"].dump(), "[-17.5,-27.1,null,null]");
  EXPECT_EQ(j["tone_hz"], 842.3);
  j["antenna"] = "vertical";  // a field of a later revision is ignored
  EXPECT_TRUE(decodeSlotMessage(slotTopic(heard), j.dump(), kNow).ok());
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
