#include "Quaylight/shell/panel/PopoverRevealState.h"

#include <QVariantAnimation>

#include "Quaylight/design/platform/ReduceMotion.h"

namespace quaylight {

PopoverRevealState::PopoverRevealState(std::shared_ptr<const ReduceMotionProvider> reduceMotion, QObject* parent)
    : QObject(parent), reduceMotion_(std::move(reduceMotion)), animation_(new QVariantAnimation(this)) {
    connect(animation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setProgress(value.toDouble()); });
    connect(animation_, &QVariantAnimation::finished, this, [this] {
        if (!revealed_) finishConceal();
    });
}

PopoverRevealState::~PopoverRevealState() = default;

QEasingCurve PopoverRevealState::revealCurve(bool reduceMotion) {
    if (reduceMotion) return QEasingCurve(QEasingCurve::OutCubic);
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.23, 1.0), QPointF(0.32, 1.0), QPointF(1.0, 1.0));
    return curve;
}

QEasingCurve PopoverRevealState::concealCurve(bool reduceMotion) {
    return QEasingCurve(reduceMotion ? QEasingCurve::OutCubic : QEasingCurve::InCubic);
}

bool PopoverRevealState::reduceMotion() const { return reduceMotion_ && reduceMotion_->reduceMotion(); }

void PopoverRevealState::prepare() {
    animation_->stop();
    if (revealed_) {
        revealed_ = false;
        emit revealedChanged();
    }
    setProgress(0.0);
    finishConceal();
}

void PopoverRevealState::reveal() {
    const bool reduce = reduceMotion();
    if (!revealed_) {
        revealed_ = true;
        emit revealedChanged();
    }
    finishConceal();
    animateTo(1.0, revealDurationMs(reduce), revealCurve(reduce));
}

void PopoverRevealState::conceal(std::function<void()> completion) {
    if (!revealed_ && animation_->state() != QAbstractAnimation::Running) {
        if (completion) completion();
        return;
    }
    // A newer conceal takes over: the earlier waiter is released now.
    finishConceal();
    concealCompletion_ = std::move(completion);
    if (revealed_) {
        revealed_ = false;
        emit revealedChanged();
    }
    const bool reduce = reduceMotion();
    animateTo(0.0, concealDurationMs(reduce), concealCurve(reduce));
}

void PopoverRevealState::animateTo(double target, int durationMs, const QEasingCurve& curve) {
    animation_->stop();
    animation_->setStartValue(progress_);
    animation_->setEndValue(target);
    animation_->setDuration(durationMs);
    animation_->setEasingCurve(curve);
    animation_->start();
}

void PopoverRevealState::setProgress(double value) {
    if (value == progress_) return;
    progress_ = value;
    emit progressChanged();
}

void PopoverRevealState::finishConceal() {
    if (!concealCompletion_) return;
    auto completion = std::move(concealCompletion_);
    concealCompletion_ = nullptr;
    completion();
}

}  // namespace quaylight
