#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QVBoxLayout>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "Quaylight/design/controls/PremiumButton.h"
#include "Quaylight/design/controls/PremiumCard.h"
#include "Quaylight/design/controls/PremiumChip.h"
#include "Quaylight/design/controls/PremiumChoiceTrigger.h"
#include "Quaylight/design/controls/PremiumMenu.h"
#include "Quaylight/design/controls/Surface.h"
#include "Quaylight/design/platform/FakeReduceMotion.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "support/Rendering.h"

namespace quaylight {
namespace {

void expectShadow(const ShadowStyle& shadow, const QColor& color, qreal radius, QPointF offset) {
    EXPECT_EQ(shadow.color.rgba(), color.rgba());
    EXPECT_NEAR(shadow.radius, radius, 1e-9);
    EXPECT_EQ(shadow.offset, offset);
}

QColor pixelAt(const QImage& image, int x, int y) { return QColor::fromRgba(image.pixel(x, y)); }

// ---- Chips

TEST(PremiumChip, StylesTakeTheirColoursFromTheTheme) {
    using namespace PremiumTheme;
    struct Case {
        PremiumChipStyle style;
        QColor foreground, fill, border;
    };
    const Case cases[] = {
        {PremiumChipStyle::neutral, white(0.6), chipFill(), chipBorder()},
        {PremiumChipStyle::selected, white(), accent(), Qt::transparent},
        {PremiumChipStyle::accent, white(), accent(), Qt::transparent},
        {PremiumChipStyle::codex, codex(), withOpacity(success(), 0.12), withOpacity(success(), 0.24)},
        {PremiumChipStyle::claude, claude(), withOpacity(claude(), 0.12), withOpacity(claude(), 0.26)},
        {PremiumChipStyle::success, codex(), withOpacity(success(), 0.12), withOpacity(success(), 0.24)},
        {PremiumChipStyle::warning, warning(), withOpacity(warning(), 0.12), withOpacity(warning(), 0.26)},
        {PremiumChipStyle::danger, danger(), withOpacity(danger(), 0.12), withOpacity(danger(), 0.26)},
        {PremiumChipStyle::info, accentSoft(), withOpacity(accent(), 0.12), withOpacity(accent(), 0.26)},
    };
    for (const auto& each : cases) {
        const auto colors = premiumChipColors(each.style);
        EXPECT_EQ(colors.foreground.rgba(), each.foreground.rgba()) << int(each.style);
        EXPECT_EQ(colors.fill.rgba(), each.fill.rgba()) << int(each.style);
        EXPECT_EQ(colors.border.alpha() == 0 ? 0u : colors.border.rgba(), each.border.alpha() == 0 ? 0u : each.border.rgba())
            << int(each.style);
    }
}

TEST(PremiumChip, SuccessAndCodexChipsRenderIdentically) {
    PremiumChip success(QStringLiteral("Live"), PremiumChipStyle::success, LucideIconName::zap);
    PremiumChip codex(QStringLiteral("Live"), PremiumChipStyle::codex, LucideIconName::zap);
    EXPECT_EQ(test::render(success, 2.0), test::render(codex, 2.0));
}

TEST(PremiumChip, OnlySelectedAndAccentChipsGlow) {
    for (PremiumChipStyle style : {PremiumChipStyle::selected, PremiumChipStyle::accent}) {
        PremiumChip chip(QStringLiteral("Ports"), style);
        expectShadow(shadowOf(&chip), withOpacity(PremiumTheme::accent(), 0.4), 7, {0, 4});
    }
    PremiumChip neutral(QStringLiteral("All"), PremiumChipStyle::neutral);
    EXPECT_TRUE(shadowOf(&neutral).isClear());
    neutral.setChipStyle(PremiumChipStyle::selected);
    EXPECT_FALSE(shadowOf(&neutral).isClear());
    neutral.setChipStyle(PremiumChipStyle::danger);
    EXPECT_TRUE(shadowOf(&neutral).isClear());
}

TEST(PremiumChip, PaddingIconAndSpacingMakeItsIdealSize) {
    const QFontMetricsF metrics(PremiumTheme::display(11.5, PremiumFontWeight::medium));
    PremiumChip plain(QStringLiteral("Ports"), PremiumChipStyle::neutral);
    PremiumChip withIcon(QStringLiteral("Ports"), PremiumChipStyle::neutral, LucideIconName::list);
    EXPECT_EQ(plain.sizeHint().width(), int(std::ceil(11 + metrics.horizontalAdvance(QStringLiteral("Ports")) + 11)));
    EXPECT_EQ(withIcon.sizeHint().width(), int(std::ceil(11 + 12 + 6 + metrics.horizontalAdvance(QStringLiteral("Ports")) + 11)));
    EXPECT_EQ(plain.sizeHint().height(), int(std::ceil(5 + metrics.height() + 5)));
    EXPECT_EQ(plain.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
}

// ---- Buttons

TEST(PremiumButton, KindsTakeTheirColoursFromTheTheme) {
    using namespace PremiumTheme;
    EXPECT_EQ(premiumButtonColors(PremiumButtonKind::primary).fill, accent());
    EXPECT_EQ(premiumButtonColors(PremiumButtonKind::primary).label, white());
    EXPECT_EQ(premiumButtonColors(PremiumButtonKind::secondary).label, textPrimary());
    EXPECT_EQ(premiumButtonColors(PremiumButtonKind::secondary).fill, secondaryButtonFill());
    EXPECT_EQ(premiumButtonColors(PremiumButtonKind::secondary).border, secondaryButtonBorder());
    EXPECT_EQ(premiumButtonColors(PremiumButtonKind::destructive).fill, destructiveButtonFill());
    EXPECT_EQ(premiumButtonColors(PremiumButtonKind::ghost).label, accentSoft());
    EXPECT_EQ(premiumButtonColors(PremiumButtonKind::ghost).fill, withOpacity(accent(), 0.1));
    EXPECT_EQ(premiumButtonColors(PremiumButtonKind::ghost).border, withOpacity(accent(), 0.28));
}

TEST(PremiumButton, MeasuresFollowTheStyle) {
    const QFontMetricsF metrics(PremiumTheme::display(12, PremiumFontWeight::semibold));
    PremiumButton standard(QStringLiteral("Kill Process"));
    EXPECT_EQ(standard.sizeHint(), QSize(int(std::ceil(metrics.horizontalAdvance(QStringLiteral("Kill Process")) + 30)), 34));
    EXPECT_EQ(standard.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);

    PremiumButton row(QStringLiteral("Connect"), {PremiumButtonKind::ghost, 26, 10, 11, false});
    EXPECT_EQ(row.sizeHint(), QSize(int(std::ceil(metrics.horizontalAdvance(QStringLiteral("Connect")) + 22)), 26));

    PremiumButton wide(QStringLiteral("Cancel"), {PremiumButtonKind::secondary, 32, 10, 15, true});
    EXPECT_EQ(wide.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
}

TEST(PremiumButton, PrimaryGlowsAndPressingShrinksDimsAndTightensTheGlow) {
    const auto up = premiumButtonAppearance(PremiumButtonKind::primary, true, 0);
    EXPECT_EQ(up.scale, 1);
    EXPECT_EQ(up.opacity, 1);
    expectShadow(up.shadow, withOpacity(PremiumTheme::accent(), 0.34), 8, {0, 4});
    const auto down = premiumButtonAppearance(PremiumButtonKind::primary, true, 1);
    EXPECT_NEAR(down.scale, 0.985, 1e-12);
    EXPECT_NEAR(down.opacity, 0.88, 1e-12);
    expectShadow(down.shadow, withOpacity(PremiumTheme::accent(), 0.18), 4, {0, 2});
    for (auto kind : {PremiumButtonKind::secondary, PremiumButtonKind::destructive, PremiumButtonKind::ghost}) {
        EXPECT_TRUE(premiumButtonAppearance(kind, true, 0).shadow.isClear());
        EXPECT_TRUE(premiumButtonAppearance(kind, true, 1).shadow.isClear());
    }
}

TEST(PremiumButton, DisabledPrimaryHasNoGlowAndDrawsAtReducedOpacityPressedOrNot) {
    QWidget window;
    installReduceMotion(&window, std::make_shared<FakeReduceMotion>(true));
    auto* button = new PremiumButton(QStringLiteral("Open"), {PremiumButtonKind::primary}, &window);
    button->setEnabled(false);
    for (bool down : {false, true}) {
        button->setDown(down);
        test::render(*button);
        EXPECT_EQ(button->appearance().opacity, 0.42);
        EXPECT_EQ(button->appearance().scale, 1);
        EXPECT_TRUE(shadowOf(button).isClear());
    }
    button->setEnabled(true);
    EXPECT_FALSE(shadowOf(button).isClear());
}

TEST(PremiumButton, PressWithReduceMotionJumpsWithoutAnimation) {
    QWidget window;
    auto reduce = std::make_shared<FakeReduceMotion>(true);
    installReduceMotion(&window, reduce);
    auto* ghost = new PremiumButton(QStringLiteral("Connect"), {PremiumButtonKind::ghost}, &window);
    test::render(window);
    QTest::mousePress(ghost, Qt::LeftButton, {}, ghost->rect().center());
    EXPECT_NEAR(ghost->appearance().scale, 0.985, 1e-12);
    EXPECT_NEAR(ghost->appearance().opacity, 0.88, 1e-12);
    QTest::mouseRelease(ghost, Qt::LeftButton, {}, ghost->rect().center());
    EXPECT_EQ(ghost->appearance().scale, 1);

    // With motion allowed the press animates: nothing has moved before the event loop runs.
    reduce->set(false);
    QTest::mousePress(ghost, Qt::LeftButton, {}, ghost->rect().center());
    EXPECT_EQ(ghost->appearance().scale, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ghost->appearance().scale < 0.99; }, 5000));
    QTest::mouseRelease(ghost, Qt::LeftButton, {}, ghost->rect().center());
}

TEST(PremiumButton, OnlyTheRoundedShapeTakesClicks) {
    QWidget window;
    auto* button = new PremiumButton(QStringLiteral("Open"), {PremiumButtonKind::primary}, &window);
    test::render(window);
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(1, 1));  // (0, 0) would mean the centre
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    EXPECT_EQ(clicks.count(), 1);
}

TEST(PremiumButton, DrawsItsFillBehindTheLabel) {
    PremiumButton destructive(QStringLiteral(""), {PremiumButtonKind::destructive, 34, 10, 15, false});
    destructive.resize(80, 34);
    const QImage image = test::render(destructive);
    EXPECT_EQ(pixelAt(image, 40, 17).rgb(), PremiumTheme::destructiveButtonFill().rgb());
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);  // the rounded corner is left clear
}

