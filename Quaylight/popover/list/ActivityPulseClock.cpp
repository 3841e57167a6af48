#include "Quaylight/popover/list/ActivityPulseClock.h"

#include <QEasingCurve>
#include <algorithm>
#include <cmath>

namespace quaylight {

ActivityPulseClock::ActivityPulseClock(QObject* parent) : QObject(parent) {
    timer_.setInterval(periodMs / phaseSteps);
    connect(&timer_, &QTimer::timeout, this, &ActivityPulseClock::tick);
}

qreal ActivityPulseClock::steppedPhase(qreal progress) {
    const qreal eased = QEasingCurve(QEasingCurve::InOutSine).valueForProgress(progress);
    return std::round(eased * phaseSteps) / phaseSteps;
}

void ActivityPulseClock::subscribe(QWidget* light) {
    if (std::find(lights_.begin(), lights_.end(), light) != lights_.end()) return;
    lights_.emplace_back(light);
    if (isRunning()) return;
    since_.start();
    timer_.start();
}

void ActivityPulseClock::unsubscribe(QWidget* light) {
    lights_.erase(std::remove_if(lights_.begin(), lights_.end(),
                                 [light](const QPointer<QWidget>& l) { return l.isNull() || l == light; }),
                  lights_.end());
    if (lights_.empty()) {
        timer_.stop();
        phase_ = 0;
    }
}

void ActivityPulseClock::tick() {
    // Out and back in one loop: 0 -> 1 -> 0.
    const qint64 inLoop = since_.elapsed() % (2 * periodMs);
    const qreal oneWay = qreal(inLoop < periodMs ? inLoop : 2 * periodMs - inLoop) / periodMs;
    const qreal phase = steppedPhase(oneWay);
    if (phase == phase_) return;
    phase_ = phase;
    for (const auto& light : lights_)
        if (light) light->update();
}

}  // namespace quaylight
