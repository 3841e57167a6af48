#include "Quaylight/design/controls/PremiumMenu.h"

#include <QAccessible>
#include <QEnterEvent>
#include <QPainter>
#include <cmath>

#include "Quaylight/design/controls/DesignAccessibility.h"
#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {

namespace {

constexpr qreal rowHeight = 34;
constexpr qreal horizontalPadding = 10;
constexpr qreal spacing = 10;
constexpr qreal rowIconSize = 14;
constexpr qreal iconFrameWidth = 15;
constexpr qreal checkSize = 13;
constexpr qreal minimumGap = 8;
constexpr qreal cornerRadius = 9;

QFont titleFont() { return PremiumTheme::display(13, PremiumFontWeight::regular); }
QFont trailingFont() { return PremiumTheme::mono(10.5, QFont::Normal); }

}  // namespace

PremiumMenuButtonColors premiumMenuButtonColors(const PremiumMenuButtonFields& fields, bool isHovering) {
    using namespace PremiumTheme;
    PremiumMenuButtonColors colors;
    if (fields.isHighlighted) {
        colors.title = white();
        colors.icon = white();
    } else if (fields.isDestructive) {
        colors.title = menuDanger();
        colors.icon = withOpacity(menuDanger(), 0.62);
    } else {
        colors.title = white(0.93);
        colors.icon = withOpacity(white(0.93), 0.62);
    }
    colors.trailing = fields.isHighlighted ? white() : textSecondary();
    colors.background = fields.isHighlighted ? accent() : isHovering ? popupHover() : QColor(Qt::transparent);
    return colors;
}

PremiumMenuButton::PremiumMenuButton(PremiumMenuButtonFields fields, QWidget* parent)
    : QAbstractButton(parent), fields_(std::move(fields)) {
    ensureDesignAccessibility();
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setText(fields_.title);
}

void PremiumMenuButton::setFields(PremiumMenuButtonFields fields) {
    const bool highlighted = fields.isHighlighted;
    fields.isHighlighted = fields_.isHighlighted;
    fields_ = std::move(fields);
    setText(fields_.title);
    updateGeometry();
    setHighlighted(highlighted);
    update();
}

void PremiumMenuButton::setHighlighted(bool highlighted) {
    if (highlighted == fields_.isHighlighted) return;
    fields_.isHighlighted = highlighted;
    update();
    QAccessible::State changed;
    changed.focused = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
    if (highlighted) announceKeyboardItem(this);
}

qreal PremiumMenuButton::trailingWidth() const {
    if (fields_.trailing) return QFontMetricsF(trailingFont()).horizontalAdvance(*fields_.trailing);
    return fields_.isCurrentChoice ? checkSize : 0;
}

PremiumMenuButton::Layout PremiumMenuButton::rowLayout() const {
    Layout layout;
    qreal x = horizontalPadding;
    if (fields_.icon) {
        layout.icon = QRectF(x, (height() - rowIconSize) / 2, iconFrameWidth, rowIconSize);
        x += iconFrameWidth + spacing;
    }
    const qreal trailing = trailingWidth();
    const qreal right = width() - horizontalPadding;
    // The flexible space between title and trailing item keeps at least its minimum width.
    const qreal titleRight = trailing > 0 ? right - trailing - spacing - minimumGap - spacing : right - spacing - minimumGap;
    const qreal titleWidth = std::min(QFontMetricsF(titleFont()).horizontalAdvance(fields_.title), titleRight - x);
    layout.title = QRectF(x, 0, std::max(0.0, titleWidth), height());
    if (trailing > 0) {
        const qreal trailingHeight = fields_.trailing ? qreal(height()) : checkSize;
        layout.trailing = QRectF(right - trailing, (height() - trailingHeight) / 2, trailing, trailingHeight);
    }
    return layout;
}

QSize PremiumMenuButton::sizeHint() const {
    qreal width = horizontalPadding + QFontMetricsF(titleFont()).horizontalAdvance(fields_.title) + spacing +
                  minimumGap + horizontalPadding;
    if (fields_.icon) width += iconFrameWidth + spacing;
    if (const qreal trailing = trailingWidth(); trailing > 0) width += spacing + trailing;
    return {int(std::ceil(width)), int(rowHeight)};
}

QSize PremiumMenuButton::minimumSizeHint() const { return {0, int(rowHeight)}; }

void PremiumMenuButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    setHovering(true);
}

void PremiumMenuButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    setHovering(false);
}

void PremiumMenuButton::setHovering(bool hovering) {
    if (hovering == isHovering_) return;
    isHovering_ = hovering;
    update();
    emit hoverChanged(hovering);
}

void PremiumMenuButton::paintEvent(QPaintEvent*) {
    const auto colors = premiumMenuButtonColors(fields_, isHovering_);
    const auto layout = rowLayout();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    fillAndStroke(painter, roundedRectPath(QRectF(rect()), cornerRadius), colors.background, Qt::transparent);
    if (layout.icon) paintLucideIcon(painter, *layout.icon, *fields_.icon, colors.icon);

    painter.setFont(titleFont());
    painter.setPen(colors.title);
    painter.drawText(layout.title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QFontMetricsF(titleFont()).elidedText(fields_.title, Qt::ElideRight, layout.title.width()));
    if (!layout.trailing) return;
    if (fields_.trailing) {
        painter.setFont(trailingFont());
        painter.setPen(colors.trailing);
        painter.drawText(*layout.trailing, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, *fields_.trailing);
    } else {
        paintLucideIcon(painter, *layout.trailing, LucideIconName::check, colors.trailing);
    }
}

PremiumMenuDivider::PremiumMenuDivider(QWidget* parent) : QWidget(parent) {
    setFixedHeight(11);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PremiumMenuDivider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRectF(0, 5, width(), 1), white(0.1));
}

}  // namespace quaylight