// ---- Menu pieces

TEST(PremiumMenuButton, RowIs34PointsHighWithTenPointPadding) {
    PremiumMenuButton row({QStringLiteral("Copy Port"), LucideIconName::hash});
    row.resize(206, 34);
    EXPECT_EQ(row.sizeHint().height(), 34);
    const auto layout = row.rowLayout();
    ASSERT_TRUE(layout.icon);
    EXPECT_EQ(*layout.icon, QRectF(10, 10, 15, 14));
    EXPECT_EQ(layout.title.left(), 35);
    EXPECT_FALSE(layout.trailing);
}

TEST(PremiumMenuButton, TrailingTextHidesTheCheckMarkButTheRowStaysSelected) {
    PremiumMenuButton row({QStringLiteral("Compact"), std::nullopt, QStringLiteral("⌘1"), false, true});
    row.resize(176, 34);
    const auto layout = row.rowLayout();
    ASSERT_TRUE(layout.trailing);
    const qreal textWidth = QFontMetricsF(PremiumTheme::mono(10.5, QFont::Normal)).horizontalAdvance(QStringLiteral("⌘1"));
    EXPECT_NEAR(layout.trailing->width(), textWidth, 1e-9);
    EXPECT_NEAR(layout.trailing->right(), 176 - 10, 1e-9);
    auto* accessible = QAccessible::queryAccessibleInterface(&row);
    ASSERT_NE(accessible, nullptr);
    EXPECT_TRUE(accessible->state().selected);

    PremiumMenuButton checked({QStringLiteral("Compact"), std::nullopt, std::nullopt, false, true});
    checked.resize(176, 34);
    ASSERT_TRUE(checked.rowLayout().trailing);
    EXPECT_EQ(checked.rowLayout().trailing->size(), QSizeF(13, 13));

    PremiumMenuButton plain({QStringLiteral("Comfortable")});
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(&plain)->state().selected);
}

