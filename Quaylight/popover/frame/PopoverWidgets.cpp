#include "Quaylight/popover/frame/PopoverWidgets.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QBoxLayout>
#include <QPainter>
#include <QScrollBar>

#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {

QLabel* makePlainLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

namespace {

class Hairline : public QWidget {
public:
    explicit Hairline(QWidget* parent) : QWidget(parent) {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), PremiumTheme::hairline()); }
};

}  // namespace

QWidget* makeHairline(QWidget* parent) { return new Hairline(parent); }

TextButton* makeQuitButton(std::function<void()> quit, QWidget* parent) {
    auto* button = new TextButton(QStringLiteral("Quit"), PremiumTheme::display(11.5, PremiumFontWeight::medium),
                                  PremiumTheme::info(), parent);
    button->setToolTip(QStringLiteral("Quit Quaylight"));
    QObject::connect(button, &QAbstractButton::clicked, button, [quit = std::move(quit)] {
        if (quit) quit();
    });
    return button;
}

void relayInOrder(QBoxLayout* layout, const std::vector<QWidget*>& widgets) {
    // The items are the layout's to free; the widgets they hold stay.
    while (QLayoutItem* item = layout->takeAt(0)) delete item;
    for (auto* widget : widgets) layout->addWidget(widget);
    layout->addStretch(1);
    // Assistive technologies list a widget's children in the order they were made, not as
    // laid out: raising each in turn puts them in the order they stand on screen.
    for (auto* widget : widgets) widget->raise();
    if (QWidget* parent = layout->parentWidget()) {
        QAccessibleEvent reordered(parent, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reordered);
    }
}

void styleThinScrollBar(QAbstractScrollArea* area) {
    const auto rgba = [](const QColor& c) {
        return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
    };
    area->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: transparent; width: 8px; margin: 2px 2px 2px 0; }"
                       "QScrollBar::handle:vertical { background: %1; border-radius: 3px; min-height: 24px; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
            .arg(rgba(PremiumTheme::chipBorder())));
}

IconButton::IconButton(LucideIconName icon, qreal iconSize, QColor color, QSize frame, const QString& accessibleName,
                       QWidget* parent)
    : QAbstractButton(parent), icon_(icon), iconSize_(iconSize), color_(std::move(color)) {
    setFixedSize(frame);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(accessibleName);
}

void IconButton::setIconColor(const QColor& color) {
    color_ = color;
    update();
}

void IconButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box((width() - iconSize_) / 2, (height() - iconSize_) / 2, iconSize_, iconSize_);
    paintLucideIcon(p, box, icon_, isDown() ? withOpacity(color_, 0.6) : color_);
}

TextButton::TextButton(const QString& title, const QFont& font, QColor color, QWidget* parent)
    : QAbstractButton(parent), color_(std::move(color)) {
    setText(title);
    setFont(font);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(title);
}

QSize TextButton::sizeHint() const {
    const QFontMetrics m(font());
    return {m.horizontalAdvance(text()) + 4, m.height() + 6};
}

void TextButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(isDown() ? withOpacity(color_, 0.6) : color_);
    p.setFont(font());
    p.drawText(rect(), Qt::AlignCenter, text());
}

}  // namespace quaylight
