#include <gtest/gtest.h>

#include <QAccessible>
#include <QFile>
#include <QTemporaryDir>

#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/icons/LucideImageCache.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "support/MessageCapture.h"
#include "support/Rendering.h"

namespace quaylight {
namespace {

TEST(LucideIcons, EveryNameRendersInTheCallersColour) {
    const QColor colours[] = {PremiumTheme::accent(), PremiumTheme::menuDanger(), Qt::white};
    int index = 0;
    for (LucideIconName name : allLucideIconNames()) {
        const QColor colour = colours[index++ % 3];
        const QImage image = renderLucideIcon(name, 14, colour, 2.0);
        const auto label = lucideResourceName(name).toStdString();
        EXPECT_EQ(image.size(), QSize(28, 28)) << label;
        EXPECT_GT(test::countOpaquePixels(image, 200), 10) << label;
        const QColor ink = test::averageInk(image, 255);
        EXPECT_EQ(ink.rgb(), colour.rgb()) << label;
    }
}

TEST(LucideIcons, NamesMapToTheirDrawings) {
    EXPECT_EQ(allLucideIconNames().size(), 33u);
    EXPECT_EQ(lucideResourceName(LucideIconName::helpCircle), QStringLiteral("circle-help"));
    EXPECT_EQ(lucideResourceName(LucideIconName::memory), QStringLiteral("memory-stick"));
    EXPECT_EQ(lucideResourceName(LucideIconName::textAlign), QStringLiteral("align-left"));
    EXPECT_EQ(lucideResourceName(LucideIconName::moreHorizontal), QStringLiteral("more-horizontal"));
    EXPECT_EQ(lucideResourceName(LucideIconName::chevronDown), QStringLiteral("chevron-down"));
    for (LucideIconName name : allLucideIconNames()) {
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/Icons/") + lucideResourceName(name) + QStringLiteral(".svg"))) << lucideResourceName(name).toStdString();
    }
}

TEST(LucideIcons, StartupAndRocketShareOneCachedDrawing) {
    auto& cache = LucideImageCache::shared();
    const auto rocket = cache.image(lucideResourceName(LucideIconName::rocket));
    const auto startup = cache.image(lucideResourceName(LucideIconName::startup));
    ASSERT_NE(rocket, nullptr);
    EXPECT_EQ(rocket, startup);
    EXPECT_EQ(renderLucideIcon(LucideIconName::rocket, 16, Qt::white), renderLucideIcon(LucideIconName::startup, 16, Qt::white));
}

TEST(LucideIcons, MissingDrawingIsAnEmptySquareWithoutALogLineAndIsLookedForAgain) {
    QTemporaryDir folder;
    LucideImageCache cache(folder.path());
    {
        test::MessageCapture log;
        const QImage image = renderLucideIcon(LucideIconName::bolt, 14, Qt::white, 1.0, &cache);
        EXPECT_EQ(image.size(), QSize(14, 14));
        EXPECT_EQ(test::countOpaquePixels(image), 0);
        EXPECT_TRUE(log.messages().isEmpty()) << log.messages().join(QLatin1Char('\n')).toStdString();
    }
    ASSERT_TRUE(QFile::copy(QStringLiteral(":/Icons/bolt.svg"), folder.filePath(QStringLiteral("bolt.svg"))));
    EXPECT_GT(test::countOpaquePixels(renderLucideIcon(LucideIconName::bolt, 14, Qt::white, 1.0, &cache)), 10);
}

TEST(LucideIcons, UnreadableDrawingIsAnEmptySquareWithoutALogLine) {
    QTemporaryDir folder;
    for (const auto& [name, content] : {std::pair{"bolt", "<svg><path d='M0 0"}, std::pair{"zap", "not xml at all"},
                                        std::pair{"x", ""}}) {
        QFile file(folder.filePath(QString::fromLatin1(name) + QStringLiteral(".svg")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    LucideImageCache cache(folder.path());
    test::MessageCapture log;
    for (LucideIconName name : {LucideIconName::bolt, LucideIconName::zap, LucideIconName::x}) {
        EXPECT_EQ(cache.image(lucideResourceName(name)), nullptr);
        EXPECT_EQ(test::countOpaquePixels(renderLucideIcon(name, 14, Qt::white, 1.0, &cache)), 0);
    }
    EXPECT_TRUE(log.messages().isEmpty()) << log.messages().join(QLatin1Char('\n')).toStdString();
}

TEST(LucideIcons, WidgetIsASquareOfItsSizeInItsForegroundColour) {
    LucideIcon icon(LucideIconName::globe, 14);
    EXPECT_EQ(icon.size(), QSize(14, 14));
    QPalette palette = icon.palette();
    palette.setColor(QPalette::WindowText, PremiumTheme::success());
    icon.setPalette(palette);
    const QImage image = test::render(icon, 2.0);
    EXPECT_EQ(test::averageInk(image, 255).rgb(), PremiumTheme::success().rgb());
}

TEST(LucideIcons, LabelledIconIsAnnouncedByItsLabelAndAnUnlabelledOneIsHidden) {
    LucideIcon labelled(LucideIconName::search, 14, QStringLiteral("Search"));
    LucideIcon decoration(LucideIconName::search, 14);
    test::render(labelled);
    test::render(decoration);
    auto* announced = QAccessible::queryAccessibleInterface(&labelled);
    auto* hidden = QAccessible::queryAccessibleInterface(&decoration);
    ASSERT_NE(announced, nullptr);
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(announced->text(QAccessible::Name), QStringLiteral("Search"));
    EXPECT_EQ(announced->childCount(), 0);
    EXPECT_FALSE(announced->state().invisible);
    EXPECT_TRUE(hidden->state().invisible);
    EXPECT_EQ(hidden->text(QAccessible::Name), QStringLiteral(""));
}

}  // namespace
}  // namespace quaylight
