#pragma once
// The one animation clock behind every row's activity halo: it runs only while some light
// pulses and repaints only those lights on each tick, never their rows.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace quaylight {

class ActivityPulseClock : public QObject {
    Q_OBJECT
public:
    static constexpr int periodMs = 2750;  // one way; the halo then shrinks back
    // A sweep's halo in this many steps (a fifth of a pixel of radius and under 3 % of
    // opacity each, below what the eye tells apart on a 1-pixel ring): the clock ticks once a
    // step, some 9 times a second, and the lights repaint only when the step changes. Each
    // repaint costs the whole window's paint-and-flush round (backing store, X server), so
    // the open panel's cost follows this number.
    static constexpr int phaseSteps = 24;

    explicit ActivityPulseClock(QObject* parent = nullptr);

    void subscribe(QWidget* light);
    void unsubscribe(QWidget* light);
    bool isRunning() const { return timer_.isActive(); }
    int subscriberCount() const { return static_cast<int>(lights_.size()); }
    // 0 (small, visible halo) to 1 (grown, faded), eased in and out.
    qreal phase() const { return phase_; }
    // The eased phase at a sweep's progress (0 to 1, one way), rounded to a step.
    static qreal steppedPhase(qreal progress);

private:
    void tick();

    QTimer timer_;
    QElapsedTimer since_;
    std::vector<QPointer<QWidget>> lights_;
    qreal phase_ = 0;
};

}  // namespace quaylight
