#pragma once
// The application's push button: four kinds, fixed measures, a press that shrinks and dims.

#include <QAbstractButton>
#include <QVariantAnimation>

#include "Quaylight/design/controls/Shadow.h"

namespace quaylight {

enum class PremiumButtonKind { primary, secondary, destructive, ghost };

struct PremiumButtonStyle {
    PremiumButtonKind kind = PremiumButtonKind::primary;
    qreal height = 34;
    qreal cornerRadius = 10;
    qreal horizontalPadding = 15;
    bool expandsHorizontally = false;
};

// How a button looks at one moment: `pressed` runs from 0 (up) to 1 (held down).
struct PremiumButtonAppearance {
    qreal scale = 1;
    qreal opacity = 1;
    ShadowStyle shadow;
};

// The kind's label colour, fill and border.
struct PremiumButtonColors {
    QColor label;
    QColor fill;
    QColor border;
};
PremiumButtonColors premiumButtonColors(PremiumButtonKind kind);

PremiumButtonAppearance premiumButtonAppearance(PremiumButtonKind kind, bool enabled, qreal pressed);

class PremiumButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PremiumButton(const QString& title, PremiumButtonStyle style = {}, QWidget* parent = nullptr);

    const PremiumButtonStyle& buttonStyle() const { return style_; }
    void setButtonStyle(const PremiumButtonStyle& style);

    // The look now, part-way through a press animation included.
    PremiumButtonAppearance appearance() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void followPressedState();
    void setPressedProgress(qreal progress);

    PremiumButtonStyle style_;
    qreal pressedProgress_ = 0;
    bool shownDown_ = false;
    QVariantAnimation pressAnimation_;
};

}  // namespace quaylight
