#pragma once
// The panel under the tray icon: one frameless tool window, made once and shown and hidden
// again and again. It opens without a window manager's help, closes on a press elsewhere
// (outside the panel and the icon), on Escape, on a second click of the icon or on request,
// and leaves the fading to its owner through `onDismissRequested`.
//
// Every show and every dismissal request moves the presentation generation on; the
// completion of a dismissal that is no longer the latest (the panel was shown again, or a
// newer dismissal superseded it) does nothing, so a slow fade-out never hides a panel that
// came back, and `onDidClose` is reported once per showing.
//
// States: hidden (not presented, not visible) -> shown (presented, visible; onDidShow when
// it was hidden) -> closing (not presented, still visible while the owner fades it) ->
// hidden (onDidClose once). A show while closing goes straight back to shown.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QEasingCurve>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

#include "Quaylight/shell/panel/OutsideClickMonitor.h"

class QKeyEvent;
class QVariantAnimation;
class QWidget;

namespace quaylight {

class MenuBarPanel;

class MenuBarPanelController : public QObject {
    Q_OBJECT

public:
    enum class DismissalMode { animated, immediate };

    struct Dependencies {
        // Presses anywhere on the desktop; XInput2 raw presses by default.
        std::unique_ptr<OutsideClickMonitor> outsideClicks;
        // The pointer's position when a press is reported; QCursor::pos() by default.
        std::function<QPoint()> cursorPosition;
        // The work area of the screen an anchor lies on (else the primary screen's); none
        // without screens.
        std::function<std::optional<QRect>(const QRect& anchor)> workAreaFor;
    };

    MenuBarPanelController(QSize contentSize, QWidget* rootView, Dependencies dependencies = {},
                           QObject* parent = nullptr);
    ~MenuBarPanelController() override;

    // Places the panel under `anchor` (the icon, or a stand-in from PanelPlacement) and
    // presents it; false when it was presented already.
    // `iconArea`: where a press counts as one on the icon (the anchor when not given).
    bool show(const QRect& anchor, std::optional<QRect> iconArea = std::nullopt);
    // Not presented any more, no outside presses, an animated dismissal requested.
    void close();
    // What Escape does.
    void dismissImmediately();

    bool isPresented() const { return isPresented_; }
    bool isVisible() const;
    QWidget* panel() const;
    QSize contentSize() const { return contentSize_; }
    std::uint64_t presentationGeneration() const { return presentationGeneration_; }

    // Puts `rootView` in the panel in place of the current one (which is deleted).
    void setRootView(QWidget* rootView);

    // One fade of the panel's opacity; replaces a running one. `completion` runs when the
    // fade ends, and also when a newer fade replaces it.
    void animateOpacity(double target, int durationMs, const QEasingCurve& curve,
                        std::function<void()> completion = nullptr);

    std::function<void()> onDidShow;
    std::function<void()> onDidClose;
    std::function<void(DismissalMode, std::function<void()> completion)> onDismissRequested;
    // The global shortcut arrives as an ordinary key press while the panel has the keyboard.
    std::function<bool(const QKeyEvent&)> matchesGlobalShortcut;
    std::function<void()> onGlobalShortcut;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void requestDismissal(DismissalMode mode);
    void finishDismissal(std::uint64_t generation);
    void handlePress(const QRect& excluded);
    void finishFade();

    QSize contentSize_;
    MenuBarPanel* panel_;
    Dependencies dependencies_;
    bool isPresented_ = false;
    bool didPublishClose_ = true;
    std::uint64_t presentationGeneration_ = 0;
    QVariantAnimation* fade_;
    std::function<void()> fadeCompletion_;
};

}  // namespace quaylight
