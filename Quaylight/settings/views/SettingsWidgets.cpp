#include "Quaylight/settings/views/SettingsWidgets.h"

#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/Foreground.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight::settings {
namespace {

// A rounded tile with an icon centred on it.
class IconBadge : public QWidget {
public:
    IconBadge(LucideIconName icon, qreal side, qreal radius, qreal iconSize, QColor fill, QColor iconColor)
        : icon_(icon), radius_(radius), iconSize_(iconSize), fill_(std::move(fill)), iconColor_(std::move(iconColor)) {
        setFixedSize(int(side), int(side));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(roundedRectPath(QRectF(rect()), radius_), fill_);
        const QRectF iconRect((width() - iconSize_) / 2, (height() - iconSize_) / 2, iconSize_, iconSize_);
        paintLucideIcon(painter, iconRect, icon_, iconColor_);
    }

private:
    LucideIconName icon_;
    qreal radius_;
    qreal iconSize_;
    QColor fill_;
    QColor iconColor_;
};

class Hairline : public QWidget {
public:
    Hairline() {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), PremiumTheme::hairline()); }
};

}  // namespace

QLabel* textLabel(const QString& text, const QFont& font, const QColor& color, bool wraps) {
    auto* label = new QLabel(text);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    setForeground(label, color);
    label->setWordWrap(wraps);
    if (wraps) label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    return label;
}

QVBoxLayout* column(QWidget* holder, int spacing) {
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QHBoxLayout* row(QWidget* holder, int spacing) {
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QWidget* iconBadge(LucideIconName icon, qreal side, qreal radius, qreal iconSize, const QColor& fill,
                   const QColor& iconColor) {
    return new IconBadge(icon, side, radius, iconSize, fill, iconColor);
}

QWidget* sectionHeader(LucideIconName icon, const QString& title, const QString& subtitle) {
    auto* header = new QWidget;
    auto* layout = row(header, 10);
    layout->addWidget(iconBadge(icon, 32, 9, 15, withOpacity(PremiumTheme::accent(), 0.1), PremiumTheme::accentSoft()));
    auto* texts = new QWidget;
    auto* stack = column(texts, 2);
    stack->addWidget(textLabel(title, PremiumTheme::display(13, PremiumFontWeight::semibold), PremiumTheme::textPrimary()));
    stack->addWidget(textLabel(subtitle, PremiumTheme::display(10.75, PremiumFontWeight::regular),
                               PremiumTheme::textTertiary(), true));
    layout->addWidget(texts, 1);
    return header;
}

QWidget* controlRow(const QString& title, const QString& subtitle, QWidget* control) {
    auto* holder = new QWidget;
    auto* layout = row(holder, 12);
    layout->setContentsMargins(10, 8, 10, 8);
    auto* texts = new QWidget;
    auto* stack = column(texts, 2);
    stack->addWidget(textLabel(title, PremiumTheme::display(12, PremiumFontWeight::medium), PremiumTheme::textPrimary()));
    auto* sub = textLabel(subtitle, PremiumTheme::display(10.5, PremiumFontWeight::regular), PremiumTheme::textTertiary(),
                          true);
    sub->setObjectName(QStringLiteral("subtitle"));
    stack->addWidget(sub);
    layout->addWidget(texts, 1);
    if (control->accessibleName().isEmpty()) control->setAccessibleName(title);
    layout->addWidget(control, 0, Qt::AlignVCenter);
    return holder;
}

QWidget* cardDivider() { return new Hairline; }

void makeTransparent(QScrollArea* scroll) {
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    scroll->viewport()->setAutoFillBackground(false);
    scroll->viewport()->setStyleSheet(QStringLiteral("background: transparent;"));
    // A slim indicator in the panel's own greys instead of the desktop's scroll bar.
    scroll->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 8px; margin: 4px 1px 4px 0; }"
        "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 46); border-radius: 3px; min-height: 24px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"));
}

}  // namespace quaylight::settings
