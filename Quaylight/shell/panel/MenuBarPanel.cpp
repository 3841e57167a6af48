#include "Quaylight/shell/panel/MenuBarPanel.h"

#include <QKeyEvent>
#include <QPainterPath>
#include <QRegion>
#include <QVBoxLayout>

#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/shell/x11/X11Connection.h"

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
    QWidget::showEvent(event);
}

void MenuBarPanel::applyShape() {
    if (translucent_) return;
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

}  // namespace quaylight
