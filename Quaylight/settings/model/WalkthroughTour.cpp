#include "Quaylight/settings/model/WalkthroughTour.h"

namespace quaylight {

const std::array<WalkthroughPage, 4>& WalkthroughTour::pages() {
    static const std::array<WalkthroughPage, 4> all{WalkthroughPage::listeners, WalkthroughPage::agents,
                                                    WalkthroughPage::actions, WalkthroughPage::search};
    return all;
}

WalkthroughPageText WalkthroughTour::text(WalkthroughPage page) {
    switch (page) {
        case WalkthroughPage::listeners:
            return {QStringLiteral("LOCAL LISTENERS"), LucideIconName::layoutList,
                    QStringLiteral("See what’s listening. Fix localhost faster."),
                    QStringLiteral("Quaylight puts your local listeners in one calm list — the owning process, runtime, "
                                   "framework, and bind scope. It can also mark servers started under Codex or Claude "
                                   "Code.")};
        case WalkthroughPage::agents:
            return {QStringLiteral("AGENT-ATTRIBUTED PORTS"), LucideIconName::terminal,
                    QStringLiteral("Spot ports started by AI coding sessions."),
                    QStringLiteral("When a local server was started under Codex or Claude Code, Quaylight can mark the "
                                   "listener and include it in these filters. It stays port context — not session "
                                   "tracking.")};
        case WalkthroughPage::actions:
            return {QStringLiteral("SAFE ACTIONS"), LucideIconName::globe,
                    QStringLiteral("Open, copy, or stop a server. Safely."),
                    QStringLiteral("Right-click a listener for desktop-native actions. Quaylight terminates processes, "
                                   "never “ports,” and refuses to touch protected system, host-app, login-shell, or "
                                   "Quaylight processes.")};
        case WalkthroughPage::search:
            return {QStringLiteral("SEARCH & FILTERS"), LucideIconName::search,
                    QStringLiteral("Find the right process, fast."),
                    QStringLiteral("Search by port, process, coding agent, host app, project, runtime, or framework. "
                                   "Filter with one tap, then sort by port, activity, memory, or uptime.")};
    }
    return {};
}

QString WalkthroughTour::counter(WalkthroughPage page) {
    return QStringLiteral("%1 / %2").arg(index(page) + 1, 2, 10, QLatin1Char('0')).arg(pageCount, 2, 10, QLatin1Char('0'));
}

WalkthroughPage WalkthroughTour::after(WalkthroughPage page, WalkthroughStep step) {
    const int i = index(page);
    if (step == WalkthroughStep::advance && i < pageCount - 1) return pages()[static_cast<std::size_t>(i + 1)];
    if (step == WalkthroughStep::retreat && i >= 1) return pages()[static_cast<std::size_t>(i - 1)];
    return page;
}

WalkthroughStep WalkthroughTour::stepForKey(WalkthroughPage page, WalkthroughKey key) {
    const bool last = page == WalkthroughPage::search;
    switch (key) {
        case WalkthroughKey::right: return last ? WalkthroughStep::none : WalkthroughStep::advance;
        case WalkthroughKey::left:
            return page == WalkthroughPage::listeners ? WalkthroughStep::none : WalkthroughStep::retreat;
        case WalkthroughKey::enter: return last ? WalkthroughStep::done : WalkthroughStep::advance;
    }
    return WalkthroughStep::none;
}

QString WalkthroughTour::primaryTitle(WalkthroughPage page) {
    return page == WalkthroughPage::search ? QStringLiteral("Get Started") : QStringLiteral("Next");
}

WalkthroughStep WalkthroughTour::primaryStep(WalkthroughPage page) {
    return page == WalkthroughPage::search ? WalkthroughStep::done : WalkthroughStep::advance;
}

}  // namespace quaylight
