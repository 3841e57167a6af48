#include "Quaylight/shell/tray/FakeTrayItem.h"

namespace quaylight {

void FakeTrayItem::show() { shown = true; }

void FakeTrayItem::hide() { shown = false; }

std::optional<QRect> FakeTrayItem::iconGeometry() const { return geometry; }

bool FakeTrayItem::isTrayAvailable() const { return available; }

void FakeTrayItem::press() { Q_EMIT pressed(); }

}  // namespace quaylight
