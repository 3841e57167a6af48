// Renders every control, the icons and the brand mark into PNG files in the build folder
// (tests/Quaylight/design/gallery), for a person to look at. The controls picture is the
// one the README shows (docs/design-controls.png is a copy of it).
#include <gtest/gtest.h>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "Quaylight/design/brand/MenuBarIcon.h"
#include "Quaylight/design/brand/PlugMark.h"
#include "Quaylight/design/controls/PremiumButton.h"
#include "Quaylight/design/controls/PremiumCard.h"
#include "Quaylight/design/controls/PremiumChip.h"
#include "Quaylight/design/controls/PremiumChoiceTrigger.h"
#include "Quaylight/design/controls/PremiumMenu.h"
#include "Quaylight/design/controls/Surface.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/platform/FakeReduceMotion.h"
#include "Quaylight/design/theme/Foreground.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "support/Rendering.h"

namespace quaylight {
namespace {

QLabel* text(const QString& words, const QFont& font, const QColor& color) {
    auto* label = new QLabel(words);
    label->setFont(font);
    setForeground(label, color);
    return label;
}

QLabel* heading(const QString& words) {
    return text(words.toUpper(), PremiumTheme::mono(9, QFont::Medium), PremiumTheme::textTertiary());
}

QWidget* row(std::initializer_list<QWidget*> widgets, int spacing = 10, Qt::Alignment alignment = Qt::AlignVCenter) {
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (auto* widget : widgets) layout->addWidget(widget, 0, alignment);
    layout->addStretch();
    return holder;
}

// A plain panel-coloured sheet for the icon and brand pictures.
std::unique_ptr<QWidget> darkSheet() {
    auto sheet = std::make_unique<QWidget>();
    sheet->setAutoFillBackground(true);
    QPalette palette = sheet->palette();
    palette.setColor(QPalette::Window, PremiumTheme::panelTop());
    sheet->setPalette(palette);
    return sheet;
}

PremiumMenuSurface* actionMenu() {
    auto* menu = new PremiumMenuSurface(218);
    menu->addRow(new PremiumMenuButton({QStringLiteral("Open in Browser"), LucideIconName::globe, QStringLiteral("↵"), true}));
    menu->addRow(new PremiumMenuButton({QStringLiteral("Copy URL"), LucideIconName::link2}));
    menu->addRow(new PremiumMenuButton({QStringLiteral("Copy Port"), LucideIconName::hash}));
    menu->addRow(new PremiumMenuButton({QStringLiteral("Focus App"), LucideIconName::monitor}));
    menu->addRow(new PremiumMenuDivider);
    menu->addRow(new PremiumMenuButton({QStringLiteral("Kill Process…"), LucideIconName::ban, std::nullopt, false, false, true}));
    menu->addRow(new PremiumMenuButton({QStringLiteral("Force Kill…"), LucideIconName::zap, std::nullopt, false, false, true}));
    return menu;
}

PremiumMenuSurface* sortMenu() {
    auto* menu = new PremiumMenuSurface(166);
    menu->addRow(new PremiumMenuButton({QStringLiteral("Port"), std::nullopt, std::nullopt, false, true}));
    menu->addRow(new PremiumMenuButton({QStringLiteral("Name")}));
    menu->addRow(new PremiumMenuButton({QStringLiteral("CPU")}));
    menu->addRow(new PremiumMenuDivider);
    menu->addRow(new PremiumMenuButton({QStringLiteral("Refresh now"), LucideIconName::refreshCw}));
    return menu;
}

PremiumDialogSurface* dialog() {
    auto* card = new PremiumDialogSurface(360);
    auto* layout = card->contentLayout();
    layout->setSpacing(12);
    layout->addWidget(text(QStringLiteral("Kill node on port 3000?"), PremiumTheme::display(15, PremiumFontWeight::semibold),
                           PremiumTheme::textPrimary()));
    auto* body = text(QStringLiteral("Quaylight sends SIGTERM to PID 48213. Unsaved work in that process may be lost."),
                      PremiumTheme::display(12, PremiumFontWeight::regular), PremiumTheme::textSecondary());
    body->setWordWrap(true);
    body->setMinimumHeight(body->heightForWidth(360 - 2 * 18));
    layout->addWidget(body);
    auto* buttons = new QWidget;
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(0, 4, 0, 0);
    buttonRow->setSpacing(8);
    buttonRow->addWidget(new PremiumButton(QStringLiteral("Cancel"), {PremiumButtonKind::secondary, 32, 10, 15, true}));
    buttonRow->addWidget(new PremiumButton(QStringLiteral("Kill Process"), {PremiumButtonKind::destructive, 32, 10, 15, true}));
    layout->addWidget(buttons);
    return card;
}

QWidget* controlsScene() {
    auto* surface = new Surface;
    surface->resize(900, 500);
    installReduceMotion(surface, std::make_shared<FakeReduceMotion>(true));
    auto* grid = new QGridLayout;
    grid->setContentsMargins(28, 24, 28, 28);
    grid->setHorizontalSpacing(28);
    grid->setVerticalSpacing(10);
    surface->contentLayout()->addLayout(grid);

    auto* pressed = new PremiumButton(QStringLiteral("Pressed"), {PremiumButtonKind::primary});
    pressed->setDown(true);
    auto* disabled = new PremiumButton(QStringLiteral("Disabled"), {PremiumButtonKind::primary});
    disabled->setEnabled(false);
    grid->addWidget(heading(QStringLiteral("Buttons")), 0, 0, 1, 3);
    grid->addWidget(row({new PremiumButton(QStringLiteral("Open in Browser"), {PremiumButtonKind::primary}),
                         new PremiumButton(QStringLiteral("Email Support"), {PremiumButtonKind::secondary, 30, 10, 11}),
                         new PremiumButton(QStringLiteral("Kill Process"), {PremiumButtonKind::destructive}),
                         new PremiumButton(QStringLiteral("Connect"), {PremiumButtonKind::ghost, 26, 10, 11}), pressed, disabled}),
                    1, 0, 1, 3);

    grid->addWidget(heading(QStringLiteral("Chips")), 2, 0, 1, 3);
    grid->addWidget(row({new PremiumChip(QStringLiteral("All"), PremiumChipStyle::neutral, LucideIconName::list),
                         new PremiumChip(QStringLiteral("Ports"), PremiumChipStyle::selected, LucideIconName::layoutList),
                         new PremiumChip(QStringLiteral("Agents"), PremiumChipStyle::accent),
                         new PremiumChip(QStringLiteral("Codex"), PremiumChipStyle::codex),
                         new PremiumChip(QStringLiteral("Claude Code"), PremiumChipStyle::claude),
                         new PremiumChip(QStringLiteral("Live"), PremiumChipStyle::success, LucideIconName::zap),
                         new PremiumChip(QStringLiteral("Waiting"), PremiumChipStyle::warning, LucideIconName::clock),
                         new PremiumChip(QStringLiteral("Needs attention"), PremiumChipStyle::danger, LucideIconName::bell),
                         new PremiumChip(QStringLiteral("Info"), PremiumChipStyle::info)},
                        8),
                    3, 0, 1, 3);

    grid->addWidget(heading(QStringLiteral("Menus")), 4, 0);
    grid->addWidget(heading(QStringLiteral("Choice triggers and card")), 4, 1, 1, 2);
    grid->addWidget(row({actionMenu(), sortMenu()}, 16, Qt::AlignTop), 5, 0, 5, 1, Qt::AlignTop);

    auto* triggers = row({new PremiumChoiceTrigger(QStringLiteral("density"), QStringLiteral("Row density"), QStringLiteral("Compact")),
                          new PremiumChoiceTrigger(QStringLiteral("filter"), QStringLiteral("Default filter"), QStringLiteral("All listeners"), true)});
    grid->addWidget(triggers, 5, 1, 1, 2, Qt::AlignTop);
    auto* card = new PremiumCard(14, 14, PremiumTheme::cardFill(), PremiumTheme::cardBorder());
    auto* mark = new PlugMark(true, {2.1, 2.0, 8.9});
    mark->setFixedSize(34, 24);
    setForeground(mark, PremiumTheme::accent());
    auto* cardRow = new QWidget;
    auto* cardLayout = new QHBoxLayout(cardRow);
    cardLayout->setContentsMargins(0, 0, 0, 0);
    cardLayout->setSpacing(12);
    cardLayout->addWidget(mark);
    auto* words = new QWidget;
    auto* wordsLayout = new QVBoxLayout(words);
    wordsLayout->setContentsMargins(0, 0, 0, 0);
    wordsLayout->setSpacing(2);
    wordsLayout->addWidget(text(QStringLiteral("Quaylight"), PremiumTheme::display(14, PremiumFontWeight::semibold),
                                PremiumTheme::textPrimary()));
    wordsLayout->addWidget(text(QStringLiteral("12 listeners · 3 agents"), PremiumTheme::mono(10.5, QFont::Normal),
                                PremiumTheme::textSecondary()));
    cardLayout->addWidget(words, 1);
    card->setContent(cardRow);
    card->setFixedWidth(300);
    grid->addWidget(card, 6, 1, 1, 2, Qt::AlignTop);

    grid->addWidget(heading(QStringLiteral("Dialog")), 7, 1, 1, 2);
    grid->addWidget(dialog(), 8, 1, 1, 2, Qt::AlignLeft | Qt::AlignTop);
    grid->setRowStretch(9, 1);
    grid->setColumnStretch(3, 1);
    return surface;
}

TEST(Gallery, RendersTheControls) {
    std::unique_ptr<QWidget> scene(controlsScene());
    const QImage image = test::render(*scene, 2.0);
    const QString path = test::saveToGallery(image, QStringLiteral("controls"));
    EXPECT_FALSE(image.isNull()) << path.toStdString();
    EXPECT_GT(test::countOpaquePixels(image), image.width() * image.height() / 2);
}

TEST(Gallery, RendersEveryIcon) {
    auto owner = darkSheet();
    auto* sheet = owner.get();
    auto* grid = new QGridLayout(sheet);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setSpacing(14);
    int index = 0;
    for (LucideIconName name : allLucideIconNames()) {
        auto* cell = new QWidget;
        auto* layout = new QVBoxLayout(cell);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(6);
        auto* icon = new LucideIcon(name, 20);
        setForeground(icon, index % 3 == 0 ? PremiumTheme::accentSoft() : PremiumTheme::textPrimary());
        layout->addWidget(icon, 0, Qt::AlignHCenter);
        layout->addWidget(text(lucideResourceName(name), PremiumTheme::mono(8, QFont::Normal), PremiumTheme::textTertiary()),
                          0, Qt::AlignHCenter);
        grid->addWidget(cell, index / 8, index % 8);
        ++index;
    }
    const QImage image = test::render(*sheet, 2.0, PremiumTheme::panelTop());
    test::saveToGallery(image, QStringLiteral("icons"));
    EXPECT_FALSE(image.isNull());
}

TEST(Gallery, RendersTheBrandMarkAndStatusIcon) {
    auto owner = darkSheet();
    auto* sheet = owner.get();
    auto* layout = new QHBoxLayout(sheet);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(24);
    const PlugCut cuts[] = {{2.1, 2.0, 8.9}, {2.5, 2.1, 8.7}, {1.6, 1.8, 9.1}};
    for (bool live : {false, true}) {
        for (const auto& cut : cuts) {
            auto* mark = new PlugMark(live, cut);
            mark->setFixedSize(96, 72);
            setForeground(mark, live ? PremiumTheme::accent() : PremiumTheme::textPrimary());
            layout->addWidget(mark);
        }
    }
    test::saveToGallery(test::render(*sheet, 2.0, PremiumTheme::panelTop()), QStringLiteral("brand-mark"));

    // The tray icon on a dark and a light panel, at 1x and 2x.
    const QIcon icon = MenuBarIcon::statusImage(Qt::white);
    const QIcon dark = MenuBarIcon::statusImage(Qt::black);
    QImage tray(QSize(200, 60), QImage::Format_ARGB32_Premultiplied);
    tray.fill(Qt::transparent);
    QPainter painter(&tray);
    painter.fillRect(QRect(0, 0, 100, 60), QColor(30, 30, 30));
    painter.fillRect(QRect(100, 0, 100, 60), QColor(240, 240, 240));
    painter.drawPixmap(10, 20, icon.pixmap(QSize(18, 14)));
    auto twice = [](QPixmap pixmap) {
        pixmap.setDevicePixelRatio(1.0);  // show the 2x pixels at twice the size
        return pixmap;
    };
    painter.drawPixmap(40, 10, twice(icon.pixmap(QSize(18, 14), 2.0)));
    painter.drawPixmap(110, 20, dark.pixmap(QSize(18, 14)));
    painter.drawPixmap(140, 10, twice(dark.pixmap(QSize(18, 14), 2.0)));
    painter.end();
    test::saveToGallery(tray, QStringLiteral("status-icon"));
}

}  // namespace
}  // namespace quaylight