TEST(PremiumMenuButton, TheHighlightedRowIsFocusedWhileItsMenuHasTheKeys) {
    QWidget menu;
    menu.setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(&menu);
    auto* first = new PremiumMenuButton({QStringLiteral("Comfortable"), std::nullopt, std::nullopt, true, true});
    auto* second = new PremiumMenuButton({QStringLiteral("Compact")});
    for (auto* row : {first, second}) {
        row->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(row);
    }
    menu.show();
    QApplication::setActiveWindow(&menu);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&menu));
    menu.setFocus();
    auto* a = QAccessible::queryAccessibleInterface(first);
    auto* b = QAccessible::queryAccessibleInterface(second);
    EXPECT_TRUE(a->state().focusable);
    EXPECT_TRUE(a->state().focused);
    EXPECT_FALSE(b->state().focused);
    // The arrow keys move the highlight: the focus follows it; the chosen value stays selected.
    first->setHighlighted(false);
    second->setHighlighted(true);
    EXPECT_FALSE(a->state().focused);
    EXPECT_TRUE(a->state().selected);
    EXPECT_TRUE(b->state().focused);
    EXPECT_FALSE(b->state().selected);
    // Without the keys the highlight is only a picture.
    menu.clearFocus();
    EXPECT_FALSE(b->state().focused);
}

