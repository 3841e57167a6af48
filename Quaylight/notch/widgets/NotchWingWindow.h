#pragma once
// A wing's window: a frameless top-level tool window on top of everything, outside the
// window manager's care (on every desktop, no shadow, no animation), never focused and
// transparent for input, so that a click reaches whatever lies below. It paints its model
// and repaints only while one of its animations runs: a short one while a fade, slide,
// roll or completion moves, and one looping time line while the wave runs.

#include <QTimeLine>
#include <QVariantAnimation>
#include <QWidget>
#include <functional>

#include "Quaylight/notch/model/NotchScheduler.h"
#include "Quaylight/notch/wing/NotchWingModel.h"
#include "Quaylight/notch/wing/NotchWingSurface.h"

namespace quaylight {

class NotchWingWindow final : public QWidget, public NotchWingSurface {
    Q_OBJECT
public:
    struct Setup {
        NotchIslandWingSide side = NotchIslandWingSide::left;
        // A compositor blends translucent windows; without one the tab is masked and opaque.
        bool hasCompositor = true;
        // The Qt y of the primary screen's bottom edge, where upward frames start.
        std::function<double()> primaryBottom;
    };

    NotchWingWindow(NotchScheduler& scheduler, Setup setup);

    // The model this window shows; set once, before the first present.
    void attach(const NotchWingModel* model) { model_ = model; }

    void placeAt(const ScreenRect& frame) override;
    void orderFront() override;
    void orderOut() override;
    void setAccessibilityLabel(const std::string& label) override;
    void motionChanged() override;

    bool isTransientRunning() const { return transient_.state() == QAbstractAnimation::Running; }
    bool isWaveRunning() const { return wave_.state() == QTimeLine::Running; }
    int paintCount() const { return paintCount_; }
    bool hasCompositor() const { return setup_.hasCompositor; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refreshAnimations();
    QRect matrixArea() const;

    NotchScheduler& scheduler_;
    Setup setup_;
    const NotchWingModel* model_ = nullptr;
    QVariantAnimation transient_;
    QTimeLine wave_;
    int paintCount_ = 0;
    static constexpr int waveFrameMilliseconds = 50;
};

// Whether a compositing manager runs on the X server's default screen (it owns the
// _NET_WM_CM_S<n> selection); false without X.
bool x11CompositorRuns();

}  // namespace quaylight
