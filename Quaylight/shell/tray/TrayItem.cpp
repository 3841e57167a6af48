#include "Quaylight/shell/tray/TrayItem.h"

#include <QSystemTrayIcon>

#include "Quaylight/design/brand/MenuBarIcon.h"

namespace quaylight {

namespace {

class SystemTrayItem final : public TrayItem {
public:
    SystemTrayItem() : icon_(new QSystemTrayIcon(this)) {
        icon_->setIcon(MenuBarIcon::statusImage());
        icon_->setToolTip(QStringLiteral("Quaylight"));
        connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) Q_EMIT pressed();
        });
    }

    // Qt watches for a tray host and docks the icon when one appears, so showing it
    // without a tray is not lost.
    void show() override { icon_->show(); }
    void hide() override { icon_->hide(); }

    std::optional<QRect> iconGeometry() const override {
        const QRect geometry = icon_->geometry();
        if (!geometry.isValid() || geometry.isEmpty()) return std::nullopt;
        return geometry;
    }

    bool isTrayAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

private:
    QSystemTrayIcon* icon_;
};

}  // namespace

std::unique_ptr<TrayItem> TrayItem::live() { return std::make_unique<SystemTrayItem>(); }

}  // namespace quaylight
