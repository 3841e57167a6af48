#pragma once
// A tray item for tests: press() emits as a click would; the geometry and availability are
// set freely.

#include <optional>

#include <QRect>

#include "Quaylight/shell/tray/TrayItem.h"

namespace quaylight {

class FakeTrayItem final : public TrayItem {
    Q_OBJECT

public:
    using TrayItem::TrayItem;

    void show() override;
    void hide() override;
    std::optional<QRect> iconGeometry() const override;
    bool isTrayAvailable() const override;
    void press();

    bool shown = false;
    bool available = true;
    std::optional<QRect> geometry = QRect(1000, 0, 22, 22);
};

}  // namespace quaylight
