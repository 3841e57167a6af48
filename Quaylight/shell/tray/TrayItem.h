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

}  // namespace quaylight
