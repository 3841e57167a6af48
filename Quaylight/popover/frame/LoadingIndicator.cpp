#include "Quaylight/popover/frame/LoadingIndicator.h"

#include <QPainter>

#include "Quaylight/design/platform/ReduceMotion.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {

LoadingIndicator::LoadingIndicator(QWidget* parent) : QWidget(parent) {
    setFixedSize(22, 22);
    setAccessibleName(QStringLiteral("Loading"));
    turn_.setStartValue(0.0);
    turn_.setEndValue(360.0);
    turn_.setDuration(900);
    turn_.setLoopCount(-1);
    connect(&turn_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        angle_ = value.toReal();
        update();
    });
}

void LoadingIndicator::showEvent(QShowEvent*) {
    if (!reduceMotionFor(this)) turn_.start();
}

void LoadingIndicator::hideEvent(QHideEvent*) { turn_.stop(); }

void LoadingIndicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(2, 2, -2, -2);
    p.setPen(QPen(PremiumTheme::hairline(), 2));
    p.drawEllipse(box);
    p.setPen(QPen(PremiumTheme::textSecondary(), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(box, static_cast<int>(-angle_ * 16), 100 * 16);
}

}  // namespace quaylight
