#include "Quaylight/popover/list/ActivityPulseClock.h"

#include <QEasingCurve>
#include <algorithm>
#include <cmath>

namespace quaylight {

ActivityPulseClock::ActivityPulseClock(QObject* parent) : QObject(parent) {
    // Out and back in one loop: 0 -> 1 -> 0.
    animation_.setStartValue(0.0);
    animation_.setKeyValueAt(0.5, 1.0);
    animation_.setEndValue(0.0);
    animation_.setDuration(2 * periodMs);
    animation_.setLoopCount(-1);
    connect(&animation_, &QVariantAnimation::valueChanged, this, &ActivityPulseClock::tick);
}

void ActivityPulseClock::subscribe(QWidget* light) {
    if (std::find(lights_.begin(), lights_.end(), light) != lights_.end()) return;
    lights_.emplace_back(light);
    if (!isRunning()) animation_.start();
}

void ActivityPulseClock::unsubscribe(QWidget* light) {
    lights_.erase(std::remove_if(lights_.begin(), lights_.end(),
                                 [light](const QPointer<QWidget>& l) { return l.isNull() || l == light; }),
                  lights_.end());
    if (lights_.empty()) {
        animation_.stop();
        phase_ = 0;
        painted_ = false;
    }
}

qreal ActivityPulseClock::steppedPhase(qreal progress) {
    const qreal eased = QEasingCurve(QEasingCurve::InOutSine).valueForProgress(progress);
    return std::round(eased * phaseSteps) / phaseSteps;
}

void ActivityPulseClock::tick(const QVariant& value) {
    const qreal phase = steppedPhase(value.toReal());
    if (painted_ && phase == phase_) return;
    painted_ = true;
    phase_ = phase;
    for (const auto& light : lights_)
        if (light) light->update();
}

}  // namespace quaylight
