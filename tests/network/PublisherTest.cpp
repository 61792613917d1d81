#include <gtest/gtest.h>

#include <optional>

#include "network/FakeLink.h"
#include "network/Publisher.h"
#include "network/Reports.h"
#include "support/TempFolder.h"

namespace harkola {
namespace {

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
