// The updater against feeds in files (file:// addresses), with the clock injected.
#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QUrl>

#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/platform/FeedUpdater.h"

namespace quaylight {
namespace {

using Kind = Updater::CheckResult::Kind;

QByteArray feedListing(const char* version) {
    return QByteArrayLiteral(R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel><item>
<link>https://example.com/release</link><sparkle:shortVersionString>)") +
           version + QByteArrayLiteral("</sparkle:shortVersionString></item></channel></rss>");
}

class FeedUpdaterTest : public ::testing::Test {
protected:
    QString writeFeed(const QByteArray& text) {
        const QString path = folder_.path() + QStringLiteral("/appcast.xml");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return QUrl::fromLocalFile(path).toString();
    }
    std::unique_ptr<FeedUpdater> make(const QString& feed, bool automatic = false) {
        FeedUpdater::Environment environment{feed, QStringLiteral("0.1.0"), &defaults_, [this] { return now_; }};
        auto updater = std::make_unique<FeedUpdater>(environment);
        if (!automatic) updater->setAutomaticallyChecksForUpdates(false);
        return updater;
    }
    Updater::CheckResult check(FeedUpdater& updater) {
        QSignalSpy finished(&updater, &Updater::checkFinished);
        QSignalSpy canCheck(&updater, &Updater::canCheckForUpdatesChanged);
        updater.checkForUpdates();
        EXPECT_FALSE(updater.canCheckForUpdates());
        EXPECT_TRUE(finished.wait(20000));
        EXPECT_TRUE(updater.canCheckForUpdates());
        EXPECT_EQ(canCheck.count(), 2);
        return finished.isEmpty() ? Updater::CheckResult{} : finished.first().first().value<Updater::CheckResult>();
    }

    QTemporaryDir folder_;
    InMemoryUserDefaults defaults_;
    QDateTime now_ = QDateTime(QDate(2026, 12, 10), QTime(12, 0), QTimeZone::utc());
};

TEST_F(FeedUpdaterTest, WithoutAFeedNothingCanBeChecked) {
    auto updater = make(QString(), true);
    EXPECT_FALSE(updater->hasFeed());
    EXPECT_FALSE(updater->canCheckForUpdates());
    EXPECT_FALSE(updater->nextScheduledCheck());
    QSignalSpy finished(updater.get(), &Updater::checkFinished);
    updater->checkForUpdates();
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 0);
    EXPECT_FALSE(updater->automaticallyDownloadsUpdates());
    // This build names no feed.
    EXPECT_TRUE(FeedUpdater::configuredFeedAddress().isEmpty());
}

TEST_F(FeedUpdaterTest, ANewerReleaseInTheFeedIsReportedAndTheCheckRemembered) {
    auto updater = make(writeFeed(feedListing("0.2.0")));
    auto result = check(*updater);
    EXPECT_EQ(result.kind, Kind::updateAvailable);
    EXPECT_EQ(result.latestVersion, QStringLiteral("0.2.0"));
    EXPECT_EQ(result.link, QStringLiteral("https://example.com/release"));
    EXPECT_EQ(defaults_.doubleValue(SettingsKeys::updatesLastCheckTime), static_cast<double>(now_.toSecsSinceEpoch()));
}

TEST_F(FeedUpdaterTest, TheSameOrAnOlderReleaseIsUpToDate) {
    for (const char* version : {"0.1.0", "0.0.9"}) {
        auto updater = make(writeFeed(feedListing(version)));
        EXPECT_EQ(check(*updater).kind, Kind::upToDate) << version;
    }
}

TEST_F(FeedUpdaterTest, AMissingOrBrokenFeedFailsWithASentence) {
    auto missing = make(QUrl::fromLocalFile(folder_.path() + QStringLiteral("/none.xml")).toString());
    auto result = check(*missing);
    EXPECT_EQ(result.kind, Kind::failed);
    EXPECT_TRUE(result.failure.startsWith(QStringLiteral("Quaylight couldn't read its update feed (file://"))) << result.failure.toStdString();

    auto broken = make(writeFeed("<html>no feed</html>"));
    result = check(*broken);
    EXPECT_EQ(result.kind, Kind::failed);
    EXPECT_TRUE(result.failure.endsWith(QStringLiteral("lists no release Quaylight can read."))) << result.failure.toStdString();
}

TEST_F(FeedUpdaterTest, AutomaticChecksComeAWeekAfterTheLastOne) {
    const QString feed = writeFeed(feedListing("0.1.0"));
    auto updater = make(feed);
    EXPECT_FALSE(updater->nextScheduledCheck());
    EXPECT_EQ(updater->updateCheckInterval(), std::chrono::seconds(604800));

    defaults_.set(SettingsKeys::updatesLastCheckTime, UserDefaults::Value(static_cast<double>(now_.addDays(-3).toSecsSinceEpoch())));
    updater->setAutomaticallyChecksForUpdates(true);
    EXPECT_EQ(updater->nextScheduledCheck(), now_.addDays(4));
    defaults_.set(SettingsKeys::updatesLastCheckTime, UserDefaults::Value(static_cast<double>(now_.addDays(-8).toSecsSinceEpoch())));
    EXPECT_EQ(updater->nextScheduledCheck(), now_.addDays(-1));
    // A last check in the future (the clock was set back) does not put checks off.
    defaults_.set(SettingsKeys::updatesLastCheckTime, UserDefaults::Value(static_cast<double>(now_.addDays(30).toSecsSinceEpoch())));
    EXPECT_EQ(updater->nextScheduledCheck(), now_);
}

TEST_F(FeedUpdaterTest, NeverCheckedWithAutomaticChecksOnChecksByItself) {
    auto updater = make(writeFeed(feedListing("0.3.0")), true);
    QSignalSpy finished(updater.get(), &Updater::checkFinished);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(finished.first().first().value<Updater::CheckResult>().kind, Kind::updateAvailable);
    // The next one is a week on.
    EXPECT_EQ(updater->nextScheduledCheck(), now_.addDays(7));
}

}  // namespace
}  // namespace quaylight
