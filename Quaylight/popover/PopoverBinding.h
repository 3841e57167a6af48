#pragma once
// Joins the popover to the application: reads the view model, the reveal state, the
// connection store's notice and the first-run flags into PopoverInputs, hands every change
// to the root view (at most once per turn of the event loop, however many signals a scan
// frame raises), and carries the root's commands back to their owners.

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "Quaylight/popover/PopoverRootView.h"
#include "QuaylightKit/platform/UserDefaults.h"

namespace quaylight {

class AgentProviderConnectionStore;
class PopoverRevealState;
class QuaylightViewModel;
class SettingsFileUserDefaults;

class PopoverBinding : public QObject {
    Q_OBJECT
public:
    struct Dependencies {
        QuaylightViewModel* viewModel = nullptr;
        PopoverRevealState* revealState = nullptr;              // none: always revealed
        AgentProviderConnectionStore* connections = nullptr;   // none: no connection notice
        std::shared_ptr<UserDefaults> defaults;
        SettingsFileUserDefaults* settingsFile = nullptr;      // none: no settings-file notice
        std::function<WallTime()> now;
        // Opens an address in the browser; the desktop's handler when unset.
        std::function<bool(const std::string&)> openURL;
        std::function<void()> dismissPanel;
        std::function<void()> quit;
        std::function<void()> onOnboardingGateChanged;
        // The settings popout and the first-run pages; a page left unset stays empty.
        PopoverPages pages;
    };

    // Makes the root view with the binding that drives it. The caller owns the root (the
    // panel takes it as its content); the root owns the binding.
    static PopoverRootView* makeRoot(Dependencies dependencies);
    ~PopoverBinding() override;

    // The view this binding drives, and its owner.
    PopoverRootView* root() const { return root_; }
    // Applies the current state now instead of on the next turn of the event loop.
    void applyNow();
    PopoverInputs currentInputs() const;

private:
    explicit PopoverBinding(Dependencies dependencies);
    void schedule();
    PopoverCommands commands();

    Dependencies dependencies_;
    PopoverRootView* root_ = nullptr;
    bool scheduled_ = false;
    std::uint64_t connectionObserver_ = 0;
    std::uint64_t settingsFileObserver_ = 0;
};

}  // namespace quaylight
