#include "Quaylight/popover/model/ListedPorts.h"

#include "Quaylight/popover/model/PopoverTexts.h"

namespace quaylight {

std::vector<std::string> ListedPorts::renderedIDs() const {
    std::vector<std::string> ids;
    ids.reserve(rendered.size());
    for (const auto& l : rendered) ids.push_back(l.id());
    return ids;
}

ListedPorts listedPorts(const PopoverInputs& inputs) {
    ListedPorts listed;
    if (const auto* result = std::get_if<ScanResult>(&inputs.state)) {
        listed.scoped = scopedResult(*result, inputs.exactAgentScope);
        listed.model = listModelFor(*listed.scoped, inputs);
        listed.rendered = renderedListeners(*listed.model, inputs.showSystem);
    }
    return listed;
}

}  // namespace quaylight
