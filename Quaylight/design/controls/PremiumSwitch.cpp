#include "Quaylight/design/controls/PremiumSwitch.h"

#include <QEvent>
#include <QPainter>

#include "Quaylight/design/controls/DesignAccessibility.h"
#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/platform/ReduceMotion.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {
namespace {

QColor blend(const QColor& from, const QColor& to, qreal t) {
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t),
                            float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

constexpr qreal knobInset = 2;

}  // namespace

PremiumSwitchColors premiumSwitchColors(qreal progress) {
    using namespace PremiumTheme;
    return {blend(chipFill(), accent(), progress), blend(chipBorder(), withOpacity(accentSoft(), 0.45), progress),
            blend(white(0.78), white(), progress)};
}

PremiumSwitch::PremiumSwitch(const QString& accessibleName, bool on, QWidget* parent)
    : QAbstractButton(parent), progress_(on ? 1.0 : 0.0) {
    ensureDesignAccessibility();
    setCheckable(true);
    setChecked(on);
    setAccessibleName(accessibleName);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    slide_.setDuration(120);
    slide_.setEasingCurve(QEasingCurve::OutCubic);
    connect(&slide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { setProgress(v.toReal()); });
}

QSize PremiumSwitch::sizeHint() const { return {width, height}; }

void PremiumSwitch::checkStateSet() {
    QAbstractButton::checkStateSet();
    followCheckedState();
}

void PremiumSwitch::followCheckedState() {
    const qreal target = isChecked() ? 1.0 : 0.0;
    slide_.stop();
    // Hidden switches (and reduced motion) jump: nobody would see the slide.
    if (!isVisible() || reduceMotionFor(this)) {
        setProgress(target);
        return;
    }
    slide_.setStartValue(progress_);
    slide_.setEndValue(target);
    slide_.start();
}

void PremiumSwitch::setProgress(qreal progress) {
    progress_ = progress;
    update();
}

void PremiumSwitch::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) update();
}

void PremiumSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.42);
    const auto colors = premiumSwitchColors(progress_);
    const QRectF track = strokeFittingRect(QRectF(rect()));
    fillAndStroke(painter, capsulePath(track), colors.track, colors.trackBorder);
    const qreal diameter = track.height() - 2 * knobInset;
    const qreal travel = track.width() - 2 * knobInset - diameter;
    const QRectF knob(track.left() + knobInset + travel * progress_, track.top() + knobInset, diameter, diameter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(black(0.25));
    painter.drawEllipse(knob.translated(0, 0.6));
    painter.setBrush(colors.knob);
    painter.drawEllipse(knob);
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(withOpacity(PremiumTheme::accentSoft(), 0.6), 1));
        painter.drawPath(capsulePath(track.adjusted(-0.0, -0.0, 0, 0)));
    }
}

}  // namespace quaylight