TEST(PremiumMenuButton, HighlightedDestructiveRowIsWhiteOnAccent) {
    PremiumMenuButtonFields fields{QStringLiteral("Kill Process…"), LucideIconName::ban, std::nullopt, true, false, true};
    auto colors = premiumMenuButtonColors(fields, false);
    EXPECT_EQ(colors.title, white());
    EXPECT_EQ(colors.icon, white());
    EXPECT_EQ(colors.background, PremiumTheme::accent());

    fields.isHighlighted = false;
    colors = premiumMenuButtonColors(fields, false);
    EXPECT_EQ(colors.title, PremiumTheme::menuDanger());
    EXPECT_EQ(colors.icon, withOpacity(PremiumTheme::menuDanger(), 0.62));
    EXPECT_EQ(colors.background.alpha(), 0);
    EXPECT_EQ(premiumMenuButtonColors(fields, true).background, PremiumTheme::popupHover());

    const auto normal = premiumMenuButtonColors({QStringLiteral("Copy Port")}, false);
    EXPECT_EQ(normal.title, white(0.93));
    EXPECT_NEAR(normal.icon.alphaF(), 0.93 * 0.62, 1e-3);
    EXPECT_EQ(normal.trailing, PremiumTheme::textSecondary());
}

TEST(PremiumMenuButton, HoverIsTrackedAndReportedAndTheWholeRowClicks) {
    QWidget window;
    auto* row = new PremiumMenuButton({QStringLiteral("Copy URL"), LucideIconName::link2}, &window);
    row->resize(200, 34);
    test::render(window);
    QSignalSpy hovers(row, &PremiumMenuButton::hoverChanged);
    QSignalSpy clicks(row, &QAbstractButton::clicked);
    QEnterEvent enter(QPointF(190, 17), QPointF(190, 17), QPointF(190, 17));
    QApplication::sendEvent(row, &enter);
    EXPECT_TRUE(row->isHovering());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(row, &leave);
    EXPECT_FALSE(row->isHovering());
    ASSERT_EQ(hovers.count(), 2);
    EXPECT_TRUE(hovers.at(0).at(0).toBool());
    EXPECT_FALSE(hovers.at(1).at(0).toBool());
    QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(195, 30));  // far from the text
    EXPECT_EQ(clicks.count(), 1);
}

TEST(PremiumMenuDivider, IsAHairlineWithFivePointsAboveAndBelow) {
    PremiumMenuDivider divider;
    divider.resize(100, divider.height());
    EXPECT_EQ(divider.height(), 11);
    const QImage image = test::render(divider);
    EXPECT_EQ(qAlpha(image.pixel(50, 4)), 0);
    EXPECT_EQ(qAlpha(image.pixel(50, 5)), qRound(0.1 * 255));
    EXPECT_EQ(qAlpha(image.pixel(50, 6)), 0);
}

TEST(PremiumMenuSurface, PadsItsRowsAndCastsADeepShadow) {
    PremiumMenuSurface menu(218);
    menu.addRow(new PremiumMenuButton({QStringLiteral("Copy Port")}));
    EXPECT_EQ(menu.width(), 218);
    EXPECT_EQ(menu.contentLayout()->contentsMargins(), QMargins(6, 6, 6, 6));
    EXPECT_EQ(menu.contentLayout()->spacing(), 0);
    expectShadow(shadowOf(&menu), black(0.62), 30, {0, 18});
    EXPECT_EQ(menu.cornerRadius(), 14);
    EXPECT_EQ(menu.palette().color(QPalette::WindowText), PremiumTheme::textPrimary());
    test::render(menu);
    EXPECT_EQ(menu.height(), 6 + 34 + 6);
}

