#pragma once
// Catches any top-level window, other than the panel's own, that the application creates or
// shows while the panel is used. On a desktop with a window manager such a window (a widget
// shown before it has a parent) gets a frame and the keyboard focus, and the panel's keys
// go dead.

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QSet>
#include <QStringList>
#include <QWidget>
#include <QWindow>

namespace quaylight::testsupport {

class StrayWindowWatch final : public QObject {
public:
    // `panel`: the one window that may show. Windows that exist already are not counted.
    explicit StrayWindowWatch(QWidget* panel) : panel_(panel) {
        for (QWindow* window : QGuiApplication::topLevelWindows()) before_.insert(window);
        qApp->installEventFilter(this);
    }
    ~StrayWindowWatch() override { qApp->removeEventFilter(this); }

    // Every stray window seen so far: shown ones by class and object name, and top-level
    // windows made since the watch began.
    QStringList strays() const {
        QStringList found = shown_;
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (before_.contains(window) || (panel_->windowHandle() == window)) continue;
            found << QStringLiteral("window %1 (%2)").arg(window->objectName(), window->title());
        }
        return found;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow() && widget != panel_)
                shown_ << QStringLiteral("%1 '%2'").arg(QString::fromLatin1(widget->metaObject()->className()),
                                                       widget->objectName());
        }
        return false;
    }

private:
    QWidget* panel_;
    QSet<QWindow*> before_;
    QStringList shown_;
};

}  // namespace quaylight::testsupport
