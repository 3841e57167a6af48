#pragma once
// How far the popover's content has come in: the content animates in after the panel is
// on screen and out before it leaves. The popover reads `progress()` (0 concealed, 1
// revealed) and repaints on `progressChanged`. Durations follow the reduce-motion setting
// read at each call.

#include <functional>
#include <memory>

#include <QEasingCurve>
#include <QPointF>
#include <QObject>

class QVariantAnimation;

namespace quaylight {

class ReduceMotionProvider;

class PopoverRevealState : public QObject {
    Q_OBJECT

public:
    explicit PopoverRevealState(std::shared_ptr<const ReduceMotionProvider> reduceMotion = nullptr,
                                QObject* parent = nullptr);
    ~PopoverRevealState() override;

    bool isRevealed() const { return revealed_; }
    double progress() const { return progress_; }

    // Concealed at once, without animation (before a hidden panel is shown, and for an
    // immediate dismissal). A running conceal's completion still runs.
    void prepare();
    // Revealed with an animation: ease-out over 0.12 s with reduce motion, else the
    // (0.23, 1.0, 0.32, 1.0) curve over 0.24 s.
    void reveal();
    // Concealed with an animation (0.12 s ease-out with reduce motion, else 0.15 s ease-in);
    // `completion` runs when it ends, at once when already concealed, and also when a reveal
    // or prepare interrupts it, so a waiting dismissal is never left hanging.
    void conceal(std::function<void()> completion);

    // The animation timing of a reveal and a conceal, for the panel's own fades.
    static int revealDurationMs(bool reduceMotion) { return reduceMotion ? 120 : 240; }
    static int concealDurationMs(bool reduceMotion) { return reduceMotion ? 120 : 150; }
    static QEasingCurve revealCurve(bool reduceMotion);
    static QEasingCurve concealCurve(bool reduceMotion);

signals:
    void revealedChanged();
    void progressChanged();

private:
    bool reduceMotion() const;
    void animateTo(double target, int durationMs, const QEasingCurve& curve);
    void setProgress(double value);
    void finishConceal();

    std::shared_ptr<const ReduceMotionProvider> reduceMotion_;
    bool revealed_ = false;
    double progress_ = 0.0;
    QVariantAnimation* animation_;
    std::function<void()> concealCompletion_;
};

}  // namespace quaylight
