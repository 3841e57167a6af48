#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "QuaylightKit/platform/FakeLoginItem.h"
#include "QuaylightKit/platform/XdgAutostartLoginItem.h"
#include "Quaylight/shell/platform/LaunchAtLoginManager.h"

namespace quaylight {
namespace {

using Result = LaunchAtLoginManager::ChangeResult;

struct Opened {
    std::vector<QUrl> urls;
    bool answer = true;
};

std::unique_ptr<LaunchAtLoginManager> withFake(FakeLoginItem*& fake, Opened& opened) {
    auto item = std::make_unique<FakeLoginItem>();
    fake = item.get();
    return std::make_unique<LaunchAtLoginManager>(std::move(item), [&opened](const QUrl& url) {
        opened.urls.push_back(url);
        return opened.answer;
    });
}

TEST(LaunchAtLoginManager, RegistersAndUnregistersTheItem) {
    FakeLoginItem* fake = nullptr;
    Opened opened;
    auto manager = withFake(fake, opened);
    EXPECT_FALSE(manager->isEnabled());
    EXPECT_EQ(manager->registerItem(), Result::enabled);
    EXPECT_TRUE(manager->isEnabled());
    EXPECT_EQ(manager->unregisterItem(), Result::disabled);
    fake->refuseAdd = true;
    EXPECT_EQ(manager->registerItem(), Result::failed);
    fake->refuseAdd = false;
    fake->addNeedsApproval = true;
    EXPECT_EQ(manager->registerItem(), Result::requiresApproval);
    EXPECT_EQ(fake->adds, 3);
    EXPECT_TRUE(opened.urls.empty());
}

TEST(LaunchAtLoginManager, OpeningTheSettingsMakesAMissingFolderFirst) {
    QTemporaryDir home;
    FakeLoginItem* fake = nullptr;
    Opened opened;
    auto manager = withFake(fake, opened);
    fake->location = (home.path() + QStringLiteral("/config/autostart")).toStdString();
    EXPECT_TRUE(manager->openLoginItemsSettings());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(fake->location)).isDir());
    ASSERT_EQ(opened.urls.size(), 1u);
    EXPECT_EQ(opened.urls.front(), QUrl::fromLocalFile(QString::fromStdString(fake->location)));

    opened.answer = false;
    EXPECT_FALSE(manager->openLoginItemsSettings());
    EXPECT_EQ(opened.urls.size(), 2u);
}

TEST(LaunchAtLoginManager, AFileWhereTheFolderBelongsIsNotOpened) {
    QTemporaryDir home;
    FakeLoginItem* fake = nullptr;
    Opened opened;
    auto manager = withFake(fake, opened);
    const QString path = home.path() + QStringLiteral("/autostart");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    fake->location = path.toStdString();
    EXPECT_FALSE(manager->openLoginItemsSettings());
    EXPECT_TRUE(opened.urls.empty());
    EXPECT_TRUE(QFileInfo(path).isFile());
}

TEST(LaunchAtLoginManager, TheRealItemStartsThisVeryExecutable) {
    QTemporaryDir configHome;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    auto manager = LaunchAtLoginManager::forRunningExecutable();
    if (saved.isNull()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", saved);

    EXPECT_EQ(manager->item().settingsLocation(), configHome.path().toStdString() + "/autostart");
    EXPECT_EQ(manager->registerItem(), Result::enabled);
    std::ifstream entry(configHome.path().toStdString() + "/autostart/quaylight.desktop");
    std::stringstream text;
    text << entry.rdbuf();
    char self[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof(self) - 1), 0);
    EXPECT_EQ(XdgAutostartLoginItem::launchedProgram(text.str()), std::string(self));
    EXPECT_EQ(manager->unregisterItem(), Result::disabled);
    EXPECT_FALSE(QFileInfo::exists(configHome.path() + QStringLiteral("/autostart/quaylight.desktop")));
}

}  // namespace
}  // namespace quaylight
