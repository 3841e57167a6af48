#include "Quaylight/settings/views/PlainButton.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <cmath>
#include <mutex>

#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/icons/LucideIcon.h"

namespace quaylight::settings {

namespace {

// Every accessible action of the button is a click, so that a screen reader's "toggle" of
// a modifier reaches the same handler as the pointer; a checkable one is a check box.
class AccessiblePlainButton final : public QAccessibleWidget {
public:
    explicit AccessiblePlainButton(PlainButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

    // Read each time: a button may become checkable after its interface was made.
    QAccessible::Role role() const override { return button()->isCheckable() ? QAccessible::CheckBox : QAccessible::Button; }

    QStringList actionNames() const override {
        QStringList names{pressAction()};
        if (button()->isCheckable()) names << toggleAction();
        return names + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction() || action == toggleAction()) {
            if (button()->isEnabled()) button()->click();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }
    QAccessible::State state() const override {
        auto state = QAccessibleWidget::state();
        if (button()->isCheckable()) {
            state.checkable = true;
            state.checked = button()->isChecked();
        }
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && button()->accessibleName().isEmpty()) return button()->text();
        return QAccessibleWidget::text(kind);
    }

private:
    PlainButton* button() const { return static_cast<PlainButton*>(widget()); }
};

QAccessibleInterface* plainButtonFactory(const QString&, QObject* object) {
    if (auto* button = qobject_cast<PlainButton*>(object)) return new AccessiblePlainButton(button);
    return nullptr;
}

}  // namespace

PlainButton::PlainButton(const QString& title, PlainButtonLook look, QWidget* parent)
    : QAbstractButton(parent), look_(std::move(look)) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(plainButtonFactory); });
    setText(title);
    setFont(look_.font);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PlainButton::setLook(PlainButtonLook look) {
    look_ = std::move(look);
    setFont(look_.font);
    updateGeometry();
    update();
}

QSize PlainButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    qreal width = text().isEmpty() ? 0 : metrics.horizontalAdvance(text());
    if (look_.icon) width += look_.iconSize + (text().isEmpty() ? 0 : look_.spacing);
    width = std::max(width + 2 * look_.horizontalPadding, look_.minimumWidth);
    qreal height = std::max(metrics.height(), look_.icon ? look_.iconSize : 0.0) + 2 * look_.verticalPadding;
    height = std::max(height, look_.minimumHeight);
    return {int(std::ceil(width)), int(std::ceil(height))};
}

void PlainButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(look_.disabledOpacity);
    else if (isDown()) painter.setOpacity(0.8);
    if (look_.fill.alpha() > 0 || look_.stroke.alpha() > 0)
        fillAndStroke(painter, roundedRectPath(strokeFittingRect(QRectF(rect())), look_.cornerRadius), look_.fill,
                      look_.stroke);
    const QFontMetricsF metrics(font());
    const qreal textWidth = text().isEmpty() ? 0 : metrics.horizontalAdvance(text());
    const qreal iconPart = look_.icon ? look_.iconSize + (text().isEmpty() ? 0 : look_.spacing) : 0;
    qreal x = (width() - textWidth - iconPart) / 2;
    const qreal midY = height() / 2.0;
    auto drawIcon = [&](qreal at) {
        paintLucideIcon(painter, QRectF(at, midY - look_.iconSize / 2, look_.iconSize, look_.iconSize), *look_.icon,
                        look_.color);
    };
    if (look_.icon && !look_.iconTrailing) {
        drawIcon(x);
        x += iconPart;
    }
    painter.setPen(look_.color);
    painter.setFont(font());
    painter.drawText(QRectF(x, 0, textWidth + 1, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    if (look_.icon && look_.iconTrailing) drawIcon(x + textWidth + look_.spacing);
    if (hasFocus()) {
        painter.setOpacity(1);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 255, 255, 60), 1));
        painter.drawPath(roundedRectPath(strokeFittingRect(QRectF(rect())), std::max<qreal>(look_.cornerRadius, 4)));
    }
}

}  // namespace quaylight::settings
