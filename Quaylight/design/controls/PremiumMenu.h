#pragma once
// The rows of a popup menu: an item with icon, title and a trailing shortcut or check mark,
// and the hairline between sections.

#include <QAbstractButton>
#include <optional>

#include "Quaylight/design/icons/LucideIconName.h"

namespace quaylight {

struct PremiumMenuButtonFields {
    QString title;
    std::optional<LucideIconName> icon;
    std::optional<QString> trailing;  // a shortcut or secondary value at the right
    bool isHighlighted = false;       // the keyboard-selected row
    bool isCurrentChoice = false;     // the chosen value of a choice menu
    bool isDestructive = false;
};

// The colours of a row in its state (hovering only matters for the background).
struct PremiumMenuButtonColors {
    QColor title;
    QColor icon;
    QColor trailing;  // the trailing text and the check mark
    QColor background;
};
PremiumMenuButtonColors premiumMenuButtonColors(const PremiumMenuButtonFields& fields, bool isHovering);

// One row, 34 points high and as wide as offered. Clicking anywhere on it emits clicked();
// hoverChanged() follows the pointer. A trailing text takes the place of the check mark.
class PremiumMenuButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PremiumMenuButton(PremiumMenuButtonFields fields, QWidget* parent = nullptr);

    const PremiumMenuButtonFields& fields() const { return fields_; }
    void setFields(PremiumMenuButtonFields fields);
    void setHighlighted(bool highlighted);
    bool isHovering() const { return isHovering_; }

    // Where the title and the trailing item sit, for the row's current size.
    struct Layout {
        std::optional<QRectF> icon;
        QRectF title;
        std::optional<QRectF> trailing;
    };
    Layout rowLayout() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void hoverChanged(bool isHovering);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setHovering(bool hovering);
    qreal trailingWidth() const;

    PremiumMenuButtonFields fields_;
    bool isHovering_ = false;
};

// A white 0.1 hairline, 1 point high with 5 points above and below, as wide as offered.
class PremiumMenuDivider : public QWidget {
    Q_OBJECT
public:
    explicit PremiumMenuDivider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quaylight