TEST(PremiumDialogSurface, PadsItsContentCastsADeeperShadowAndIsModal) {
    PremiumDialogSurface dialog(360);
    EXPECT_EQ(dialog.width(), 360);
    EXPECT_EQ(dialog.contentLayout()->contentsMargins(), QMargins(18, 18, 18, 18));
    EXPECT_EQ(dialog.cornerRadius(), 18);
    expectShadow(shadowOf(&dialog), black(0.7), 38, {0, 22});
    auto* accessible = QAccessible::queryAccessibleInterface(&dialog);
    ASSERT_NE(accessible, nullptr);
    EXPECT_TRUE(accessible->state().modal);
}

TEST(PremiumCard, PadsItsContentOnItsFill) {
    PremiumCard card(14, 14, PremiumTheme::cardFill(), PremiumTheme::cardBorder());
    auto* content = new QLabel(QStringLiteral("Listener list"));
    card.setContent(content);
    EXPECT_EQ(card.contentLayout()->contentsMargins(), QMargins(14, 14, 14, 14));
    card.resize(200, 80);
    const QImage image = test::render(card);
    EXPECT_EQ(content->geometry().topLeft(), QPoint(14, 14));
    EXPECT_NEAR(qAlpha(image.pixel(7, 40)), qRound(0.06 * 255), 1);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
}

// ---- Choice trigger

TEST(PremiumChoiceTrigger, KeepsItsOwnSizeOf30PointsHigh) {
    PremiumChoiceTrigger trigger(QStringLiteral("density"), QStringLiteral("Row density"), QStringLiteral("Compact"));
    const QFontMetricsF metrics(PremiumTheme::display(11.5, PremiumFontWeight::medium));
    EXPECT_EQ(trigger.sizeHint(), QSize(int(std::ceil(10 + metrics.horizontalAdvance(QStringLiteral("Compact")) + 7 + 12 + 10)), 30));
    EXPECT_EQ(trigger.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    EXPECT_EQ(trigger.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
}

TEST(PremiumChoiceTrigger, AnnouncesItsValueStateAndHint) {
    PremiumChoiceTrigger trigger(QStringLiteral("density"), QStringLiteral("Row density"), QStringLiteral("Compact"));
    auto* accessible = QAccessible::queryAccessibleInterface(&trigger);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Row density"));
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("Compact, collapsed"));
    EXPECT_EQ(accessible->text(QAccessible::Description), QStringLiteral("Opens choices"));
    trigger.setExpanded(true);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("Compact, expanded"));
    EXPECT_EQ(accessible->text(QAccessible::Description), QStringLiteral("Use the arrow keys to choose"));
}

TEST(PremiumChoiceTrigger, ItsValueIsItsReadOnlyTextAndFollowsTheChoice) {
    PremiumChoiceTrigger trigger(QStringLiteral("density"), QStringLiteral("Row size"), QStringLiteral("Comfortable"));
    trigger.resize(trigger.sizeHint());
    trigger.show();
    auto* accessible = QAccessible::queryAccessibleInterface(&trigger);
    EXPECT_EQ(accessible->role(), QAccessible::ComboBox);
    // AT-SPI exports a combo box's name and its text, not Qt's value string.
    QAccessibleTextInterface* text = accessible->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(0, -1), QStringLiteral("Comfortable"));
    EXPECT_EQ(text->characterCount(), 11);
    EXPECT_EQ(text->text(0, 4), QStringLiteral("Comf"));
    EXPECT_EQ(text->selectionCount(), 0);
    trigger.setValue(QStringLiteral("Compact"));
    EXPECT_EQ(text->text(0, -1), QStringLiteral("Compact"));
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Row size"));
    // Its characters lie where they are drawn.
    const QRect first = text->characterRect(0);
    EXPECT_FALSE(first.isEmpty());
    EXPECT_TRUE(QRect(trigger.mapToGlobal(QPoint(0, 0)), trigger.size()).contains(first));
    EXPECT_EQ(text->offsetAtPoint(first.center()), 0);
    EXPECT_TRUE(text->characterRect(7).isEmpty());
}

