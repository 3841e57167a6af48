#include "Quaylight/shell/panel/MenuBarPanelController.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVariantAnimation>
#include <QWidget>

#include "Quaylight/shell/panel/MenuBarPanel.h"
#include "Quaylight/shell/panel/OutsideClickMonitor.h"
#include "Quaylight/shell/panel/PanelEditingCommand.h"
#include "Quaylight/shell/panel/PanelPlacement.h"

namespace quaylight {

namespace {

std::optional<QRect> liveWorkArea(const QRect& anchor) {
    QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) {
        const auto screens = QGuiApplication::screens();
        if (screens.isEmpty()) return std::nullopt;
        screen = screens.front();
    }
    return screen->availableGeometry();
}

}  // namespace

MenuBarPanelController::MenuBarPanelController(QSize contentSize, QWidget* rootView, Dependencies dependencies,
                                               QObject* parent)
    : QObject(parent),
      contentSize_(contentSize),
      panel_(new MenuBarPanel(contentSize)),
      dependencies_(std::move(dependencies)),
      fade_(new QVariantAnimation(this)) {
    if (!dependencies_.outsideClicks) dependencies_.outsideClicks = OutsideClickMonitor::live(panel_);
    if (!dependencies_.cursorPosition) dependencies_.cursorPosition = [] { return QCursor::pos(); };
    if (!dependencies_.workAreaFor) dependencies_.workAreaFor = liveWorkArea;
    panel_->setRootView(rootView);
    panel_->dismissAction = [self = QPointer<MenuBarPanelController>(this)] {
        if (self) self->dismissImmediately();
    };
    connect(fade_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { panel_->setWindowOpacity(value.toDouble()); });
    connect(fade_, &QVariantAnimation::finished, this, &MenuBarPanelController::finishFade);
    qApp->installEventFilter(this);
}

MenuBarPanelController::~MenuBarPanelController() {
    if (qApp) qApp->removeEventFilter(this);
    dependencies_.outsideClicks->stop();
    delete panel_;
}

QWidget* MenuBarPanelController::panel() const { return panel_; }

bool MenuBarPanelController::isVisible() const { return panel_->isVisible(); }

void MenuBarPanelController::setRootView(QWidget* rootView) { panel_->setRootView(rootView); }

bool MenuBarPanelController::show(const QRect& anchor, std::optional<QRect> iconArea) {
    if (isPresented_) return false;
    const bool wasVisible = panel_->isVisible();
    ++presentationGeneration_;

    const QRect frame = PanelPlacement::place(anchor, dependencies_.workAreaFor(anchor), contentSize_);
    panel_->setGeometry(frame);

    isPresented_ = true;
    dependencies_.outsideClicks->start([this, excluded = iconArea.value_or(anchor)] { handlePress(excluded); });

    if (!wasVisible) {
        didPublishClose_ = false;
        panel_->setWindowOpacity(0.0);
        panel_->show();
        panel_->raise();
        // Without a window manager nobody else gives the panel the keyboard (Escape).
        panel_->activateWindow();
        // Opened again right after closing, the X server's focus-out may not have reached Qt
        // yet: Qt still counts the panel as its focus window and never activates it again,
        // and no widget would get the keys.
        if (QGuiApplication::focusWindow() == panel_->windowHandle() && !panel_->isActiveWindow())
            QApplication::setActiveWindow(panel_);
        if (onDidShow) onDidShow();
    } else {
        panel_->activateWindow();
    }
    return true;
}

void MenuBarPanelController::handlePress(const QRect& excluded) {
    const QPoint at = dependencies_.cursorPosition();
    // A press on the icon toggles through the icon itself; one inside the panel is the user's.
    if (excluded.contains(at) || panel_->frameGeometry().contains(at)) return;
    if (isPresented_) close();
}

void MenuBarPanelController::close() {
    isPresented_ = false;
    dependencies_.outsideClicks->stop();
    requestDismissal(DismissalMode::animated);
}

void MenuBarPanelController::dismissImmediately() {
    if (isPresented_) {
        isPresented_ = false;
        dependencies_.outsideClicks->stop();
        requestDismissal(DismissalMode::immediate);
    } else if (panel_->isVisible()) {
        // An animated dismissal is running: this one supersedes it.
        dependencies_.outsideClicks->stop();
        requestDismissal(DismissalMode::immediate);
    }
}

void MenuBarPanelController::requestDismissal(DismissalMode mode) {
    const std::uint64_t generation = ++presentationGeneration_;
    if (onDismissRequested) {
        onDismissRequested(mode, [self = QPointer<MenuBarPanelController>(this), generation] {
            if (self) self->finishDismissal(generation);
        });
    } else {
        finishDismissal(generation);
    }
}

void MenuBarPanelController::finishDismissal(std::uint64_t generation) {
    if (generation != presentationGeneration_ || isPresented_) return;
    panel_->hide();
    if (!didPublishClose_) {
        didPublishClose_ = true;
        if (onDidClose) onDidClose();
    }
}

void MenuBarPanelController::animateOpacity(double target, int durationMs, const QEasingCurve& curve,
                                            std::function<void()> completion) {
    fade_->stop();
    finishFade();
    fadeCompletion_ = std::move(completion);
    fade_->setStartValue(panel_->windowOpacity());
    fade_->setEndValue(target);
    fade_->setDuration(durationMs);
    fade_->setEasingCurve(curve);
    fade_->start();
}

void MenuBarPanelController::finishFade() {
    if (!fadeCompletion_) return;
    auto completion = std::move(fadeCompletion_);
    fadeCompletion_ = nullptr;
    completion();
}

bool MenuBarPanelController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != panel_) return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    // Consumed (and accepted, so it travels no further up the widgets) once handled here.
    if (matchesGlobalShortcut && matchesGlobalShortcut(key)) {
        event->accept();
        if (onGlobalShortcut) onGlobalShortcut();
        return true;
    }
    if (PanelEditingCommand::perform(key, QApplication::focusWidget())) {
        event->accept();
        return true;
    }
    return false;
}

}  // namespace quaylight
