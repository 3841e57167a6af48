#pragma once
// Which page of the main area shows, and what the listener page's body shows, as pure
// functions of the inputs and the one piece of view state that decides between them (the
// settings popout, opened from the header).

#include "Quaylight/popover/model/PopoverInputs.h"
#include "Quaylight/popover/model/PopoverTexts.h"

namespace quaylight {

enum class MainPage { settings, launchAtLoginOffer, walkthrough, loading, scanError, listenerContent };

struct MainAreaChoice {
    MainPage page = MainPage::listenerContent;
    // The strip with Quit under the first-run pages and the loading and error pages; the
    // listener content has its own footer, the settings popout its own Quit.
    bool rootFooter = false;
    friend bool operator==(const MainAreaChoice&, const MainAreaChoice&) = default;
};

// The settings popout over everything it was opened on; then the first run; then the scan
// state. A failed scan shows its error only on the Ports tab: the Agents tab does not need it.
MainAreaChoice mainAreaChoice(PopoverSurface surface, bool showSettings, const PortsState& state, PanelMode mode);

// What the listener page's body shows: the Agents tab, nothing while no scan is loaded, or
// the ports list with `ports` saying whether its rows or a state take the place.
struct ListenerBodyChoice {
    enum class Shows { agents, nothing, ports };
    Shows shows = Shows::nothing;
    ListBody ports = ListBody::rows;
    friend bool operator==(const ListenerBodyChoice&, const ListenerBodyChoice&) = default;
};
ListenerBodyChoice listenerBodyChoice(PanelMode mode, const ListenerListModel* model,
                                      const AgentProcessPresenceSnapshot& agents, bool exactScope,
                                      FilterCategory filter, const std::string& searchText);

}  // namespace quaylight
