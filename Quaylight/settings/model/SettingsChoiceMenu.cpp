#include "Quaylight/settings/model/SettingsChoiceMenu.h"

#include <algorithm>

namespace quaylight {

QString SettingsChoiceMenuInfo::anchorID(SettingsChoiceMenu menu) {
    switch (menu) {
        case SettingsChoiceMenu::defaultFilter: return QStringLiteral("settings.default-filter");
        case SettingsChoiceMenu::rowDensity: return QStringLiteral("settings.row-density");
        case SettingsChoiceMenu::batteryMode: return QStringLiteral("settings.battery-mode");
    }
    return {};
}

QString SettingsChoiceMenuInfo::title(SettingsChoiceMenu menu) {
    switch (menu) {
        case SettingsChoiceMenu::defaultFilter: return QStringLiteral("Open showing");
        case SettingsChoiceMenu::rowDensity: return QStringLiteral("Row size");
        case SettingsChoiceMenu::batteryMode: return QStringLiteral("Scan cadence");
    }
    return {};
}

std::vector<QString> SettingsChoiceMenuInfo::choiceTitles(SettingsChoiceMenu menu) {
    switch (menu) {
        case SettingsChoiceMenu::defaultFilter:
            return {QStringLiteral("Agents, when active"), QStringLiteral("Ports"), QStringLiteral("Last view")};
        case SettingsChoiceMenu::rowDensity: return {QStringLiteral("Comfortable"), QStringLiteral("Compact")};
        case SettingsChoiceMenu::batteryMode: return {QStringLiteral("Balanced"), QStringLiteral("Battery Saver")};
    }
    return {};
}

QPointF SettingsChoiceMenuInfo::position(const QRectF& triggerRect, SettingsChoiceMenu menu,
                                         const QSizeF& containerSize) {
    constexpr qreal halfWidth = width / 2;
    constexpr qreal inset = 8;
    constexpr qreal gap = 4;
    const qreal half = height(menu) / 2;
    // When the container is too narrow for both limits, the right-hand one wins.
    const qreal x = std::min(containerSize.width() - inset - halfWidth,
                             std::max(triggerRect.right() - halfWidth, halfWidth + inset));
    qreal y = triggerRect.bottom() + gap + half;
    if (y + half > containerSize.height() - inset) y = triggerRect.top() - gap - half;
    y = std::min(containerSize.height() - inset - half, std::max(y, half + inset));
    return {x, y};
}

int SettingsChoiceMenuInfo::movedHighlight(int highlighted, int step, int count) {
    if (count <= 0) return highlighted;
    return ((highlighted + step) % count + count) % count;
}

}  // namespace quaylight
