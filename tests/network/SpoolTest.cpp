#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "network/FakeLink.h"
#include "network/Publisher.h"
#include "network/Reports.h"
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

}  // namespace
}  // namespace harkola
