#include "Quaylight/popover/model/MainAreaChoice.h"

namespace quaylight {

MainAreaChoice mainAreaChoice(PopoverSurface surface, bool showSettings, const PortsState& state, PanelMode mode) {
    MainAreaChoice choice;
    choice.rootFooter = !showSettings && surface != PopoverSurface::listenerList;
    if (showSettings) choice.page = MainPage::settings;
    else if (surface == PopoverSurface::welcome || surface == PopoverSurface::launchAtLoginOffer)
        choice.page = MainPage::launchAtLoginOffer;
    else if (surface == PopoverSurface::walkthrough) choice.page = MainPage::walkthrough;
    else if (std::holds_alternative<PortsLoading>(state)) choice.page = MainPage::loading;
    else if (std::holds_alternative<PortsFailed>(state) && mode == PanelMode::ports) choice.page = MainPage::scanError;
    else choice.page = MainPage::listenerContent;
    return choice;
}

ListenerBodyChoice listenerBodyChoice(PanelMode mode, const ListenerListModel* model,
                                      const AgentProcessPresenceSnapshot& agents, bool exactScope,
                                      FilterCategory filter, const std::string& searchText) {
    if (mode != PanelMode::ports) return {ListenerBodyChoice::Shows::agents};
    if (!model) return {ListenerBodyChoice::Shows::nothing};
    ListBody body = listBodyFor(*model, exactScope, filter, searchText);
    if (!portsColumnShowsList(*model, agents, exactScope)) body = ListBody::emptyState;
    return {ListenerBodyChoice::Shows::ports, body};
}

}  // namespace quaylight
