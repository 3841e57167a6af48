#include <gtest/gtest.h>

#include "Quaylight/shell/platform/UpdateFeed.h"

namespace quaylight {
namespace {

TEST(UpdateFeed, VersionsCompareNumericallyPartByPart) {
    const std::vector<std::tuple<const char*, const char*, int>> cases{
        {"0.1.0", "0.1.0", 0}, {"0.1", "0.1.0", 0},   {"0.10.0", "0.9.1", 1}, {"1.0.0", "0.99", 1},
        {"0.1.0", "0.1.1", -1}, {"2", "10", -1},     {"1.0.0b", "1.0.0a", 1}, {" 1.2 ", "1.2", 0},
    };
    for (const auto& [a, b, order] : cases) {
        EXPECT_EQ(UpdateFeed::compareVersions(QString::fromLatin1(a), QString::fromLatin1(b)), order) << a << " vs " << b;
        EXPECT_EQ(UpdateFeed::compareVersions(QString::fromLatin1(b), QString::fromLatin1(a)), -order) << b << " vs " << a;
    }
}

TEST(UpdateFeed, TheNewestItemOfAFeedWins) {
    const QByteArray feed = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel>
    <title>Quaylight</title>
    <link>https://example.com/channel</link>
    <item>
      <title>0.9.0</title>
      <link>https://example.com/0.9.0</link>
      <sparkle:version>90</sparkle:version>
      <sparkle:shortVersionString>0.9.0</sparkle:shortVersionString>
    </item>
    <item>
      <title>0.10.0</title>
      <enclosure url="https://example.com/quaylight-0.10.0.tar.gz" sparkle:version="100" sparkle:shortVersionString="0.10.0" length="1" type="application/octet-stream"/>
    </item>
    <item>
      <title>0.2.0</title>
      <sparkle:version>0.2.0</sparkle:version>
    </item>
  </channel>
</rss>)";
    auto newest = UpdateFeed::newestRelease(feed);
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->version, QStringLiteral("0.10.0"));
    EXPECT_EQ(newest->link, QStringLiteral("https://example.com/quaylight-0.10.0.tar.gz"));
}

TEST(UpdateFeed, WhatIsNotAFeedWithVersionsGivesNothing) {
    const std::vector<QByteArray> cases{
        "",
        "not xml at all",
        "<html><body>404</body></html>",
        R"(<rss version="2.0"><channel><item><title>x</title></item></channel></rss>)",
        R"(<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel><item><sparkle:version>1</sparkle:version>)",
        R"(<rss version="2.0"><channel><item><version>9.9</version></item></channel></rss>)",
    };
    for (const auto& feed : cases) EXPECT_FALSE(UpdateFeed::newestRelease(feed)) << feed.toStdString();
}

}  // namespace
}  // namespace quaylight