TEST(PremiumChoiceTrigger, ChevronTurnsOverWhileExpanded) {
    PremiumChoiceTrigger collapsed(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("Compact"));
    PremiumChoiceTrigger expanded(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("Compact"), true);
    const QImage up = test::render(collapsed, 2.0);
    const QImage down = test::render(expanded, 2.0);
    const QRect chevron(up.width() - 2 * (10 + 12), 0, 2 * 12, up.height());
    // Half a turn maps the upright chevron onto the expanded one, up to antialiasing.
    const QImage upright = up.copy(chevron).mirrored(true, true);
    const QImage turned = down.copy(chevron);
    auto differing = [](const QImage& a, const QImage& b) {
        int count = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) > 60) ++count;
            }
        }
        return count;
    };
    const int pixels = turned.width() * turned.height();
    EXPECT_GT(differing(up.copy(chevron), turned), pixels / 20);
    EXPECT_LT(differing(upright, turned), pixels / 100);
}

TEST(PremiumChoiceAnchors, LaterAnchorsReplaceEarlierOnesOfTheSameId) {
    PremiumChoiceAnchors merged{{QStringLiteral("density"), QRect(0, 0, 10, 10)}, {QStringLiteral("filter"), QRect(1, 1, 5, 5)}};
    PremiumChoiceAnchorKey::reduce(merged, {{QStringLiteral("density"), QRect(20, 20, 10, 10)}});
    EXPECT_EQ(merged.at(QStringLiteral("density")), QRect(20, 20, 10, 10));
    EXPECT_EQ(merged.at(QStringLiteral("filter")), QRect(1, 1, 5, 5));

    QWidget popout;
    auto* layout = new QHBoxLayout(&popout);
    layout->setContentsMargins(7, 9, 0, 0);
    auto* first = new PremiumChoiceTrigger(QStringLiteral("density"), QStringLiteral("Row density"), QStringLiteral("Compact"));
    auto* second = new PremiumChoiceTrigger(QStringLiteral("density"), QStringLiteral("Row density"), QStringLiteral("Comfortable"));
    layout->addWidget(first);
    layout->addWidget(second);
    test::render(popout);
    const auto anchors = collectChoiceAnchors(&popout);
    ASSERT_EQ(anchors.size(), 1u);
    EXPECT_EQ(anchors.at(QStringLiteral("density")), second->geometry());
}

// ---- Surface

TEST(Surface, PaintsTheGradientInsideARoundedShapeWithAnInnerBorder) {
    Surface surface;
    surface.resize(300, 200);
    const QImage image = test::render(surface);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);     // outside the 22-point corner
    EXPECT_EQ(qAlpha(image.pixel(3, 3)), 0);
    const QColor top = pixelAt(image, 150, 2);
    const QColor bottom = pixelAt(image, 150, 197);
    EXPECT_NEAR(top.red(), PremiumTheme::panelTop().red(), 1);
    EXPECT_NEAR(bottom.red(), PremiumTheme::panelBottom().red(), 1);
    // The border lies on the outermost row, inside the shape: lighter than the fill below it.
    EXPECT_GT(pixelAt(image, 150, 0).red(), top.red());
    EXPECT_EQ(qAlpha(image.pixel(150, 0)), 255);
    EXPECT_EQ(surface.palette().color(QPalette::WindowText), PremiumTheme::textPrimary());
}

TEST(Surface, APatchPaintsWhatTheWholeShowsThereAtEverySizeAndRatio) {
    Surface surface;
    for (const QSize size : {QSize(300, 200), QSize(240, 260)}) {
        surface.resize(size);
        for (const qreal ratio : {1.0, 2.0}) {
            const QImage whole = test::render(surface, ratio).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QRect corner(QPoint(size.width() - 1, size.height() - 1) * ratio, QSize(1, 1));
            EXPECT_EQ(qAlpha(whole.pixel(corner.topLeft())), 0) << size.width() << " at " << ratio;
            EXPECT_EQ(qAlpha(whole.pixel(int(size.width() / 2 * ratio), int((size.height() - 1) * ratio))), 255);
            // The bottom right corner with its border, as a small repaint asks for it.
            const QRect patch(size.width() - 40, size.height() - 30, 40, 30);
            QImage part((QSizeF(patch.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
            part.setDevicePixelRatio(ratio);
            part.fill(Qt::transparent);
            surface.render(&part, QPoint(), QRegion(patch), QWidget::DrawChildren);
            const QImage expected = whole.copy(QRect((QPointF(patch.topLeft()) * ratio).toPoint(), part.size()));
            for (int y = 0; y < part.height(); ++y)
                for (int x = 0; x < part.width(); ++x)
                    ASSERT_EQ(part.pixel(x, y), expected.pixel(x, y)) << x << "," << y << " at " << ratio;
        }
    }
}

}  // namespace
}  // namespace quaylight
