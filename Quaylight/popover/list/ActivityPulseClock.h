#pragma once
// The one animation clock behind every row's activity halo: it runs only while some light
// pulses and repaints only those lights on each tick, never their rows.

#include <QObject>
#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>
#include <vector>

namespace quaylight {

class ActivityPulseClock : public QObject {
    Q_OBJECT
public:
    static constexpr int periodMs = 2750;  // one way; the halo then shrinks back

    explicit ActivityPulseClock(QObject* parent = nullptr);

    void subscribe(QWidget* light);
    void unsubscribe(QWidget* light);
    bool isRunning() const { return animation_.state() == QAbstractAnimation::Running; }
    int subscriberCount() const { return static_cast<int>(lights_.size()); }
    // 0 (small, visible halo) to 1 (grown, faded), eased in and out.
    qreal phase() const { return phase_; }
    // A sweep's halo in this many steps (about a tenth of a pixel of radius each): the lights
    // repaint only when the step changes, some 17 times a second instead of every frame.
    static constexpr int phaseSteps = 48;
    // The eased phase at the animation's progress (0 to 1 and back), rounded to a step.
    static qreal steppedPhase(qreal progress);

private:
    void tick(const QVariant& value);

    QVariantAnimation animation_;
    std::vector<QPointer<QWidget>> lights_;
    qreal phase_ = 0;
    bool painted_ = false;
};

}  // namespace quaylight
