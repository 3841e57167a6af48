#include "Quaylight/design/controls/PremiumChip.h"

#include <QPainter>
#include <cmath>

#include "Quaylight/design/controls/Shadow.h"
#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {

namespace {

constexpr qreal iconSize = 12;
constexpr qreal spacing = 6;
constexpr qreal horizontalPadding = 11;
constexpr qreal verticalPadding = 5;

}  // namespace

PremiumChipColors premiumChipColors(PremiumChipStyle style) {
    using namespace PremiumTheme;
    switch (style) {
        case PremiumChipStyle::neutral: return {white(0.6), chipFill(), chipBorder()};
        case PremiumChipStyle::selected:
        case PremiumChipStyle::accent: return {white(), accent(), Qt::transparent};
        // Codex chips are success chips: light green text on the green tint.
        case PremiumChipStyle::codex:
        case PremiumChipStyle::success: return {codex(), withOpacity(success(), 0.12), withOpacity(success(), 0.24)};
        case PremiumChipStyle::claude: return {claude(), withOpacity(claude(), 0.12), withOpacity(claude(), 0.26)};
        case PremiumChipStyle::warning: return {warning(), withOpacity(warning(), 0.12), withOpacity(warning(), 0.26)};
        case PremiumChipStyle::danger: return {danger(), withOpacity(danger(), 0.12), withOpacity(danger(), 0.26)};
        case PremiumChipStyle::info: return {accentSoft(), withOpacity(accent(), 0.12), withOpacity(accent(), 0.26)};
    }
    return {white(0.6), chipFill(), chipBorder()};
}

ShadowStyle premiumChipShadow(PremiumChipStyle style) {
    const bool glows = style == PremiumChipStyle::selected || style == PremiumChipStyle::accent;
    return {glows ? withOpacity(PremiumTheme::accent(), 0.4) : QColor(Qt::transparent), 7, QPointF(0, 4)};
}

PremiumChip::PremiumChip(const QString& title, PremiumChipStyle style, std::optional<LucideIconName> icon,
                         QWidget* parent)
    : QWidget(parent), title_(title), style_(style), icon_(icon) {
    setFont(PremiumTheme::display(11.5, PremiumFontWeight::medium));
    // Its own width always; its height follows the container.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    restyle();
}

void PremiumChip::setTitle(const QString& title) {
    title_ = title;
    updateGeometry();
    update();
}

void PremiumChip::setChipStyle(PremiumChipStyle style) {
    style_ = style;
    restyle();
}

void PremiumChip::setIcon(std::optional<LucideIconName> icon) {
    icon_ = icon;
    updateGeometry();
    update();
}

void PremiumChip::restyle() {
    applyShadow(this, premiumChipShadow(style_));
    update();
}

QSize PremiumChip::sizeHint() const {
    const QFontMetricsF metrics(font());
    const qreal content = (icon_ ? iconSize + spacing : 0) + metrics.horizontalAdvance(title_);
    const qreal height = std::max(metrics.height(), icon_ ? iconSize : 0.0);
    return {int(std::ceil(content + 2 * horizontalPadding)), int(std::ceil(height + 2 * verticalPadding))};
}

QSize PremiumChip::minimumSizeHint() const { return sizeHint(); }

void PremiumChip::paintEvent(QPaintEvent*) {
    const auto colors = premiumChipColors(style_);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    fillAndStroke(painter, capsulePath(strokeFittingRect(QRectF(rect()))), colors.fill, colors.border);

    qreal x = horizontalPadding;
    const qreal middle = height() / 2.0;
    if (icon_) {
        paintLucideIcon(painter, QRectF(x, middle - iconSize / 2, iconSize, iconSize), *icon_, colors.foreground);
        x += iconSize + spacing;
    }
    painter.setFont(font());
    painter.setPen(colors.foreground);
    const QRectF text(x, 0, width() - horizontalPadding - x, height());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QFontMetricsF(font()).elidedText(title_, Qt::ElideRight, text.width()));
}

}  // namespace quaylight
