#pragma once
// What a listener row's action menu offers, the block "Copy Details" copies, how tall the
// menu is and where it stands: pure functions, so the menu view only lays out and forwards.

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/support/Time.h"
#include "Quaylight/design/icons/LucideIconName.h"
#include "QuaylightKit/listener/PortListener.h"

namespace quaylight {

struct ListenerActionMenuModel {
    // What an entry does; the view maps each to a callback or a clipboard copy.
    enum class Action { open, copyURL, copyPort, copyDetails, focus, stopPool, kill, forceKill };

    struct Item {
        std::string title;
        LucideIconName icon;
        std::optional<std::string> shortcut;  // a hint at the trailing edge
        bool isDestructive = false;
        bool beginsDestructiveSection = false;  // a divider above
        Action action;
        friend bool operator==(const Item&, const Item&) = default;
    };

    struct Capabilities {
        bool canKill = false;
        bool canForceKill = false;
        bool canStopPool = false;
        bool canFocus = false;
    };

    static constexpr qreal width = 218;
    static constexpr qreal itemHeight = 34;
    static constexpr qreal dividerHeight = 11;
    static constexpr qreal surfacePadding = 12;

    static std::vector<Item> items(const PortListener& listener, Capabilities capabilities);
    static bool showsDestructiveDivider(const std::vector<Item>& items);
    // 34 per item, 11 for the divider, 12 for the surface's padding.
    static qreal heightEstimate(const std::vector<Item>& items);

    // The text an item copies: the URL, the port in decimal, or the details block.
    static std::string copiedText(Action action, const PortListener& listener, WallTime now);
    // Lines joined by "\n", no trailing line feed; each field is made safe to show so that a
    // process or project name cannot add lines of its own.
    static std::string detailsText(const PortListener& listener, WallTime now);

    static std::string accessibleName(const PortListener& listener);

    // The menu's centre in its container: below the row, flipped above it near the bottom,
    // kept inside the container's edges.
    static QPointF position(const QRectF& rowRect, qreal menuHeight, const QSizeF& containerSize);
};

}  // namespace quaylight
