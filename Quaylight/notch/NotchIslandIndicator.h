#pragma once
// The screen-top indicator as the application holds it: the island controller with its two
// wing windows, the screens and the desktop's event sources. The application writes the
// latest presentation, presents it (quietly, while it synchronises), hides it when agent
// activity stops and shuts it down when it quits.

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

#include "Quaylight/notch/controller/NotchIslandController.h"
#include "Quaylight/notch/platform/DesktopEventSources.h"
#include "TidewatchKit/platform/NotchScreens.h"

namespace quaylight {

class NotchWingWindow;
class QtNotchScheduler;
class QtNotchScreens;

class NotchIslandIndicator final : public QObject {
    Q_OBJECT
public:
    // What the indicator runs on; every part has a Linux default.
    struct Dependencies {
        std::shared_ptr<NotchScheduler> scheduler;
        std::shared_ptr<NotchScreens> screens;
        std::function<double()> primaryBottom;  // the Qt y of the primary screen's bottom edge
        std::shared_ptr<SpaceChangeSource> spaces;
        std::shared_ptr<SleepWakeSource> sleepWake;
        std::shared_ptr<AccessibilityOptionsSource> accessibility;
        std::optional<bool> hasCompositor;
        std::function<void(NotchIslandDisposition)> onDispositionChange;
    };

    // The desktop's own sources (X11, D-Bus, the portal, Qt's screens).
    NotchIslandIndicator();
    explicit NotchIslandIndicator(Dependencies dependencies);
    ~NotchIslandIndicator() override;

    const NotchIslandPresentation& latestPresentation() const { return controller_->latestPresentation; }
    void setLatestPresentation(const NotchIslandPresentation& presentation) {
        controller_->latestPresentation = presentation;
    }
    bool isSynchronizingFromApp() const { return controller_->isSynchronizingFromApp; }
    void setSynchronizingFromApp(bool synchronizing) { controller_->isSynchronizingFromApp = synchronizing; }
    NotchIslandDisposition presentLatest(const std::optional<NotchIslandPresentation>& presentationOverride = {});
    void hide();
    void shutDown();

    NotchIslandController& controller() { return *controller_; }
    NotchWingWindow& leftWindow() { return *leftWindow_; }
    NotchWingWindow& rightWindow() { return *rightWindow_; }

private:
    void noteDisposition(NotchIslandDisposition disposition);

    Dependencies dependencies_;
    std::unique_ptr<NotchWingWindow> leftWindow_;
    std::unique_ptr<NotchWingWindow> rightWindow_;
    std::unique_ptr<NotchIslandController> controller_;
    bool fallbackLogged_ = false;
};

}  // namespace quaylight
