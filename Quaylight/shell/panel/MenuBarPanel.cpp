#include "Quaylight/shell/panel/MenuBarPanel.h"

#include <algorithm>

#include <QKeyEvent>
#include <QPainterPath>
#include <QRegion>
#include <QVBoxLayout>

#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/shell/x11/X11Connection.h"

#include <xcb/xproto.h>

namespace quaylight {

namespace {

// Translucent corners need a compositing manager; without one they would show black.
bool desktopComposites() {
    auto x = X11Connection::application();
    if (!x) return true;  // Wayland always composites; offscreen does not care
    return x->selectionOwner("_NET_WM_CM_S0") != 0;
}

}  // namespace

MenuBarPanel::MenuBarPanel(QSize size)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Quaylight"));
    setAccessibleName(QStringLiteral("Quaylight"));
    setFixedSize(size);
    // A press on the tray icon that closed the panel must not reach the icon again.
    setAttribute(Qt::WA_NoMouseReplay);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    translucent_ = desktopComposites();
    if (translucent_) setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void MenuBarPanel::setRootView(QWidget* rootView) {
    if (rootView_ == rootView) return;
    retireWidget(rootView_);
    rootView_ = rootView;
    if (rootView_) layout()->addWidget(rootView_);
}

void MenuBarPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (dismissAction) dismissAction();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MenuBarPanel::paintEvent(QPaintEvent*) {}

void MenuBarPanel::showEvent(QShowEvent* event) {
    applyShape();
    joinEveryDesktopOutsideTaskbars();
    QWidget::showEvent(event);
}

void MenuBarPanel::joinEveryDesktopOutsideTaskbars() {
    auto x = X11Connection::application();
    if (!x) return;
    // Written while the window is still unmapped (Qt maps it after this event): the window
    // manager reads both when it takes the window on, and removes them again when it is
    // withdrawn, so every showing writes them anew. Qt keeps these states when it adds its own.
    const auto window = static_cast<std::uint32_t>(winId());
    const auto stateProperty = x->atom("_NET_WM_STATE");
    auto states = x->atomProperty(window, stateProperty);
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_STICKY"}) {
        const auto state = x->atom(name);
        if (std::find(states.begin(), states.end(), state) == states.end()) states.push_back(state);
    }
    x->setProperty(window, stateProperty, XCB_ATOM_ATOM, states);
    constexpr std::uint32_t everyDesktop = 0xFFFFFFFF;
    x->setProperty(window, x->atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, {everyDesktop});
}

void MenuBarPanel::applyShape() {
    if (translucent_) return;
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

}  // namespace quaylight
