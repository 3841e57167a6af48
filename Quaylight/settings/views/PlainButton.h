#pragma once
// A button drawn by its caller's measures rather than a button kind: an optional icon and
// a text in one colour, padded, on an optional rounded fill and stroke. Plain text buttons
// ("Skip", "Reset") have neither fill nor stroke.

#include <QAbstractButton>
#include <optional>

#include "Quaylight/design/icons/LucideIconName.h"

namespace quaylight::settings {

struct PlainButtonLook {
    QFont font;
    QColor color;
    std::optional<LucideIconName> icon;
    bool iconTrailing = false;
    qreal iconSize = 14;
    qreal spacing = 7;
    qreal horizontalPadding = 0;
    qreal verticalPadding = 0;
    qreal cornerRadius = 0;
    QColor fill = Qt::transparent;
    QColor stroke = Qt::transparent;
    qreal minimumWidth = 0;
    qreal minimumHeight = 0;
    qreal disabledOpacity = 0.45;
};

class PlainButton : public QAbstractButton {
    Q_OBJECT
public:
    PlainButton(const QString& title, PlainButtonLook look, QWidget* parent = nullptr);

    const PlainButtonLook& look() const { return look_; }
    void setLook(PlainButtonLook look);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PlainButtonLook look_;
};

}  // namespace quaylight::settings
