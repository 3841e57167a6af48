#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "Quaylight/design/theme/BrandFont.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {
namespace {

struct PaletteCase {
    const char* name;
    const QColor& (*color)();
    QColor expected;
};

QColor rgb(int red, int green, int blue) { return QColor::fromRgbF(red / 255.0f, green / 255.0f, blue / 255.0f); }

TEST(PremiumTheme, PaletteHoldsTheDesignedValues) {
    using namespace PremiumTheme;
    const PaletteCase cases[] = {
        {"panelTop", panelTop, rgb(14, 16, 21)},
        {"panelBottom", panelBottom, rgb(10, 11, 15)},
        {"textPrimary", textPrimary, rgb(232, 234, 238)},
        {"textSecondary", textSecondary, white(0.55)},
        {"textTertiary", textTertiary, white(0.4)},
        {"hairline", hairline, white(0.07)},
        {"panelBorder", panelBorder, white(0.09)},
        {"cardFill", cardFill, white(0.06)},
        {"cardBorder", cardBorder, white(0.08)},
        {"chipFill", chipFill, white(0.055)},
        {"chipBorder", chipBorder, white(0.07)},
        {"popupFill", popupFill, rgb(25, 27, 34)},
        {"popupBorder", popupBorder, rgb(59, 62, 73)},
        {"popupHover", popupHover, white(0.065)},
        {"secondaryButtonFill", secondaryButtonFill, rgb(43, 45, 54)},
        {"secondaryButtonBorder", secondaryButtonBorder, white(0.055)},
        {"destructiveButtonFill", destructiveButtonFill, rgb(216, 58, 49)},
        {"menuDanger", menuDanger, rgb(255, 107, 96)},
        {"accent", accent, rgb(0, 109, 252)},
        {"accentSoft", accentSoft, rgb(158, 203, 255)},
        {"success", success, rgb(48, 209, 88)},
        {"warning", warning, rgb(255, 179, 64)},
        {"danger", danger, rgb(255, 69, 58)},
        {"codex", codex, rgb(126, 226, 168)},
        {"claude", claude, rgb(255, 178, 125)},
        {"info", info, rgb(142, 196, 255)},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(each.color(), each.expected) << each.name;
    }
}

TEST(PremiumTheme, AccentIsTheBrandColour) {
    EXPECT_EQ(PremiumTheme::accent(), BrandColor::accent());
    EXPECT_EQ(&PremiumTheme::accent(), &BrandColor::accent());
    EXPECT_EQ(BrandColor::accent().name(), QStringLiteral("#006dfc"));
}

TEST(PremiumTheme, DisplayFontsResolveToTheNamedInterDisplayFaces) {
    const std::pair<PremiumFontWeight, const char*> faces[] = {
        {PremiumFontWeight::regular, "InterDisplay-Regular"},
        {PremiumFontWeight::medium, "InterDisplay-Medium"},
        {PremiumFontWeight::semibold, "InterDisplay-SemiBold"},
        {PremiumFontWeight::bold, "InterDisplay-Bold"},
    };
    for (const auto& [weight, name] : faces) {
        const QFont font = PremiumTheme::display(13, weight);
        EXPECT_EQ(postScriptName(font), QString::fromLatin1(name));
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Inter Display"));
    }
}

TEST(PremiumTheme, MonoFontResolvesToFragmentMono) {
    const QFont font = PremiumTheme::mono(10.5, QFont::Medium);
    EXPECT_EQ(postScriptName(font), QStringLiteral("FragmentMono-Regular"));
    EXPECT_EQ(font.weight(), QFont::Medium);
}

TEST(PremiumTheme, FontsKeepTheirDesignedPixelSize) {
    // Points are converted at the screen's own font DPI, so the text is `size` pixels high
    // whatever text scale the desktop sets.
    const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    for (qreal size : {9.0, 11.5, 13.0, 20.0}) {
        const QFont font = PremiumTheme::display(size, PremiumFontWeight::regular);
        EXPECT_NEAR(font.pointSizeF() * dpi / 72.0, size, 1e-9);
        EXPECT_NEAR(PremiumTheme::mono(size, QFont::Normal).pointSizeF() * dpi / 72.0, size, 1e-9);
    }
}

TEST(PremiumTheme, MissingFaceFallsBackToTheSystemFontOfTheWeight) {
    const FontFace missing{QStringLiteral("NoSuchFace-SemiBold"), QStringLiteral("No Such Family Here"), QFont::DemiBold};
    EXPECT_FALSE(faceIsAvailable(missing));
    const QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const QFont font = faceOrFallback(missing, 13, QFont::DemiBold, system);
    EXPECT_EQ(font.family(), system.family());
    EXPECT_EQ(font.weight(), QFont::DemiBold);
    EXPECT_NEAR(font.pointSizeF(), fixedPointSize(13), 1e-9);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFont mono = faceOrFallback({QStringLiteral("NoSuchMono-Regular"), QStringLiteral("No Such Mono Here"), QFont::Normal}, 10.5, QFont::Medium, fixed);
    EXPECT_EQ(mono.family(), fixed.family());
    EXPECT_EQ(mono.weight(), QFont::Medium);
}

TEST(PremiumTheme, PresentFacesAreAvailable) {
    EXPECT_TRUE(faceIsAvailable(displayFace(PremiumFontWeight::semibold)));
    EXPECT_TRUE(faceIsAvailable(monoFace()));
}

TEST(BrandFont, BundlesEveryFontFile) {
    const QStringList files = QDir(QStringLiteral(":/Fonts")).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, QStringList({QStringLiteral("FragmentMono-Regular.woff2"), QStringLiteral("InterDisplay-Bold.otf"),
                                  QStringLiteral("InterDisplay-Medium.otf"),
                                  QStringLiteral("InterDisplay-Regular.otf"), QStringLiteral("InterDisplay-SemiBold.otf")}));
}

TEST(BrandFont, SkipsFacesTheFontSystemAlreadyHas) {
    // The test's main registered the bundle once; a second pass adds nothing.
    const auto before = QFontDatabase::families().size();
    const auto report = BrandFont::registerBundledFonts();
    EXPECT_TRUE(report.registered.isEmpty()) << report.registered.join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(report.skipped.size(), 5);
    EXPECT_EQ(QFontDatabase::families().size(), before);
}

TEST(BrandFont, SkipsUnreadableFilesAndMissingFolders) {
    QTemporaryDir folder;
    QFile broken(folder.filePath(QStringLiteral("broken.ttf")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a font");
    broken.close();
    const auto report = BrandFont::registerBundledFonts(folder.path());
    EXPECT_TRUE(report.registered.isEmpty());
    EXPECT_EQ(report.skipped, QStringList({QStringLiteral("broken.ttf")}));

    const auto none = BrandFont::registerBundledFonts(folder.filePath(QStringLiteral("no-such-folder")));
    EXPECT_TRUE(none.registered.isEmpty());
    EXPECT_TRUE(none.skipped.isEmpty());
}

TEST(BrandFont, RegistersTtfFilesBeforeWoff2AndOtf) {
    QTemporaryDir folder;
    for (const char* name : {"a.otf", "b.woff2", "c.ttf"}) {
        QFile file(folder.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a font");
    }
    EXPECT_EQ(BrandFont::registerBundledFonts(folder.path()).skipped, QStringList({QStringLiteral("c.ttf"), QStringLiteral("b.woff2"), QStringLiteral("a.otf")}));
}

}  // namespace
}  // namespace quaylight
