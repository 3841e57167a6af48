#include "Quaylight/popover/model/ListenerActionMenuModel.h"

#include <algorithm>

#include "Quaylight/popover/frame/DisplayText.h"
#include "Quaylight/popover/model/ListenerRowTexts.h"
#include "QuaylightKit/list/DisplayLabels.h"

namespace quaylight {

namespace {

// A field from another program as one safe line.
std::string safe(std::string_view text) { return displayText(text).toStdString(); }

std::string bindWord(BindScope scope) {
    switch (scope) {
        case BindScope::loopbackOnly: return "localhost";
        case BindScope::allInterfaces: return "All Interfaces";
        case BindScope::specificInterface: return "interface";
        case BindScope::mixed: return "mixed";
        case BindScope::unknown: return "unknown";
    }
    return "unknown";
}

}  // namespace

std::vector<ListenerActionMenuModel::Item> ListenerActionMenuModel::items(const PortListener& listener,
                                                                          Capabilities can) {
    std::vector<Item> result;
    if (listener.openableURL()) {
        result.push_back({"Open in Browser", LucideIconName::globe, "\u21B5", false, false, Action::open});
        // The hint names the key the open menu answers to on Linux.
        result.push_back({"Copy URL", LucideIconName::link2, "Ctrl+C", false, false, Action::copyURL});
    }
    result.push_back({"Copy Port", LucideIconName::hash, std::nullopt, false, false, Action::copyPort});
    result.push_back({"Copy Details", LucideIconName::copy, std::nullopt, false, false, Action::copyDetails});
    if (can.canFocus)
        result.push_back({"Focus App", LucideIconName::externalLink, std::nullopt, false, false, Action::focus});
    if (can.canStopPool) {
        result.push_back({"Stop Pool\u2026", LucideIconName::ban, std::nullopt, true, true, Action::stopPool});
    } else if (can.canKill) {
        result.push_back({"Kill Process\u2026", LucideIconName::ban, std::nullopt, true, true, Action::kill});
        if (can.canForceKill)
            result.push_back({"Force Kill\u2026", LucideIconName::zap, std::nullopt, true, false, Action::forceKill});
    }
    return result;
}

bool ListenerActionMenuModel::showsDestructiveDivider(const std::vector<Item>& items) {
    return std::any_of(items.begin(), items.end(), [](const Item& i) { return i.beginsDestructiveSection; });
}

qreal ListenerActionMenuModel::heightEstimate(const std::vector<Item>& items) {
    return itemHeight * static_cast<qreal>(items.size()) + (showsDestructiveDivider(items) ? dividerHeight : 0) +
           surfacePadding;
}

std::string ListenerActionMenuModel::copiedText(Action action, const PortListener& listener, WallTime now) {
    switch (action) {
        case Action::copyURL: return listener.openableURL().value_or(std::string{});
        case Action::copyPort: return std::to_string(listener.port);
        case Action::copyDetails: return detailsText(listener, now);
        default: return {};
    }
}

std::string ListenerActionMenuModel::detailsText(const PortListener& listener, WallTime now) {
    const auto& process = *listener.process;
    std::vector<std::string> lines;
    lines.push_back(safe(process.displayName()) + " \u2014 port " + std::to_string(listener.port));
    lines.push_back("PID " + std::to_string(process.identity.pid));
    lines.push_back("Bind: " + bindWord(listener.bindScope));
    if (auto label = classificationDisplayLabel(listener)) lines.push_back("Detected: " + safe(*label));
    if (listener.agentOrigin) lines.push_back("Started under: " + std::string(displayName(*listener.agentOrigin)));
    if (listener.host) lines.push_back("Host app: " + std::string(displayName(listener.host->kind)));
    if (listener.project) {
        lines.push_back("Project: " + safe(listener.project->name));
        if (listener.project->path) lines.push_back("Project path: " + safe(*listener.project->path));
    }
    if (process.executablePath) lines.push_back("Executable: " + safe(*process.executablePath));
    lines.push_back("Uptime: " + UptimeDisplay::label(static_cast<std::int64_t>(process.identity.startTimeSeconds), now));
    if (process.residentMemoryBytes) lines.push_back("Memory: " + MemoryDisplay::label(*process.residentMemoryBytes));
    if (auto url = listener.openableURL()) lines.push_back("URL: " + *url);
    std::string text;
    for (const auto& line : lines) {
        if (!text.empty()) text += '\n';
        text += line;
    }
    return text;
}

std::string ListenerActionMenuModel::accessibleName(const PortListener& listener) {
    return "Actions for " + safe(listener.process->displayName()) + " on port " + std::to_string(listener.port);
}

QPointF ListenerActionMenuModel::position(const QRectF& rowRect, qreal menuHeight, const QSizeF& containerSize) {
    qreal top = rowRect.top() + 46;
    if (top + menuHeight > containerSize.height() - 8) top = std::max(rowRect.bottom() - menuHeight - 8, qreal{8});
    const qreal right = std::min(rowRect.right() - 18, containerSize.width() - 14);
    const qreal centreX = std::max(right - width / 2, width / 2 + 8);
    return {centreX, top + menuHeight / 2};
}

}  // namespace quaylight
