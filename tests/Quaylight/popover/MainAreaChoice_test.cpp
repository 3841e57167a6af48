// Which page of the main area shows and what the listener page's body shows, as tables over
// the inputs that decide them.

#include <gtest/gtest.h>

#include "Quaylight/popover/model/MainAreaChoice.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using S = PopoverSurface;
using P = MainPage;

struct PageCase {
    const char* what;
    S surface;
    bool showSettings;
    PortsState state;
    PanelMode mode;
    MainPage page;
    bool rootFooter;
};

TEST(MainAreaChoice, ThePageForEachSurfaceStateAndMode) {
    const PortsState loaded = ScanResult{};
    const PortsState failed = PortsFailed{"no /proc"};
    const PortsState loading = PortsLoading{};
    const std::vector<PageCase> cases = {
        {"the offer", S::launchAtLoginOffer, false, loaded, PanelMode::ports, P::launchAtLoginOffer, true},
        {"the welcome is the offer's page", S::welcome, false, loading, PanelMode::ports, P::launchAtLoginOffer, true},
        {"the tour", S::walkthrough, false, loaded, PanelMode::ports, P::walkthrough, true},
        {"settings over the offer", S::launchAtLoginOffer, true, loaded, PanelMode::ports, P::settings, false},
        {"settings over the tour", S::walkthrough, true, loaded, PanelMode::agents, P::settings, false},
        {"settings over the list", S::listenerList, true, loaded, PanelMode::ports, P::settings, false},
        {"settings over a failed scan", S::listenerList, true, failed, PanelMode::ports, P::settings, false},
        {"a scan loading", S::listenerList, false, loading, PanelMode::ports, P::loading, false},
        {"a scan loading, Agents tab", S::listenerList, false, loading, PanelMode::agents, P::loading, false},
        {"the tour before a loading scan", S::walkthrough, false, loading, PanelMode::ports, P::walkthrough, true},
        {"a failed scan", S::listenerList, false, failed, PanelMode::ports, P::scanError, false},
        {"a failed scan, Agents tab", S::listenerList, false, failed, PanelMode::agents, P::listenerContent, false},
        {"a loaded scan", S::listenerList, false, loaded, PanelMode::ports, P::listenerContent, false},
        {"a loaded scan, Agents tab", S::listenerList, false, loaded, PanelMode::agents, P::listenerContent, false},
    };
    for (const auto& c : cases) {
        const MainAreaChoice choice = mainAreaChoice(c.surface, c.showSettings, c.state, c.mode);
        EXPECT_EQ(choice.page, c.page) << c.what;
        EXPECT_EQ(choice.rootFooter, c.rootFooter) << c.what;
    }
}

struct BodyCase {
    const char* what;
    PanelMode mode;
    bool loaded;
    std::vector<PortListener> listeners;
    bool exactScope;
    FilterCategory filter;
    std::string search;
    ListenerBodyChoice body;
};

TEST(MainAreaChoice, WhatTheListenerBodyShows) {
    using Shows = ListenerBodyChoice::Shows;
    const std::vector<PortListener> rows = {testsupport::makeListener(10, 3000), testsupport::makeListener(11, 4000)};
    const std::vector<BodyCase> cases = {
        {"the Agents tab", PanelMode::agents, true, rows, false, FilterCategory::all, "", {Shows::agents}},
        {"the Agents tab, nothing loaded", PanelMode::agents, false, {}, false, FilterCategory::all, "",
         {Shows::agents}},
        {"nothing loaded yet", PanelMode::ports, false, {}, false, FilterCategory::all, "", {Shows::nothing}},
        {"rows", PanelMode::ports, true, rows, false, FilterCategory::all, "", {Shows::ports, ListBody::rows}},
        {"nothing listens", PanelMode::ports, true, {}, false, FilterCategory::all, "",
         {Shows::ports, ListBody::emptyState}},
        {"nothing matches the search", PanelMode::ports, true, rows, false, FilterCategory::all, "zzz-none",
         {Shows::ports, ListBody::noMatches}},
        {"the exact scope lists nothing", PanelMode::ports, true, {}, true, FilterCategory::all, "",
         {Shows::ports, ListBody::exactScopeEmpty}},
        {"an agent chip without agents or listeners: plainly empty", PanelMode::ports, true, {}, false,
         FilterCategory::claude, "", {Shows::ports, ListBody::emptyState}},
    };
    for (const auto& c : cases) {
        ScanResult result;
        result.listeners = c.listeners;
        PopoverInputs inputs;
        inputs.filter = c.filter;
        inputs.searchText = c.search;
        const ListenerListModel model = listModelFor(result, inputs);
        const ListenerBodyChoice body = listenerBodyChoice(c.mode, c.loaded ? &model : nullptr, result.agentPresence,
                                                           c.exactScope, c.filter, c.search);
        EXPECT_EQ(body, c.body) << c.what;
    }
}

}  // namespace
}  // namespace quaylight
