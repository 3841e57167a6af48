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

private:
    void tick(const QVariant& value);

    QVariantAnimation animation_;
    std::vector<QPointer<QWidget>> lights_;
    qreal phase_ = 0;
};

}  // namespace quaylight
