#pragma once
// The application's item in the desktop's tray: the icon, its tooltip "Quaylight", and
// a signal for every press on it. GUI thread only.

#include <memory>
#include <optional>

#include <QObject>
#include <QRect>

namespace quaylight {

class TrayItem : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~TrayItem() override = default;

    // Puts the icon in the tray; when no tray exists yet it docks once one appears.
    virtual void show() = 0;
    virtual void hide() = 0;
    // The icon's rectangle in screen coordinates; none while it is not docked.
    virtual std::optional<QRect> iconGeometry() const = 0;
    // Whether a tray host is there now.
    virtual bool isTrayAvailable() const = 0;

    // A QSystemTrayIcon with the status image.
    static std::unique_ptr<TrayItem> live();

Q_SIGNALS:
    // A click on the icon (a double click's second press too: every press toggles).
    void pressed();
};

// For tests: press() emits as a click would; the geometry and availability are set freely.
class FakeTrayItem final : public TrayItem {
    Q_OBJECT

public:
    using TrayItem::TrayItem;

    void show() override { shown = true; }
    void hide() override { shown = false; }
    std::optional<QRect> iconGeometry() const override { return geometry; }
    bool isTrayAvailable() const override { return available; }
    void press() { Q_EMIT pressed(); }

    bool shown = false;
    bool available = true;
    std::optional<QRect> geometry = QRect(1000, 0, 22, 22);
};

}  // namespace quaylight
